// The component a window holds to show the about box: it keeps the texts
// and the packed version number, and fills and shows a new box each time.
#pragma once

#include "framework/PropertyStream.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <span>

namespace zorvak {

class TAboutBox;

class TVelAboutBox : public QObject, public TPersistent {
    Q_OBJECT
public:
    // owner: the window the box centres over (when it is a widget).
    explicit TVelAboutBox(QObject* owner = nullptr);

    // Empty texts make the box show its own default for that line.
    QString Comments;
    QString Copyright;
    QString Date;
    QString ProgramName;
    // Major (bits 31-16), minor (15-8), release letter code (7-0).
    std::int32_t Version = 0;
    QString VersionLabel = QStringLiteral("Version: ");

    // Shows a new box modally; true exactly when it closed with OK (its own
    // controls close it with cancel). A failure while filling or showing it
    // shows "Some sort of Error Occurred!" and gives false; a failure to
    // create it goes to the caller.
    bool Execute();

    std::string ClassName() const override { return "TVelAboutBox"; }
    // The six properties in declaration order: Version always stored, the
    // texts when not empty.
    void DefineProperties(TPropertyList& properties) override;

protected:
    // Runs the box modally and gives its result code.
    virtual int ShowModal(TAboutBox& box);
};

// The stored description of the main window's about component "About":
// Version 73216 and VersionLabel "Version: ", nothing else.
std::span<const unsigned char> AboutDescription();
// Creates that component, named "About" and owned by owner (the main window).
TVelAboutBox* CreateAboutFromDescription(QObject* owner);

} // namespace zorvak
