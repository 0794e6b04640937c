// Edit, Undo and Redo in the main window: each edit given back entry for
// entry and made again, whatever its added files hold by then; the history
// and its recovery file going with the archive; a changed archive refused.
#include "forms/EditHistory.h"
#include "archive/PakExtract.h"
#include "archive/PakReader.h"
#include "forms/Zorvmain.h"
#include "framework/Files.h"
#include "support/MainWindowTest.h"
#include "support/PakImage.h"
#include "support/ZipImage.h"

#include <QAction>
#include <QByteArray>
#include <QMenu>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace zorvak {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;
using TFiles = std::vector<std::pair<std::string, std::string>>;

// The system's temporary folder, for one test: a fresh folder of its own.
class TTemporaryFolder {
public:
    TTemporaryFolder() : had_(qEnvironmentVariableIsSet("TMPDIR")), saved_(qgetenv("TMPDIR")) {
        qputenv("TMPDIR", QByteArray::fromStdString(dir_.Path().string()));
    }
    ~TTemporaryFolder() {
        if (had_)
            qputenv("TMPDIR", saved_);
        else
            qunsetenv("TMPDIR");
    }
    TTemporaryFolder(const TTemporaryFolder&) = delete;
    TTemporaryFolder& operator=(const TTemporaryFolder&) = delete;
    const std::filesystem::path& Path() const { return dir_.Path(); }
    bool Empty() const { return std::filesystem::is_empty(dir_.Path()); }

private:
    TTempDir dir_;
    bool had_;
    QByteArray saved_;
};

class EditHistory : public test::TMainWindowTest {
protected:
    QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }
    // The archive's entries as a reader sees them: names, order, bytes.
    static TFiles Contents(const std::filesystem::path& archive) {
        TLockedFile file(archive, TShareMode::smShared);
        TFiles files;
        for (const TPakEntry e : ReadPakIndex(file).Entries) {
            const std::vector<unsigned char> bytes = ReadEntryBytes(file, e);
            files.emplace_back(std::string(e.Name), std::string(bytes.begin(), bytes.end()));
        }
        return files;
    }
    void Select(std::initializer_list<int> rows) {
        form.PakList->clearSelection();
        for (const int row : rows)
            form.PakList->item(row)->setSelected(true);
    }
    void AddFiles(const std::vector<std::filesystem::path>& files, const QString& under = "") {
        QStringList paths;
        for (const auto& f : files)
            paths.append(Q(f));
        dialogs.Files->ManyAnswers.push_back(paths);
        dialogs.Boxes->Texts.push_back(under);
        form.AddFiles1->trigger();
    }
    void Delete(std::initializer_list<int> rows) {
        Select(rows);
        dialogs.Boxes->Confirms.push_back(true);
        form.Delete1->trigger();
    }
    void Rename(int row, const QString& name) {
        form.PakList->setCurrentRow(row);
        dialogs.Boxes->Texts.push_back(name);
        form.Rename1->trigger();
    }
    // What the Undo and Redo commands say, "" when greyed.
    using TCommands = std::pair<std::string, std::string>;
    TCommands Commands() const {
        return {form.Undo1->isEnabled() ? form.Undo1->text().toStdString() : "",
                form.Redo1->isEnabled() ? form.Redo1->text().toStdString() : ""};
    }
    void ExpectNoMessage(const std::string& what) {
        EXPECT_TRUE(dialogs.Boxes->Messages.empty())
            << what << ": " << (Texts().empty() ? "" : Texts()[0].toStdString());
        dialogs.Boxes->Messages.clear();
    }
};

// Each edit kind, and compaction between them, in a PAK and a PK3: every
// undo back to the start gives the entries as they were before that edit,
// every redo to the end the entries as the edit made them, although the
// files it added have changed on disk meanwhile.
TEST_F(EditHistory, UndoneToTheStartAndRedoneToTheEnd) {
    TTempDir outside;
    const auto one = outside / "One.txt";
    const auto two = outside / "two.txt";
    const auto wave = outside / "a.wav";
    const auto tree = outside / "tree";
    const struct {
        const char* What;
        std::function<void()> Do;
        std::string Undo; // the Undo command after it
        bool Step = true; // a step of the history of its own
    } steps[] = {
        {"add two files",
         [&] {
             AddFiles({one, two}, "docs");
         },
         "&Undo Add"},
        {"replace one by adding it", [&] { AddFiles({wave}, "sound"); }, "&Undo Replace"},
        {"delete two apart",
         [&] {
             Delete({0, 2});
         },
         "&Undo Delete"},
        {"rename as typed", [&] { Rename(1, "Sound/Renamed.WAV"); }, "&Undo Rename"},
        {"compact: no step of its own", [&] { form.Compact1->trigger(); }, "&Undo Rename", false},
        {"add a folder that adds and replaces",
         [&] {
             dialogs.Files->FolderAnswers.push_back(Q(tree));
             dialogs.Boxes->Texts.push_back("");
             form.AddFolder1->trigger();
         },
         "&Undo Add"},
        {"delete the first", [&] { Delete({0}); }, "&Undo Delete"},
    };
    const struct {
        const char* Kind;
        std::function<std::filesystem::path(const TFiles&)> Open;
    } kinds[] = {
        {"PAK", [&](const TFiles& files) { return Open(files); }},
        {"PK3",
         [&](const TFiles& files) {
             std::vector<test::TZipSpec> members;
             for (const auto& [name, bytes] : files)
                 members.emplace_back(
                     name, bytes, name.ends_with(".wav") ? kZipMethodStored : kZipMethodDeflated);
             const auto pk3 = dir / "mod.pk3";
             WriteFile(pk3, test::ZipImage(members));
             OpenPath(pk3);
             return pk3;
         }},
    };
    const TFiles start = {{"maps/e1m1.bsp", std::string(70000, 'm')},
                          {"sound/a.wav", "RIFF old"},
                          {"progs.dat", "p"},
                          {"tree/keep.txt", "kept"}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.Kind);
        WriteFile(one, "one");
        WriteFile(two, "two");
        WriteFile(wave, "RIFF new");
        WriteFile(tree / "keep.txt", "replaced");
        WriteFile(tree / "fresh.txt", "fresh");
        const TTemporaryFolder temporary;
        const auto archive = kind.Open(start);
        EXPECT_EQ(Commands(), TCommands());
        // The entries before each step of the history, and after the last.
        std::vector<TFiles> states = {Contents(archive)};
        std::vector<std::size_t> made;
        for (std::size_t i = 0; i < std::size(steps); ++i) {
            steps[i].Do();
            ExpectNoMessage(steps[i].What);
            if (steps[i].Step) {
                made.push_back(i);
                states.push_back(Contents(archive));
            } else {
                EXPECT_TRUE(Contents(archive) == states.back()) << steps[i].What;
            }
            EXPECT_EQ(Commands(), TCommands(steps[i].Undo, "")) << steps[i].What;
            // What a redo puts back must not come from the files again.
            for (const auto& f : {one, two, wave, tree / "keep.txt", tree / "fresh.txt"})
                WriteFile(f, "changed on disk");
        }
        EXPECT_FALSE(states.back() == states.front());
        for (std::size_t k = made.size(); k-- > 0;) {
            const char* what = steps[made[k]].What;
            EXPECT_EQ(form.Undo1->text().toStdString(), steps[made[k]].Undo) << what;
            form.Undo1->trigger();
            ExpectNoMessage(what);
            EXPECT_TRUE(Contents(archive) == states[k]) << "undo " << what;
            // The list is the archive read again.
            EXPECT_EQ(form.PakList->count(), static_cast<int>(states[k].size())) << what;
            EXPECT_TRUE(form.Redo1->isEnabled()) << what;
        }
        EXPECT_FALSE(form.Undo1->isEnabled());
        for (std::size_t k = 0; k < made.size(); ++k) {
            const char* what = steps[made[k]].What;
            form.Redo1->trigger();
            ExpectNoMessage(what);
            EXPECT_TRUE(Contents(archive) == states[k + 1]) << "redo " << what;
            EXPECT_EQ(form.Undo1->text().toStdString(), steps[made[k]].Undo) << what;
        }
        EXPECT_FALSE(form.Redo1->isEnabled());
        // Undone once more, then a new edit: there is nothing left to redo.
        form.Undo1->trigger();
        EXPECT_EQ(Commands(), TCommands("&Undo Add", "&Redo Delete"));
        Rename(0, "other.txt");
        EXPECT_EQ(Commands(), TCommands("&Undo Rename", ""));
        // The bytes kept are in one file of the program's own, gone with
        // the archive.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temporary.Path()), {}), 1);
        Open({{"next", "n"}}, "next.pak");
        EXPECT_TRUE(temporary.Empty());
        EXPECT_EQ(Commands(), TCommands());
    }
}

// The history and its recovery file go with the archive: another opened,
// the same opened again, the window closed or gone; a file refused as an
// archive keeps the one open, and its history.
TEST_F(EditHistory, TheHistoryGoesWithTheArchive) {
    WriteFile(dir / "other.pak", BuildPakImage({{"o", "1"}}));
    WriteFile(dir / "bad.pak", "not an archive");
    using TWindow = std::unique_ptr<TZorvakForm>;
    const auto open = [&](TWindow& window, const std::string& name) {
        dialogs.Files->Answers.push_back(Q(dir / name));
        window->OpenPakFile1->trigger();
    };
    const struct {
        const char* What;
        std::function<void(TWindow&)> Do;
        bool Kept;
    } ways[] = {
        {"another archive opened", [&](TWindow& w) { open(w, "other.pak"); }, false},
        {"the same archive opened again", [&](TWindow& w) { open(w, "pak0.pak"); }, false},
        {"the window closed", [](TWindow& w) { w->close(); }, false},
        {"the program ends", [](TWindow& w) { w.reset(); }, false},
        {"a file that is no archive refused", [&](TWindow& w) { open(w, "bad.pak"); }, true},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.What);
        const TTemporaryFolder temporary;
        TWindow window = std::make_unique<TZorvakForm>();
        WriteFile(dir / "pak0.pak", BuildPakImage({{"a", "1"}, {"b", "2"}}));
        open(window, "pak0.pak");
        window->PakList->item(0)->setSelected(true);
        dialogs.Boxes->Confirms.push_back(true);
        window->Delete1->trigger();
        ExpectNoMessage("delete");
        EXPECT_TRUE(window->Undo1->isEnabled());
        EXPECT_FALSE(temporary.Empty());
        w.Do(window);
        dialogs.Boxes->Messages.clear();
        if (window) {
            EXPECT_EQ(window->Undo1->isEnabled(), w.Kept);
        }
        EXPECT_EQ(temporary.Empty(), !w.Kept);
        window.reset();
        EXPECT_TRUE(temporary.Empty());
    }
}

// An archive changed by another program since the window wrote it: Undo
// and Redo refuse, say why, leave it as it is, and forget the history.
TEST_F(EditHistory, AChangedArchiveRefusesUndoAndRedo) {
    const std::string changed = test::ToString(BuildPakImage({{"theirs", "x"}}));
    for (const bool undo : {true, false}) {
        SCOPED_TRACE(undo ? "undo" : "redo");
        const TTemporaryFolder temporary;
        const auto pak = Open({{"a", "1"}, {"b", "2"}});
        Delete({1});
        Rename(0, "c");
        form.Undo1->trigger();
        ExpectNoMessage("edits");
        EXPECT_EQ(Commands(), TCommands("&Undo Delete", "&Redo Rename"));
        WriteFile(pak, changed);
        (undo ? form.Undo1 : form.Redo1)->trigger();
        const std::string verb = undo ? "undo" : "redo";
        ASSERT_EQ(Texts().size(), 1u);
        EXPECT_EQ(Texts()[0].toStdString(),
                  "Cannot " + verb + ": " + pak.string() +
                      " has changed outside Zorvak since it was edited, so its edits can no "
                      "longer be undone or redone.");
        dialogs.Boxes->Messages.clear();
        EXPECT_EQ(ReadFile(pak), changed);
        EXPECT_EQ(Commands(), TCommands());
        EXPECT_TRUE(temporary.Empty());
    }
}

// Where the bytes an undo needs cannot be kept (no temporary folder; an
// entry of another maker's archive whose bytes lie outside it), the user
// decides: the edit is made without a way back, the history forgotten, or
// not at all.
TEST_F(EditHistory, AnEditThatCannotBeKeptIsMadeOnlyWhenTheUserSays) {
    const std::string outside = test::PakHeaderBytes(18, 128) + "abcdef" +
                                test::PakEntryBytes("bad", 12, 900) +
                                test::PakEntryBytes("ok", 12, 6);
    const struct {
        const char* What;
        bool Yes;
        std::string Reason;
    } cases[] = {
        {"no temporary folder, made", true,
         "There is no temporary folder to keep the bytes an undo puts back in"},
        {"no temporary folder, not made", false,
         "There is no temporary folder to keep the bytes an undo puts back in"},
        {"bytes outside the archive, made", true, "Damaged entry bad: Read beyond end of file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        const TTemporaryFolder temporary;
        const auto pak = Open({{"a", "1"}, {"b", "2"}});
        Rename(1, "c");
        const bool damaged = c.Reason.starts_with("Damaged");
        if (damaged) {
            // Another maker's archive: no edit keeps that entry, so there is
            // no step before.
            WriteFile(pak, outside);
            OpenPath(pak);
        } else {
            std::filesystem::remove_all(temporary.Path());
        }
        dialogs.Boxes->Confirms.push_back(true);  // the delete
        dialogs.Boxes->Confirms.push_back(c.Yes); // made without a way back
        Select({0});
        form.Delete1->trigger();
        ASSERT_EQ(dialogs.Boxes->Questions.size(), 2u);
        EXPECT_EQ(dialogs.Boxes->Questions[1].Text.toStdString(),
                  "This edit could not be undone: " + c.Reason +
                      ".\n\nMake it all the same? The edits before it could then no longer be "
                      "undone either.");
        dialogs.Boxes->Questions.clear();
        ExpectNoMessage("delete");
        const TFiles left = damaged ? TFiles{{"ok", "abcdef"}}
                            : c.Yes ? TFiles{{"c", "2"}}
                                    : TFiles{{"a", "1"}, {"c", "2"}};
        EXPECT_EQ(Contents(pak), left);
        EXPECT_EQ(Commands(), TCommands(c.Yes || damaged ? "" : "&Undo Rename", ""));
        std::filesystem::create_directories(temporary.Path());
    }
}

} // namespace
} // namespace zorvak
