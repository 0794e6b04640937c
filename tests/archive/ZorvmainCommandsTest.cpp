// The main window's commands beyond its buttons: the ways an archive opens,
// Extract To, the Edit menu, drops and the keys of the list.
#include "archive/PakReader.h"
#include "archive/Zorvmain.h"
#include "support/MainWindowTest.h"
#include "support/PakImage.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>

namespace zorvak {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

class WindowCommands : public test::TMainWindowTest {
protected:
    QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const TPakEntry e : form.PakNames)
            names.emplace_back(e.Name);
        return names;
    }
};

// The menu, a file named at start-up and a drop all open an archive the same
// way, and all refuse a file that is not one, keeping the earlier archive.
TEST_F(WindowCommands, EveryWayOfOpeningGivesTheSameState) {
    const auto good = dir / "good.pak";
    const auto other = dir / "other.pak";
    const auto bad = dir / "bad.pak";
    WriteFile(good, BuildPakImage({{"a.txt", "a"}, {"b.wav", "RIFF"}}));
    WriteFile(other, BuildPakImage({{"c.txt", "c"}}));
    WriteFile(bad, "not an archive");
    const struct {
        const char* Way;
        std::function<void(const std::filesystem::path&)> Open;
    } ways[] = {
        {"the menu", [&](const auto& p) { OpenPath(p); }},
        {"the command line", [&](const auto& p) { form.OpenArchive(Q(p)); }},
        {"a drop", [&](const auto& p) { form.DropFiles({Q(p)}); }},
    };
    for (const auto& w : ways) {
        dialogs.Boxes->Messages.clear();
        OpenPath(other);
        w.Open(good);
        EXPECT_EQ(form.windowTitle(), "Zorvak [" + Q(good) + "]") << w.Way;
        EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "b.wav"})) << w.Way;
        EXPECT_TRUE(form.ButtonExtractAll->isEnabled()) << w.Way;
        w.Open(bad);
        EXPECT_EQ(Texts(), std::vector<QString>{"Not a valid PAK file"}) << w.Way;
        EXPECT_EQ(form.windowTitle(), "Zorvak [" + Q(good) + "]") << w.Way;
        EXPECT_EQ(Names().size(), 2u) << w.Way;
    }
}

TEST_F(WindowCommands, ExtractToWritesIntoTheChosenFolderAndNamesWhatFails) {
    const struct {
        const char* What;
        bool All;
        std::vector<std::pair<std::string, std::string>> Files;
        std::function<void(const std::filesystem::path&)> Prepare;
        std::string Message; // "" for none; "%" stands for the chosen folder
    } cases[] = {
        {"all, with levels", true, {{"maps/e1m1.bsp", "map"}, {"progs.dat", "p"}}, {}, ""},
        {"the selected one", false, {{"one.txt", "1"}, {"two.txt", "2"}}, {}, ""},
        {"a file in the way of a level",
         true,
         {{"maps/e1m1.bsp", "map"}},
         [](const auto& to) { WriteFile(to / "maps", "a file"); },
         "I/O error 17: %/maps."},
        {"an unsafe name",
         true,
         {{"../up.txt", "x"}},
         {},
         "Unsafe entry name \"../up.txt\": it would not land inside the archive's directory."},
        {"a folder gone",
         true,
         {{"a.txt", "a"}},
         [](const auto& to) { std::filesystem::remove_all(to); },
         "File not found: %."},
    };
    for (const auto& c : cases) {
        dialogs.Boxes->Messages.clear();
        Open(c.Files);
        if (!c.All)
            form.PakList->setCurrentRow(1);
        TTempDir chosen;
        if (c.Prepare)
            c.Prepare(chosen.Path());
        dialogs.Files->FolderAnswers.push_back(Q(chosen.Path()));
        (c.All ? form.ExtractAllTo1 : form.ExtractTo1)->trigger();
        std::string expected = c.Message;
        if (const auto at = expected.find('%'); at != std::string::npos)
            expected.replace(at, 1, chosen.Path().string());
        if (expected.empty()) {
            EXPECT_TRUE(dialogs.Boxes->Messages.empty()) << c.What;
            for (std::size_t i = 0; i < c.Files.size(); ++i)
                EXPECT_EQ(std::filesystem::exists(chosen / c.Files[i].first), c.All || i == 1)
                    << c.What << " " << c.Files[i].first;
        } else {
            ASSERT_EQ(Texts().size(), 1u) << c.What;
            EXPECT_EQ(Texts()[0].toStdString(), expected) << c.What;
        }
        // Nothing is written beside the archive by these commands.
        for (const auto& f : c.Files)
            EXPECT_FALSE(std::filesystem::exists(dir / f.first)) << c.What;
    }
}

// Every edit goes through the planner and the writer beside the archive; the
// list shows the archive read again, and a refusal leaves its bytes.
TEST_F(WindowCommands, TheEditMenuChangesTheArchive) {
    const auto pak = Open({{"maps/e1m1.bsp", "map"}, {"progs.dat", "p"}, {"sound/a.wav", "a"}});
    TTempDir outside;
    WriteFile(outside / "New.CFG", "bind x");
    WriteFile(outside / "tree/Maps/e2m1.bsp", "map 2");
    WriteFile(outside / "tree/old.pak", "skipped");
    const struct {
        const char* What;
        std::function<void()> Do;
        std::vector<std::string> Names; // empty: unchanged, with a message
    } steps[] = {
        {"add files under the current entry's folder",
         [&] {
             form.PakList->setCurrentRow(0);
             dialogs.Files->ManyAnswers.push_back({Q(outside / "New.CFG")});
             dialogs.Boxes->Texts.push_back(QStringLiteral("maps/"));
             form.AddFiles1->trigger();
         },
         {"maps/e1m1.bsp", "progs.dat", "sound/a.wav", "maps/new.cfg"}},
        {"add a folder's tree, archives skipped",
         [&] {
             dialogs.Files->FolderAnswers.push_back(Q(outside / "tree"));
             dialogs.Boxes->Texts.push_back(QStringLiteral("extra"));
             form.AddFolder1->trigger();
         },
         {"maps/e1m1.bsp", "progs.dat", "sound/a.wav", "maps/new.cfg", "extra/maps/e2m1.bsp"}},
        {"rename as typed",
         [&] {
             form.PakList->setCurrentRow(1);
             dialogs.Boxes->Texts.push_back(QStringLiteral("Progs2.dat"));
             form.Rename1->trigger();
         },
         {"maps/e1m1.bsp", "Progs2.dat", "sound/a.wav", "maps/new.cfg", "extra/maps/e2m1.bsp"}},
        {"a refused rename",
         [&] {
             form.PakList->setCurrentRow(1);
             dialogs.Boxes->Texts.push_back(QStringLiteral("../up"));
             form.Rename1->trigger();
         },
         {}},
        {"delete, answered No",
         [&] {
             form.PakList->clearSelection();
             form.PakList->item(0)->setSelected(true);
             dialogs.Boxes->Confirms.push_back(false);
             form.Delete1->trigger();
         },
         {"maps/e1m1.bsp", "Progs2.dat", "sound/a.wav", "maps/new.cfg", "extra/maps/e2m1.bsp"}},
        {"delete two by the key",
         [&] {
             form.PakList->clearSelection();
             form.PakList->item(0)->setSelected(true);
             form.PakList->item(2)->setSelected(true);
             dialogs.Boxes->Confirms.push_back(true);
             QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
             QCoreApplication::sendEvent(form.PakList, &del);
         },
         {"Progs2.dat", "maps/new.cfg", "extra/maps/e2m1.bsp"}},
        {"a drop of a file adds it",
         [&] {
             dialogs.Boxes->Texts.push_back(QStringLiteral("")); // the archive's top
             form.DropFiles({Q(outside / "New.CFG")});
         },
         {"Progs2.dat", "maps/new.cfg", "extra/maps/e2m1.bsp", "new.cfg"}},
    };
    for (const auto& s : steps) {
        dialogs.Boxes->Messages.clear();
        const std::string before = ReadFile(pak);
        s.Do();
        if (s.Names.empty()) {
            EXPECT_EQ(Texts().size(), 1u) << s.What;
            EXPECT_EQ(ReadFile(pak), before) << s.What;
            continue;
        }
        EXPECT_TRUE(dialogs.Boxes->Messages.empty()) << s.What << ": " << Texts()[0].toStdString();
        EXPECT_EQ(Names(), s.Names) << s.What;
        // The list is the archive on disk, read again.
        std::vector<std::string> onDisk;
        for (const TPakEntry e : ReadPakIndex(pak).Entries)
            onDisk.emplace_back(e.Name);
        EXPECT_EQ(onDisk, s.Names) << s.What;
    }
    EXPECT_EQ(dialogs.Boxes->Questions.size(), 2u);
    EXPECT_EQ(dialogs.Boxes->Questions[1].Text, "Delete 2 entries from " + Q(pak) + "?");
    // No temporary is left beside the archive.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST_F(WindowCommands, ReturnInTheListActsAsTheDoubleClick) {
    Open({{"a.txt", "a"}, {"b.wav", "RIFF-b"}});
    for (const int row : {0, 1}) {
        form.PakList->setCurrentRow(row);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(form.PakList, &enter);
    }
    // Only the sound plays, as a double click would.
    ASSERT_EQ(sound.Sound->Calls.size(), 1u);
    EXPECT_EQ(sound.Sound->Calls[0].Sound,
              (std::vector<unsigned char>{'R', 'I', 'F', 'F', '-', 'b'}));
}

} // namespace
} // namespace zorvak
