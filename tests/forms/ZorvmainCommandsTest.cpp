// The main window's commands beyond its buttons: the ways an archive opens,
// Extract To, the Edit menu, drops and the keys of the list.
#include "archive/PakExtract.h"
#include "archive/PakReader.h"
#include "forms/Buildpak.h"
#include "forms/Preview.h"
#include "forms/Zorvmain.h"
#include "framework/Files.h"
#include "support/MainWindowTest.h"
#include "support/PakImage.h"
#include "support/ZipImage.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

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
    const auto sin = dir / "maps.sin";
    const std::string sinBytes = test::PakHeaderBytes(14, 128, "SPAK") + "ab" +
                                 test::LayoutEntryBytes(kSinLayout, "sound/ab.wav", 12, 2);
    WriteFile(sin, sinBytes);
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
        // A SiN archive opens by its signature and is read, never edited.
        dialogs.Boxes->Messages.clear();
        w.Open(sin);
        EXPECT_EQ(Names(), std::vector<std::string>{"sound/ab.wav"}) << w.Way;
        form.PakList->item(0)->setSelected(true);
        dialogs.Boxes->Confirms.push_back(true);
        form.Delete1->trigger();
        // As every refusal, told as a sentence.
        EXPECT_EQ(Texts(),
                  std::vector<QString>{"Only PAK and ZIP archives can be edited; this is a SiN "
                                       "archive (SPAK)."})
            << w.Way;
        EXPECT_EQ(ReadFile(sin), sinBytes) << w.Way;
    }
}

// A PK3 opens by its signature whichever way it comes, extracts with the
// buttons byte for byte, keeps no file of a damaged member, and takes the
// Edit menu's commands.
TEST_F(WindowCommands, APk3WorksAsAPakDoes) {
    std::string map;
    for (int i = 0; i < 3000; ++i)
        map += "{ \"classname\" \"light\" }\n";
    const auto pk3 = dir / "mod.pk3";
    WriteFile(pk3,
              test::ZipImage({{"maps/", "", kZipMethodStored},
                              {"maps/e1m1.ent", map, kZipMethodDeflated, kZipFlagDescriptor},
                              {"sound/h\xC3\xA9llo.wav", "RIFF", kZipMethodStored, kZipFlagUtf8},
                              {"bad.txt", "damaged", kZipMethodDeflated, 0, false, "", 1u}}));
    const struct {
        const char* Way;
        std::function<void()> Open;
    } ways[] = {
        {"the menu", [&] { OpenPath(pk3); }},
        {"the command line", [&] { form.OpenArchive(Q(pk3)); }},
        {"a drop", [&] { form.DropFiles({Q(pk3)}); }},
    };
    for (const auto& w : ways) {
        dialogs.Boxes->Messages.clear();
        w.Open();
        EXPECT_TRUE(dialogs.Boxes->Messages.empty()) << w.Way;
        EXPECT_EQ(Names(),
                  (std::vector<std::string>{"maps/e1m1.ent", "sound/h\xC3\xA9llo.wav", "bad.txt"}))
            << w.Way;
        EXPECT_EQ(form.Offset->text(), "3") << w.Way;
    }
    form.ButtonExtractAll->click();
    EXPECT_EQ(ReadFile(dir / "maps/e1m1.ent"), map);
    EXPECT_EQ(ReadFile(dir / "sound/h\xC3\xA9llo.wav"), "RIFF");
    // The damaged member is told and leaves nothing that looks whole.
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_NE(Texts()[0].indexOf("Damaged entry bad.txt: its CRC is"), -1)
        << Texts()[0].toStdString();
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.txt"));
    // Edits keep the other members as they are.
    dialogs.Boxes->Messages.clear();
    form.PakList->clearSelection();
    form.PakList->item(2)->setSelected(true);
    dialogs.Boxes->Confirms.push_back(true);
    form.Delete1->trigger();
    form.PakList->setCurrentRow(0);
    dialogs.Boxes->Texts.push_back(QStringLiteral("maps/start.ent"));
    form.Rename1->trigger();
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"maps/start.ent", "sound/h\xC3\xA9llo.wav"}));
    TLockedFile file(pk3);
    const TPakIndex index = ReadPakIndex(file);
    EXPECT_EQ(index.Kind, TPakKind::pkZip);
    const std::vector<unsigned char> bytes = ReadEntryBytes(file, index.Entries[0]);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), map);
}

TEST_F(WindowCommands, ExtractToWritesIntoTheChosenFolderAndNamesWhatFails) {
    const struct {
        const char* What;
        bool All;
        std::vector<std::pair<std::string, std::string>> Files;
        std::function<void(const std::filesystem::path&)> Prepare;
        std::string Message; // "" for none; "%" stands for the chosen folder
        // Files with the bytes they must hold afterwards.
        std::vector<std::pair<std::string, std::string>> Written = {};
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
        {"a name stored again: the first, as the game reads it",
         true,
         {{"a.txt", "first"}, {"a.txt", "second"}},
         {},
         "",
         {{"a.txt", "first"}}},
        {"another name for a file taken already is passed over and named",
         true,
         {{"maps/b.txt", "one"}, {"maps//b.txt", "two"}},
         {},
         "1 entry was passed over, as it names the same file as an earlier entry on this "
         "system:\nmaps//b.txt (as maps/b.txt)",
         {{"maps/b.txt", "one"}}},
    };
    // Each case alone, and after it entries enough to be extracted on every
    // core: the same files and the same message.
    std::vector<std::pair<std::string, std::string>> padding;
    for (int i = 0; i < 150; ++i)
        padding.emplace_back("pad" + std::to_string(i % 7) + "/" + std::to_string(i) + ".dat",
                             std::string(static_cast<std::size_t>(i * 53), 'p'));
    for (const auto& c : cases)
        for (const bool many : {false, true}) {
            dialogs.Boxes->Messages.clear();
            std::vector<std::pair<std::string, std::string>> files = c.Files;
            if (many)
                files.insert(files.end(), padding.begin(), padding.end());
            Open(files);
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
            for (const auto& [name, bytes] : c.Written)
                EXPECT_EQ(ReadFile(chosen / name), bytes) << c.What;
            if (expected.empty()) {
                EXPECT_TRUE(dialogs.Boxes->Messages.empty()) << c.What;
                for (std::size_t i = 0; i < c.Files.size(); ++i)
                    EXPECT_EQ(std::filesystem::exists(chosen / c.Files[i].first), c.All || i == 1)
                        << c.What << " " << c.Files[i].first;
            } else {
                ASSERT_EQ(Texts().size(), 1u) << c.What << many;
                EXPECT_EQ(Texts()[0].toStdString(), expected) << c.What << many;
            }
            if (many && expected.empty() && c.All) {
                for (const auto& [name, bytes] : padding)
                    EXPECT_EQ(ReadFile(chosen / name), bytes) << c.What;
            }
            // Nothing is written beside the archive by these commands.
            for (const auto& f : files)
                EXPECT_FALSE(std::filesystem::exists(dir / f.first)) << c.What;
        }
}

// A run into a folder on every core, ended between entries by what the
// events it handles do: the window closing, another archive opened. It
// stops; every file there is whole, no temporary stays, nothing is said.
TEST_F(WindowCommands, ARunOnEveryCoreEndsCleanlyWhenTheWindowMovesOn) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 400; ++i)
        files.emplace_back("d" + std::to_string(i % 9) + "/" + std::to_string(i) + ".dat",
                           std::string(static_cast<std::size_t>(i * 97 % 20000), 'x'));
    const auto other = dir / "other.pak";
    WriteFile(other, BuildPakImage({{"o", "1"}}));
    const struct {
        const char* What;
        std::function<void()> Meanwhile;
        bool Closed;
    } cases[] = {
        {"the window closes", [&] { form.close(); }, true},
        {"another archive opens",
         [&] {
             dialogs.Files->Answers.push_back(Q(other));
             form.OpenPakFile1->trigger();
         },
         false},
    };
    for (const auto& c : cases) {
        dialogs.Boxes->Messages.clear();
        Open(files);
        form.show();
        TTempDir chosen;
        dialogs.Files->FolderAnswers.push_back(Q(chosen.Path()));
        QTimer::singleShot(0, &form, c.Meanwhile);
        form.ExtractAllTo1->trigger();
        EXPECT_TRUE(dialogs.Boxes->Messages.empty()) << c.What;
        std::size_t written = 0;
        for (const auto& [name, bytes] : files)
            if (std::filesystem::exists(chosen / name)) {
                EXPECT_EQ(ReadFile(chosen / name), bytes) << c.What << " " << name;
                ++written;
            }
        EXPECT_LT(written, files.size()) << c.What;
        for (const auto& e : std::filesystem::recursive_directory_iterator(chosen.Path()))
            EXPECT_FALSE(IsTemporaryName(e.path().filename().string())) << c.What;
        if (!c.Closed) {
            EXPECT_EQ(form.PakList->count(), 1) << c.What;
        }
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
         {"maps/e1m1.bsp", "progs.dat", "sound/a.wav", "maps/new.cfg", "extra/tree/maps/e2m1.bsp"}},
        {"rename as typed",
         [&] {
             form.PakList->setCurrentRow(1);
             dialogs.Boxes->Texts.push_back(QStringLiteral("Progs2.dat"));
             form.Rename1->trigger();
         },
         {"maps/e1m1.bsp", "Progs2.dat", "sound/a.wav", "maps/new.cfg",
          "extra/tree/maps/e2m1.bsp"}},
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
         {"maps/e1m1.bsp", "Progs2.dat", "sound/a.wav", "maps/new.cfg",
          "extra/tree/maps/e2m1.bsp"}},
        {"delete two by the key",
         [&] {
             form.PakList->clearSelection();
             form.PakList->item(0)->setSelected(true);
             form.PakList->item(2)->setSelected(true);
             dialogs.Boxes->Confirms.push_back(true);
             QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
             QCoreApplication::sendEvent(form.PakList, &del);
         },
         {"Progs2.dat", "maps/new.cfg", "extra/tree/maps/e2m1.bsp"}},
        {"a drop of a file adds it",
         [&] {
             dialogs.Boxes->Texts.push_back(QStringLiteral("")); // the archive's top
             form.DropFiles({Q(outside / "New.CFG")});
         },
         {"Progs2.dat", "maps/new.cfg", "extra/tree/maps/e2m1.bsp", "new.cfg"}},
        {"compact frees what the edits left",
         [&] {
             EXPECT_GT(UnusedBytes(ReadPakIndex(pak)), 0);
             form.Compact1->trigger();
             EXPECT_EQ(UnusedBytes(ReadPakIndex(pak)), 0);
         },
         {"Progs2.dat", "maps/new.cfg", "extra/tree/maps/e2m1.bsp", "new.cfg"}},
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

// The build dialog moves the working directory; an archive opened by a
// relative path must still be the same file afterwards.
TEST_F(WindowCommands, ARelativePathIsMadeAbsoluteWhenTheArchiveOpens) {
    struct TBack {
        std::filesystem::path Saved = std::filesystem::current_path();
        ~TBack() { std::filesystem::current_path(Saved); }
    } back;
    TTempDir elsewhere;
    TBuildPakDialog build(&form);
    const auto pak = dir / "edit/edit.pak";
    const struct {
        const char* Way;
        QString Typed;
        std::function<void(const QString&)> Open;
    } ways[] = {
        {"the command line", "edit/edit.pak", [&](const QString& p) { form.OpenArchive(p); }},
        {"a drop", "./edit/edit.pak", [&](const QString& p) { form.DropFiles({p}); }},
        {"the open dialog", "edit/./edit.pak",
         [&](const QString& p) {
             dialogs.Files->Answers.push_back(p);
             form.OpenPakFile1->trigger();
         }},
        {"a path through a level up", "edit/../edit/edit.pak",
         [&](const QString& p) { form.OpenArchive(p); }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.Way);
        dialogs.Boxes->Messages.clear();
        WriteFile(pak, BuildPakImage({{"maps/a.bsp", "map"}, {"b.txt", "b"}}));
        std::filesystem::remove_all(dir / "edit/maps");
        std::filesystem::current_path(dir.Path());
        w.Open(w.Typed);
        // Made absolute by its text: "." levels go, ".." stays as typed.
        const QString shown = w.Typed.contains(QStringLiteral(".."))
                                  ? Q(dir.Path()) + "/edit/../edit/edit.pak"
                                  : Q(pak);
        EXPECT_EQ(form.windowTitle().toStdString(), ("Zorvak [" + shown + "]").toStdString());

        build.DirList->SetDirectory(elsewhere.Path());
        ASSERT_EQ(std::filesystem::current_path(), elsewhere.Path());
        form.ButtonExtractAll->click();
        EXPECT_EQ(ReadFile(dir / "edit/maps/a.bsp"), "map");
        form.PakList->setCurrentRow(1);
        form.PreviewEntry1->trigger();
        ASSERT_NE(form.Preview, nullptr);
        EXPECT_EQ(form.Preview->MessageLabel->text().toStdString(), "");
        form.PreviewEntry1->trigger();
        form.PakList->setCurrentRow(1);
        dialogs.Boxes->Texts.push_back(QStringLiteral("c.txt"));
        form.Rename1->trigger();
        EXPECT_EQ(Names(), (std::vector<std::string>{"maps/a.bsp", "c.txt"}));
        EXPECT_TRUE(dialogs.Boxes->Messages.empty()) << Texts()[0].toStdString();
        EXPECT_TRUE(std::filesystem::is_empty(elsewhere.Path()));
    }
}

TEST_F(WindowCommands, DeleteIsEnabledOnlyWhileEntriesAreSelected) {
    const auto pak = dir / "a.pak";
    WriteFile(pak, BuildPakImage({{"a", "1"}, {"b", "2"}, {"c", "3"}}));
    WriteFile(dir / "b.pak", BuildPakImage({{"x", "1"}}));
    WriteFile(dir / "cut.pak", test::PakHeaderBytes(9000, 64));
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    const struct {
        const char* What;
        std::function<void()> Do;
        bool Enabled;
    } steps[] = {
        {"no archive", [] {}, false},
        {"an archive opened", [&] { OpenPath(pak); }, false},
        {"a click selects an entry", [&] { form.PakList->setCurrentRow(1); }, true},
        {"the caret moved without selecting",
         [&] {
             form.PakList->clearSelection();
             form.PakList->setCurrentRow(2, QItemSelectionModel::NoUpdate);
         },
         false},
        {"the Delete key with nothing selected",
         [&] { QCoreApplication::sendEvent(form.PakList, &del); }, false},
        {"all selected", [&] { form.PakList->selectAll(); }, true},
        {"another archive opened", [&] { OpenPath(dir / "b.pak"); }, false},
        {"a file refused: the archive stays, and its selection",
         [&] {
             form.PakList->selectAll();
             OpenPath(dir / "missing.pak");
         },
         true},
        {"an archive whose directory cannot be read", [&] { OpenPath(dir / "cut.pak"); }, false},
        {"two selected and deleted",
         [&] {
             OpenPath(pak);
             form.PakList->item(0)->setSelected(true);
             form.PakList->item(2)->setSelected(true);
             dialogs.Boxes->Confirms.push_back(true);
             form.Delete1->trigger();
         },
         false},
    };
    for (const auto& s : steps) {
        s.Do();
        EXPECT_EQ(form.Delete1->isEnabled(), s.Enabled) << s.What;
    }
    // Only the last step asked, and it deleted.
    EXPECT_EQ(Texts(), std::vector<QString>{"Cannot open file " + Q(dir / "missing.pak") + "."});
    EXPECT_EQ(dialogs.Boxes->Questions.size(), 1u);
    EXPECT_EQ(Names(), std::vector<std::string>{"b"});
}

// One rule for a folder added by the menu or by a drop: it keeps its own
// name as a level, as a file manager's copy would.
TEST_F(WindowCommands, AFolderIsStoredUnderItsOwnNameHoweverItIsAdded) {
    TTempDir outside;
    WriteFile(outside / "Sub/data.bin", "d");
    WriteFile(outside / "Sub/deep/x.txt", "x");
    const auto addFolder = [&](const QString& folder, const QString& under) {
        dialogs.Files->FolderAnswers.push_back(folder);
        dialogs.Boxes->Texts.push_back(under);
        form.AddFolder1->trigger();
    };
    const auto drop = [&](const QString& folder, const QString& under) {
        dialogs.Boxes->Texts.push_back(under);
        form.DropFiles({folder});
    };
    const struct {
        const char* What;
        std::function<void(const QString&, const QString&)> Add;
        QString Folder;
        QString Under;
        std::vector<std::string> Added;
    } cases[] = {
        {"Add Folder at the top",
         addFolder,
         Q(outside / "Sub"),
         "",
         {"sub/data.bin", "sub/deep/x.txt"}},
        {"Add Folder under maps/",
         addFolder,
         Q(outside / "Sub"),
         "maps/",
         {"maps/sub/data.bin", "maps/sub/deep/x.txt"}},
        {"Add Folder, chosen with a final slash, under maps",
         addFolder,
         Q(outside / "Sub") + "/",
         "maps",
         {"maps/sub/data.bin", "maps/sub/deep/x.txt"}},
        {"a drop at the top", drop, Q(outside / "Sub"), "", {"sub/data.bin", "sub/deep/x.txt"}},
        {"a drop under maps/",
         drop,
         Q(outside / "Sub"),
         "maps/",
         {"maps/sub/data.bin", "maps/sub/deep/x.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        dialogs.Boxes->Messages.clear();
        Open({{"progs.dat", "p"}});
        c.Add(c.Folder, c.Under);
        EXPECT_TRUE(dialogs.Boxes->Messages.empty());
        std::vector<std::string> names = Names();
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names.front(), "progs.dat");
        names.erase(names.begin());
        // The walk lists a folder in the file system's order.
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.Added);
    }
}

// The classic commands keep their classic text for an archive another
// program holds; the commands beyond them say what is going on. While the
// window's own run holds it, it is not "another program".
TEST_F(WindowCommands, AnArchiveHeldByAnotherProgramIsSaidSoBeyondTheClassicCommands) {
    TTempDir outside;
    WriteFile(outside / "new.txt", "n");
    const struct {
        const char* What;
        std::function<void()> Do;
        bool Classic;
        bool Held = true;
    } cases[] = {
        {"Extract", [&] { form.ButtonExtract->click(); }, true},
        {"Extract All", [&] { form.ButtonExtractAll->click(); }, true},
        {"Play", [&] { form.ButtonPlay->click(); }, true},
        {"open again", [&] { OpenPath(dir / "pak0.pak"); }, true},
        {"Extract To",
         [&] {
             dialogs.Files->FolderAnswers.push_back(Q(outside.Path()));
             form.ExtractTo1->trigger();
         },
         false},
        {"Extract All To",
         [&] {
             dialogs.Files->FolderAnswers.push_back(Q(outside.Path()));
             form.ExtractAllTo1->trigger();
         },
         false},
        {"Add Files",
         [&] {
             dialogs.Files->ManyAnswers.push_back({Q(outside / "new.txt")});
             dialogs.Boxes->Texts.push_back(QStringLiteral(""));
             form.AddFiles1->trigger();
         },
         false},
        {"Delete",
         [&] {
             dialogs.Boxes->Confirms.push_back(true);
             form.Delete1->trigger();
         },
         false},
        {"Rename",
         [&] {
             dialogs.Boxes->Texts.push_back(QStringLiteral("renamed.wav"));
             form.Rename1->trigger();
         },
         false},
        {"Extract All To while the window's own run holds it",
         [&] {
             QTimer::singleShot(0, &form, [&] {
                 dialogs.Files->FolderAnswers.push_back(Q(outside.Path()));
                 form.ExtractAllTo1->trigger();
             });
             form.ButtonExtractAll->click();
         },
         true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        dialogs.Boxes->Messages.clear();
        const auto pak = Open({{"a.wav", std::string(30000, 'a')}, {"b.txt", "b"}});
        form.PakList->setCurrentRow(0);
        const std::string before = ReadFile(pak);
        std::optional<TLockedFile> holder;
        if (c.Held)
            holder.emplace(pak);
        c.Do();
        holder.reset();
        const QString text = c.Classic ? "Cannot open file " + Q(pak) + "."
                                       : Q(pak) + " is in use by another program.";
        EXPECT_EQ(Texts(), std::vector<QString>{text});
        EXPECT_EQ(ReadFile(pak), before);
        EXPECT_FALSE(std::filesystem::exists(outside / "a.wav"));
    }
}

} // namespace
} // namespace zorvak

namespace zorvak {
namespace {

// Each file dialog opens where it was left last time, in this window or an
// earlier one: its own folder, not another dialog's; the archive's folder
// (or the toolkit's choice) until it has one.
TEST_F(WindowCommands, EachFileDialogReopensInItsOwnLastFolder) {
    const auto pak = dir / "pak0.pak";
    WriteFile(pak, BuildPakImage({{"maps/a.txt", "a"}}));
    TTempDir elsewhere;
    for (const char* sub : {"extract", "extractall", "files", "folders/sub", "saved"})
        std::filesystem::create_directories(elsewhere / sub);
    WriteFile(elsewhere / "files/new.txt", "n");
    auto& files = *dialogs.Files;
    const auto lastFolderRequest = [&] { return files.FolderRequests.back().second; };
    const struct {
        const char* What;
        std::function<void(TZorvakForm&, const QString&)> Show; // answered, or cancelled by null
        std::function<QString()> OpenedIn;
        QString Answer;
        QString First;  // where it opens the first time
        QString Second; // where it opens the next time
    } dialogsTable[] = {
        {"Extract To",
         [&](TZorvakForm& w, const QString& answer) {
             files.FolderAnswers.push_back(answer);
             w.ExtractTo1->trigger();
         },
         lastFolderRequest, Q(elsewhere / "extract"), Q(dir.Path()), Q(elsewhere / "extract")},
        {"Extract All To",
         [&](TZorvakForm& w, const QString& answer) {
             files.FolderAnswers.push_back(answer);
             w.ExtractAllTo1->trigger();
         },
         lastFolderRequest, Q(elsewhere / "extractall"), Q(dir.Path()),
         Q(elsewhere / "extractall")},
        {"Add Files: the folder of the files",
         [&](TZorvakForm& w, const QString& answer) {
             files.ManyAnswers.push_back(answer.isNull() ? QStringList() : QStringList{answer});
             w.AddFiles1->trigger();
         },
         [&] { return files.Requests.back().Folder; }, Q(elsewhere / "files/new.txt"), "",
         Q(elsewhere / "files")},
        {"Add Folder: the folder that holds it",
         [&](TZorvakForm& w, const QString& answer) {
             files.FolderAnswers.push_back(answer);
             w.AddFolder1->trigger();
         },
         lastFolderRequest, Q(elsewhere / "folders/sub") + "/", Q(dir.Path()),
         Q(elsewhere / "folders")},
        {"the preview's Save As: the folder of the file",
         [&](TZorvakForm& w, const QString& answer) {
             files.SaveAnswers.push_back(answer);
             w.PreviewEntry1->trigger();
             w.Preview->ButtonSaveAs->click();
             w.Preview->close();
         },
         [&] { return files.SaveRequests.back().InitialFile; }, Q(elsewhere / "saved/a.txt"),
         Q(dir / "a.txt"), Q(elsewhere / "saved/a.txt")},
    };
    for (const auto& d : dialogsTable) {
        SCOPED_TRACE(d.What);
        form.OpenArchive(Q(pak));
        form.PakList->setCurrentRow(0);
        d.Show(form, d.Answer);
        EXPECT_EQ(d.OpenedIn(), d.First);
        TZorvakForm next;
        next.OpenArchive(Q(pak));
        next.PakList->setCurrentRow(0);
        d.Show(next, QString());
        EXPECT_EQ(d.OpenedIn(), d.Second);
    }
    EXPECT_TRUE(dialogs.Boxes->Messages.empty()) << Texts().front().toStdString();
}

} // namespace
} // namespace zorvak
