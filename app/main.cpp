// Start-up: the options, the application title, the main window, the build
// dialog, an archive named on the command line, then the message loop until
// the main window closes.
#include "forms/Buildpak.h"
#include "forms/Zorvmain.h"
#include "framework/Translate.h"
#include "framework/ui/Application.h"
#include "framework/ui/Settings.h"
#include "framework/ui/Translations.h"
#include "resources/Pictures.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage = QT_TRANSLATE_NOOP(
    "zorvak::main", "usage: zorvak [FILE]\n"
                    "\n"
                    "Opens the Zorvak window, and the PAK archive FILE in it when one is named.\n"
                    "\n"
                    "  --help            this text\n"
                    "  --version         the program's version\n"
                    "  --reset-settings  forget the recent archives, the folders and the window\n"
                    "                    places this program remembers, then start as usual\n"
                    "\n"
                    "zorvak-pak does the same work from scripts; see 'zorvak-pak --help'.\n");

// An option of the toolkit's own (QGuiApplication's, QApplication's and the
// X11 ones its documentation lists): passed on to it, with its value.
struct TToolkitOption {
    std::string_view Name; // as written with one dash; two are taken too
    bool TakesValue;
    bool TakesJoinedValue = false; // "-style=fusion" as well as "-style fusion"
};

constexpr TToolkitOption kToolkitOptions[] = {
    {"-platform", true},
    {"-platformpluginpath", true},
    {"-platformtheme", true},
    {"-plugin", true},
    {"-qmljsdebugger", true, true},
    {"-qwindowgeometry", true},
    {"-qwindowicon", true},
    {"-qwindowtitle", true},
    {"-reverse", false},
    {"-session", true},
    {"-style", true, true},
    {"-stylesheet", true, true},
    {"-widgetcount", false},
    {"-display", true},
    {"-geometry", true},
    {"-name", true},
    {"-title", true},
    {"-visual", true},
    {"-ncols", true},
    {"-cmap", false},
    {"-nograb", false},
    {"-dograb", false},
    {"-sync", false},
};

// The toolkit's option that arg is, or none; joined says whether its value
// came with it ("-style=fusion"). "--style" is "-style", as the toolkit
// reads it.
const TToolkitOption* ToolkitOption(std::string_view arg, bool& joined) {
    if (arg.starts_with("--"))
        arg.remove_prefix(1);
    for (const TToolkitOption& option : kToolkitOptions) {
        if (arg == option.Name) {
            joined = false;
            return &option;
        }
        if (option.TakesJoinedValue && arg.size() > option.Name.size() + 1 &&
            arg.starts_with(option.Name) && arg[option.Name.size()] == '=') {
            joined = true;
            return &option;
        }
    }
    return nullptr;
}

// In the user's language, though no translator is installed yet.
QString Translated(const char* text) {
    return zorvak::TranslatedFor(QLocale::system(), "zorvak::main", text);
}

void PrintTranslated(std::FILE* out, const char* text) {
    std::fputs(Translated(text).toLocal8Bit().constData(), out);
}

// What the command line asks for, read before the toolkit starts: it needs
// no display to answer --help or to refuse a mistake. Read in order: the
// first option that ends the run (--help, --version, a mistake) decides.
struct TStart {
    std::optional<int> Exit;        // answered or refused: the status to end with
    std::vector<char*> ToolkitArgs; // the program's name and the toolkit's options
    QString File;                   // the archive to open, if any
    bool ResetSettings = false;
};

TStart ReadCommandLine(int argc, char** argv) {
    TStart start;
    start.ToolkitArgs.push_back(argv[0]);
    bool names = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        bool joined = false;
        if (names || arg.size() <= 1 || arg.front() != '-') {
            if (start.File.isEmpty())
                start.File = QString::fromLocal8Bit(argv[i]);
        } else if (arg == "--") {
            // What follows are names, even those that begin with "-"; the
            // toolkit, which would take some of them, never sees them.
            names = true;
        } else if (arg == "--help" || arg == "-h") {
            PrintTranslated(stdout, kUsage);
            start.Exit = 0;
            return start;
        } else if (arg == "--version") {
            std::printf("zorvak %s\n", ZORVAK_VERSION);
            start.Exit = 0;
            return start;
        } else if (arg == "--reset-settings") {
            start.ResetSettings = true;
        } else if (const TToolkitOption* option = ToolkitOption(arg, joined)) {
            start.ToolkitArgs.push_back(argv[i]);
            if (option->TakesValue && !joined) {
                if (i + 1 == argc) {
                    std::fputs(zorvak::ArgBytes(
                                   Translated(QT_TRANSLATE_NOOP("zorvak::main",
                                                                "zorvak: option %1 needs a value\n"
                                                                "Try 'zorvak --help'.\n")),
                                   {argv[i]})
                                   .c_str(),
                               stderr);
                    start.Exit = 2;
                    return start;
                }
                start.ToolkitArgs.push_back(argv[++i]);
            }
        } else {
            std::fputs(zorvak::ArgBytes(Translated(QT_TRANSLATE_NOOP(
                                            "zorvak::main",
                                            "zorvak: unknown option %1\nTry 'zorvak --help'.\n")),
                                        {argv[i]})
                           .c_str(),
                       stderr);
            start.Exit = 2;
            return start;
        }
    }
    start.ToolkitArgs.push_back(nullptr);
    return start;
}

// While the toolkit starts: a failure of its own (no display to connect to,
// no platform it can load) ends the program with its message and status 1,
// where the toolkit would abort and leave a core dump behind.
QtMessageHandler toolkitMessages = nullptr;

void StartFailure(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        toolkitMessages(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

int main(int argc, char** argv) {
    TStart start = ReadCommandLine(argc, argv);
    if (start.Exit)
        return *start.Exit;
    if (start.ResetSettings)
        zorvak::ForgetAllSettings();

    int toolkitArgc = static_cast<int>(start.ToolkitArgs.size()) - 1;
    toolkitMessages = qInstallMessageHandler(StartFailure);
    QApplication app(toolkitArgc, start.ToolkitArgs.data());
    qInstallMessageHandler(toolkitMessages);
    zorvak::InstallTranslations(QLocale::system());
    // The core's failures the window shows speak the user's language too.
    zorvak::StartTranslation();
    zorvak::SetApplicationTitle(QStringLiteral("Zorvak"));
    QApplication::setApplicationVersion(QStringLiteral(ZORVAK_VERSION));
    // The desktop entry's name: window managers (the Wayland app id) match
    // the window to it, its icon and its "open with" entries.
    QGuiApplication::setDesktopFileName(QStringLiteral("zorvak"));
    QApplication::setWindowIcon(zorvak::ProgramIcon());
    const QString file = start.File;

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
