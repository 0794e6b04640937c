// Start-up: the application title, the main window, the build dialog, then
// the message loop until the main window closes.
#include "archive/Buildpak.h"
#include "archive/Zorvmain.h"
#include "framework/ui/Application.h"
#include "resources/Pictures.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zorvak::SetApplicationTitle(QStringLiteral("Zorvak"));
    QApplication::setWindowIcon(zorvak::ProgramIcon());
    zorvak::TZorvakForm form;
    // One build dialog for the whole run, hidden until Build PAK shows it.
    zorvak::TBuildPakDialog buildDialog(&form);
    zorvak::BuildPakDialog = &buildDialog;
    form.show();
    // A file named on the command line (the file manager's "open with")
    // opens as if chosen in the open dialog.
    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
        zorvak::RunGuarded([&] { form.OpenArchive(args.at(1)); });
    return app.exec();
}
