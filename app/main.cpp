// Start-up: the application title, the main window, the build dialog, an
// archive named on the command line, then the message loop until the main
// window closes.
#include "forms/Buildpak.h"
#include "forms/Zorvmain.h"
#include "framework/Translate.h"
#include "framework/ui/Application.h"
#include "resources/Pictures.h"

#include <QApplication>

#include <cstdio>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "usage: zorvak [FILE]\n"
    "\n"
    "Opens the Zorvak window, and the PAK archive FILE in it when one is named.\n"
    "\n"
    "  --help      this text\n"
    "  --version   the program's version\n"
    "\n"
    "zorvak-pak does the same work from scripts; see 'zorvak-pak --help'.\n";

} // namespace

int main(int argc, char** argv) {
    // Answered before anything of the toolkit starts: they need no display.
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("zorvak %s\n", ZORVAK_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    // The core's failures the window shows speak the user's language too.
    zorvak::StartTranslation();
    zorvak::SetApplicationTitle(QStringLiteral("Zorvak"));
    QApplication::setApplicationVersion(QStringLiteral(ZORVAK_VERSION));
    // The desktop entry's name: window managers (the Wayland app id) match
    // the window to it, its icon and its "open with" entries.
    QGuiApplication::setDesktopFileName(QStringLiteral("zorvak"));
    QApplication::setWindowIcon(zorvak::ProgramIcon());

    // What the toolkit left of the arguments (it takes its own options): an
    // option we do not know is refused, the first other one is a file.
    QString file;
    bool names = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!names && arg == "--") {
            names = true;
        } else if (!names && arg.size() > 1 && arg.front() == '-') {
            std::fprintf(stderr, "zorvak: unknown option %s\nTry 'zorvak --help'.\n", argv[i]);
            return 2;
        } else if (file.isEmpty()) {
            file = QString::fromLocal8Bit(argv[i]);
        }
    }

    zorvak::TZorvakForm form;
    // One build dialog for the whole run, hidden until Build PAK shows it.
    zorvak::TBuildPakDialog buildDialog(&form);
    zorvak::BuildPakDialog = &buildDialog;
    form.show();
    // As if chosen in the open dialog: the file manager's "open with".
    if (!file.isEmpty())
        zorvak::RunGuarded([&] { form.OpenArchive(file); });
    return app.exec();
}
