// Components made as a window's stored description describes them.
#pragma once

#include "framework/PropertyStream.h"
#include "framework/Streams.h"

#include <QObject>
#include <QString>

#include <memory>
#include <span>
#include <vector>

namespace zorvak {

// A component created for owner with the published properties and the name
// that description stores.
template <class TComponent>
TComponent* CreateFromDescription(QObject* owner, std::span<const unsigned char> description) {
    auto component = std::make_unique<TComponent>(owner);
    TMemoryStream stream(std::vector<unsigned char>(description.begin(), description.end()));
    component->setObjectName(QString::fromStdString(ReadComponent(stream, *component)));
    return component.release();
}

} // namespace zorvak
