#include "forms/Veldlgs.h"

#include "framework/ui/Components.h"

#include "forms/Genabout.h"
#include "framework/Streams.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/Platform.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>

#include <memory>

namespace zorvak {

namespace {
// The label the stored description gives; any other a caller sets is shown
// as it is.
constexpr const char* kVersionLabel = QT_TRANSLATE_NOOP("zorvak::TVelAboutBox", "Version: ");
} // namespace

TVelAboutBox::TVelAboutBox(QObject* owner) : QObject(owner) {}

bool TVelAboutBox::Execute() {
    auto* ownerWidget = qobject_cast<QWidget*>(parent());
    QWidget* over = ownerWidget != nullptr ? ownerWidget->window() : QApplication::activeWindow();
    QPointer<TAboutBox> box = new TAboutBox(over);
    // The owner window may go away while the box runs modally and take the
    // box with it; delete only what is still there.
    const auto destroy = [](TAboutBox* b) { delete b; };
    std::unique_ptr<TAboutBox, decltype(destroy)> held(box.data(), destroy);
    bool accepted = false;
    bool failed = false;
    try {
        TAboutBox::SetCaption(box->Comments, Comments);
        TAboutBox::SetCaption(box->Copyright, Copyright);
        TAboutBox::SetCaption(box->Version, VersionLabel == QLatin1String(kVersionLabel)
                                                ? tr(kVersionLabel)
                                                : VersionLabel);
        TAboutBox::SetCaption(box->VDate, Date);
        TAboutBox::SetCaption(box->ProductName, ProgramName);
        box->Tag = Version;
        accepted = ShowModal(*box) == QDialog::Accepted;
    } catch (...) {
        failed = true;
    }
    if (box.isNull())
        (void)held.release();
    held.reset();
    if (failed) {
        ShowMessage(tr("Some sort of Error Occurred!"));
        return false;
    }
    return accepted;
}

int TVelAboutBox::ShowModal(TAboutBox& box) {
    return box.exec();
}

void TVelAboutBox::DefineProperties(TPropertyList& properties) {
    // Texts are stored as UTF-8 and read back as UTF-8 when they are, else as
    // the 8-bit text older descriptions hold.
    const auto text = [&properties](const char* name, QString& field) {
        properties.String(
            name,
            [&field] {
                const QByteArray bytes = field.toUtf8();
                return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            },
            [&field](const std::string& value) { field = DecodeName(value); }, std::string());
    };
    text("Comments", Comments);
    text("Copyright", Copyright);
    text("Date", Date);
    text("ProgramName", ProgramName);
    properties.Integer(
        "Version", [this] { return Version; }, [this](std::int32_t value) { Version = value; });
    text("VersionLabel", VersionLabel);
}

namespace {
// The program's version, packed as the box shows it (1.30: 0x00011E00).
constexpr std::uint32_t kPacked = ZORVAK_VERSION_PACKED;
constexpr unsigned char Byte(int i) {
    return static_cast<unsigned char>(kPacked >> (8 * i));
}
// Class, name, Version = the packed version, VersionLabel = "Version: ", end.
constexpr unsigned char kAboutDescription[] = {
    12,       'T', 'V', 'e', 'l', 'A', 'b', 'o', 'u',     't',     'B',     'o',     'x',     //
    5,        'A', 'b', 'o', 'u', 't',                                                        //
    7,        'V', 'e', 'r', 's', 'i', 'o', 'n', vaInt32, Byte(0), Byte(1), Byte(2), Byte(3), //
    12,       'V', 'e', 'r', 's', 'i', 'o', 'n', 'L',     'a',     'b',     'e',     'l',     //
    vaString, 9,   'V', 'e', 'r', 's', 'i', 'o', 'n',     ':',     ' ',                       //
    vaNull};
} // namespace

std::span<const unsigned char> AboutDescription() {
    return kAboutDescription;
}

TVelAboutBox* CreateAboutFromDescription(QObject* owner) {
    return CreateFromDescription<TVelAboutBox>(owner, kAboutDescription);
}

} // namespace zorvak
