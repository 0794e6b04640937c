// zorvak-pak as a user runs it, in German, French and the C locale: the
// language of messages comes from the environment, the catalogues from the
// build tree beside the program; numbers, names and what scripts read stay
// the same in every language.
#include "cli/HelpTexts.h"
#include "support/Child.h"
#include "support/PakImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace zorvak {
namespace {

const std::string kProgram = ZORVAK_PAK_PROGRAM;
const std::string kGerman = "LANG=de_DE.UTF-8";
const std::string kFrench = "LANG=fr_FR.UTF-8";
const std::string kC = "LANG=C";
// The no-break space French puts before ":" and inside quotes.
const std::string kNbsp = "\xC2\xA0";

test::TProgramRun RunTool(const std::vector<std::string>& env,
                          const std::vector<std::string>& args) {
    return test::RunProgram(kProgram, args, env);
}

std::string WriteArchive(const test::TTempDir& dir) {
    // 1,536 bytes in all: "1.5 KiB" in a progress line.
    const std::vector<unsigned char> image =
        BuildPakImage({{"maps/\xC3\xA9t\xC3\xA9.bsp", std::string(1000, 'm')},
                       {"gfx/Palette.lmp", std::string(536, 'p')}});
    const std::string path = (dir.Path() / "pak0.pak").string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    return path;
}

TEST(PakToolLanguage, SpeaksTheLanguageOfMessages) {
    const test::TTempDir dir;
    const std::string missing = (dir.Path() / "missing.pak").string();
    const std::string badOption = "zorvak-pak: unknown option --bogus\nTry 'zorvak-pak --help'.\n";
    const std::string badOptionDe =
        "zorvak-pak: unbekannte Option --bogus\nVersuchen Sie 'zorvak-pak --help'.\n";
    const std::string badOptionFr = "zorvak-pak: option inconnue --bogus\nEssayez \xC2\xAB" +
                                    kNbsp + "zorvak-pak --help" + kNbsp + "\xC2\xBB.\n";
    const struct {
        std::vector<std::string> Env;
        std::vector<std::string> Args;
        int Status;
        bool Out;   // the text is standard output's, else standard error's
        bool Whole; // the stream is the text, else it begins with it
        std::string Text;
    } cases[] = {
        {{kGerman}, {"list", "--bogus"}, 2, false, true, badOptionDe},
        {{kFrench}, {"list", "--bogus"}, 2, false, true, badOptionFr},
        {{kC}, {"list", "--bogus"}, 2, false, true, badOption},
        {{}, {"list", "--bogus"}, 2, false, true, badOption},
        // gettext's rule: LANGUAGE counts only when the locale is not C.
        {{"LANGUAGE=de", kC}, {"list", "--bogus"}, 2, false, true, badOption},
        {{"LANGUAGE=fr", kGerman}, {"list", "--bogus"}, 2, false, true, badOptionFr},
        // Messages' own category decides, and LC_ALL over it.
        {{"LC_MESSAGES=fr_FR.UTF-8", kGerman}, {"list", "--bogus"}, 2, false, true, badOptionFr},
        {{"LC_ALL=C", kGerman}, {"list", "--bogus"}, 2, false, true, badOption},
        // A language without a catalogue is English.
        {{"LANG=C.UTF-8"}, {"list", "--bogus"}, 2, false, true, badOption},
        // The system's reason follows the text; only the C locale's is
        // known here.
        {{kGerman},
         {"list", missing},
         2,
         false,
         false,
         "zorvak-pak: Datei kann nicht ge\xC3\xB6"
         "ffnet werden: " +
             missing + ": "},
        {{kFrench},
         {"list", missing},
         2,
         false,
         false,
         "zorvak-pak: Impossible d'ouvrir le fichier " + missing + kNbsp + ": "},
        {{kC},
         {"list", missing},
         2,
         false,
         true,
         "zorvak-pak: Cannot open file " + missing + ": No such file or directory\n"},
        {{kGerman}, {"--help"}, 0, true, false, "Aufruf: zorvak-pak BEFEHL ...\n\n"},
        {{kFrench}, {"--help"}, 0, true, false, "usage" + kNbsp + ": zorvak-pak COMMANDE ...\n\n"},
        {{kC}, {"--help"}, 0, true, true, kUsage},
        {{kGerman}, {"cat", "--help"}, 0, true, false, "Aufruf: zorvak-pak cat ARCHIV NAME\n"},
        {{kC}, {"cat", "--help"}, 0, true, true, kCatHelp},
    };
    for (const auto& c : cases) {
        const test::TProgramRun run = RunTool(c.Env, c.Args);
        const std::string where = (c.Env.empty() ? std::string("no environment") : c.Env[0]) + " " +
                                  c.Args[0] + " " + c.Args.back();
        ASSERT_TRUE(run.End.Exited) << where;
        EXPECT_EQ(run.End.Status, c.Status) << where;
        const std::string& stream = c.Out ? run.Out : run.Err;
        if (c.Whole)
            EXPECT_EQ(stream, c.Text) << where;
        else
            EXPECT_EQ(stream.substr(0, c.Text.size()), c.Text) << where;
        // Nothing on the other stream.
        EXPECT_EQ((c.Out ? run.Err : run.Out), "") << where;
    }
}

// The words change, the numbers (digits, "," between thousands, "." in a
// fraction) and the names do not: only the language of messages follows the
// user.
TEST(PakToolLanguage, NumbersAndNamesPrintTheSameInEveryLanguage) {
    const test::TTempDir dir;
    const std::string archive = WriteArchive(dir);
    const std::regex number("[0-9][0-9,.]*");
    const auto numbers = [&number](const std::string& text) {
        std::string found;
        for (std::sregex_iterator it(text.begin(), text.end(), number), end; it != end; ++it)
            found += it->str() + " ";
        return found;
    };
    const std::vector<std::vector<std::string>> commands = {
        {"list", "-l", archive},
        {"info", archive},
        {"verify", archive},
        {"info", archive, "gfx/Palette.lmp"},
    };
    for (const auto& args : commands) {
        const test::TProgramRun c = RunTool({kC}, args);
        const test::TProgramRun german = RunTool({kGerman}, args);
        const test::TProgramRun french = RunTool({kFrench, "TERM=dumb"}, args);
        EXPECT_EQ(numbers(german.Out), numbers(c.Out)) << args[0];
        EXPECT_EQ(numbers(french.Out), numbers(c.Out)) << args[0];
        EXPECT_EQ(numbers(german.Err), numbers(c.Err)) << args[0];
        EXPECT_NE(german.Out, c.Out) << args[0] << ": told in German";
    }
    // The names as stored, byte for byte, and the lines of list's entries.
    const std::string listed = RunTool({kC}, {"list", "-l", archive}).Out;
    const std::string entries = listed.substr(0, listed.rfind('\n', listed.size() - 2) + 1);
    EXPECT_NE(entries.find("maps/\xC3\xA9t\xC3\xA9.bsp\n"), std::string::npos);
    EXPECT_EQ(RunTool({kGerman}, {"list", "-l", archive}).Out.substr(0, entries.size()), entries);
    EXPECT_EQ(RunTool({kFrench}, {"list", archive}).Out, RunTool({kC}, {"list", archive}).Out);

    // A fraction keeps its point, units and words change.
    const struct {
        std::string Env;
        std::string Line;
    } progress[] = {
        {kC, "100%  1.5 KiB of 1.5 KiB"},
        {kGerman, "100%  1.5 KiB von 1.5 KiB"},
        {kFrench, "100%  1.5 Kio sur 1.5 Kio"},
    };
    for (const auto& p : progress) {
        const std::string out = (dir.Path() / ("out-" + p.Env)).string();
        const test::TProgramRun run =
            RunTool({p.Env, "TERM=dumb"}, {"extract", archive, "-C", out, "--progress=always"});
        EXPECT_EQ(run.End.Status, 0) << p.Env << run.Err;
        EXPECT_NE(run.Err.find(p.Line), std::string::npos) << p.Env << ": " << run.Err;
    }
}

// --json is read by scripts: its texts are English in every language, those
// of failures and of the system's reasons too.
TEST(PakToolLanguage, JsonStaysEnglish) {
    const test::TTempDir dir;
    const std::string archive = WriteArchive(dir);
    const std::string missing = (dir.Path() / "missing.pak").string();
    const std::vector<std::vector<std::string>> commands = {
        {"list", "--json", archive, missing},
        {"verify", "--json", archive, missing},
        {"info", "--json", archive, "gfx/Palette.lmp", "nothing"},
    };
    for (const auto& args : commands) {
        const test::TProgramRun c = RunTool({kC}, args);
        EXPECT_NE(c.Out, "") << args[0];
        EXPECT_EQ(RunTool({kGerman}, args).Out, c.Out) << args[0];
        EXPECT_EQ(RunTool({kFrench}, args).Out, c.Out) << args[0];
    }
    EXPECT_NE(RunTool({kGerman}, {"list", "--json", missing}).Out.find("No such file or directory"),
              std::string::npos);
}

} // namespace
} // namespace zorvak
