// The window program's command line, run as a child with no display to
// connect to and no platform asked for: every option is read before the
// toolkit starts, so help, the version and a refusal need none.
#include "support/TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorvak {
namespace {

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Runs the program with args, its settings under config.
TRun RunProgram(const QStringList& args, const std::filesystem::path& config) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.string()));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(ZORVAK_PROGRAM), args);
    // A bound against a child that would wait for a display after all.
    if (!child.waitForFinished(60'000)) {
        child.kill();
        child.waitForFinished();
        return {};
    }
    TRun run;
    run.Status = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    run.Out = child.readAllStandardOutput().toStdString();
    run.Err = child.readAllStandardError().toStdString();
    return run;
}

constexpr int kStarted = 1; // went on to start the toolkit, which found no display
const std::string kRefusedBogus = "zorvak: unknown option --bogus\nTry 'zorvak --help'.\n";

TEST(CommandLine, EveryOptionIsReadBeforeTheToolkitStarts) {
    const struct {
        QStringList Args;
        int Status;
        std::string Out; // contained in the output; stderr for a refusal
        bool SettingsKept = true;
    } cases[] = {
        {{"--help"}, 0, "usage: zorvak [FILE]"},
        {{"--help"}, 0, "  --reset-settings  forget"},
        {{"-h"}, 0, "usage: zorvak [FILE]"},
        {{"--version"}, 0, "zorvak " ZORVAK_VERSION "\n"},
        {{"--bogus"}, 2, kRefusedBogus},
        {{"-x"}, 2, "zorvak: unknown option -x\n"},
        {{"a.pak", "--bogus"}, 2, kRefusedBogus},
        // The first option that ends the run decides.
        {{"--help", "--bogus"}, 0, "usage: zorvak [FILE]"},
        {{"--bogus", "--help"}, 2, kRefusedBogus},
        // Nothing is forgotten by a run that does not start.
        {{"--reset-settings", "--bogus"}, 2, kRefusedBogus},
        {{"--reset-settings", "--version"}, 0, "zorvak " ZORVAK_VERSION},
        {{"--reset-settings"}, kStarted, "", false},
        // The toolkit's own options pass, with their values, whatever follows.
        {{"-platform", "offscreen", "--bogus"}, 2, kRefusedBogus},
        {{"--platform", "offscreen", "--bogus"}, 2, kRefusedBogus},
        {{"-platformpluginpath", "/none", "--bogus"}, 2, kRefusedBogus},
        {{"-platformtheme", "none", "--bogus"}, 2, kRefusedBogus},
        {{"-plugin", "none", "--bogus"}, 2, kRefusedBogus},
        {{"-qmljsdebugger=port:1", "--bogus"}, 2, kRefusedBogus},
        {{"-qmljsdebugger", "port:1", "--bogus"}, 2, kRefusedBogus},
        {{"-qwindowgeometry", "640x480+0+0", "--bogus"}, 2, kRefusedBogus},
        {{"-qwindowicon", "zorvak.png", "--bogus"}, 2, kRefusedBogus},
        {{"-qwindowtitle", "Zorvak", "--bogus"}, 2, kRefusedBogus},
        {{"-reverse", "--bogus"}, 2, kRefusedBogus},
        {{"-session", "s1", "--bogus"}, 2, kRefusedBogus},
        {{"-style", "fusion", "--bogus"}, 2, kRefusedBogus},
        {{"--style=fusion", "--bogus"}, 2, kRefusedBogus},
        {{"-stylesheet", "a.qss", "--bogus"}, 2, kRefusedBogus},
        {{"-stylesheet=a.qss", "--bogus"}, 2, kRefusedBogus},
        {{"-widgetcount", "--bogus"}, 2, kRefusedBogus},
        {{"-display", ":99", "--bogus"}, 2, kRefusedBogus},
        {{"-geometry", "640x480", "--bogus"}, 2, kRefusedBogus},
        {{"-name", "zorvak", "--bogus"}, 2, kRefusedBogus},
        {{"-title", "Zorvak", "--bogus"}, 2, kRefusedBogus},
        {{"-visual", "TrueColor", "--bogus"}, 2, kRefusedBogus},
        {{"-ncols", "16", "--bogus"}, 2, kRefusedBogus},
        {{"-cmap", "--bogus"}, 2, kRefusedBogus},
        {{"-nograb", "--bogus"}, 2, kRefusedBogus},
        {{"-dograb", "--bogus"}, 2, kRefusedBogus},
        {{"-sync", "--bogus"}, 2, kRefusedBogus},
        // Only the toolkit's own spellings.
        {{"-platform=offscreen"}, 2, "zorvak: unknown option -platform=offscreen\n"},
        {{"-reverse=1"}, 2, "zorvak: unknown option -reverse=1\n"},
        {{"-styles", "x"}, 2, "zorvak: unknown option -styles\n"},
        {{"-style"}, 2, "zorvak: option -style needs a value\nTry 'zorvak --help'.\n"},
        {{"a.pak", "-qwindowtitle"}, 2, "zorvak: option -qwindowtitle needs a value\n"},
        // A value is a value, whatever it looks like.
        {{"-qwindowtitle", "--bogus"}, kStarted, ""},
        {{"-style", "--help"}, kStarted, ""},
        // After "--", names, also those that look like options.
        {{"--", "--bogus"}, kStarted, ""},
        {{"--", "--help"}, kStarted, ""},
        {{"-", "--bogus"}, 2, kRefusedBogus},
    };
    for (const auto& c : cases) {
        const std::string args = c.Args.join(' ').toStdString();
        SCOPED_TRACE(args);
        test::TTempDir config;
        test::WriteFile(config / "zorvak/zorvak.ini", "[General]\nRecentArchives=/q/a.pak\n");
        const TRun run = RunProgram(c.Args, config.Path());
        EXPECT_EQ(run.Status, c.Status) << run.Err;
        const std::string& said = c.Status == 2 ? run.Err : run.Out;
        EXPECT_NE(said.find(c.Out), std::string::npos) << said;
        if (c.Status == 2) {
            EXPECT_EQ(run.Out, "");
        } else if (c.Status == 0) {
            EXPECT_EQ(run.Err, "");
        } else {
            // Not refused: it went as far as the toolkit.
            EXPECT_EQ(run.Err.find("unknown option"), std::string::npos) << run.Err;
        }
        const bool kept =
            test::ReadFile(config / "zorvak/zorvak.ini").find("/q/a.pak") != std::string::npos;
        EXPECT_EQ(kept, c.SettingsKept);
    }
}

} // namespace
} // namespace zorvak
