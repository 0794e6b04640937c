// The extraction run of the main window: both buttons, the gauge, "Done !",
// the button states, the failures, and what happens when the user acts in
// the middle of a run.
#include "archive/PakWriter.h"
#include "controls/Gauges.h"
#include "forms/Zorvmain.h"
#include "support/MainWindowTest.h"
#include "support/PakImage.h"
#include "support/Recorders.h"
#include "support/TempDir.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

using test::ReadFile;
using test::TRecordedDialogs;
using test::TTempDir;
using test::WriteFile;

class ExtractRun : public test::TMainWindowTest {
protected:
    void Select(std::initializer_list<int> rows) {
        for (int row : rows)
            form.PakList->item(row)->setSelected(true);
    }
};

TEST_F(ExtractRun, ExtractAllWritesEveryEntryAndCreatesItsDirectories) {
    Open({{"sound/misc/null.wav", "RIFF...."}, {"progs.dat", "progs"}, {"maps/e1m1.bsp", ""}});
    form.ButtonExtractAll->click();
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    EXPECT_EQ(ReadFile(dir / "sound/misc/null.wav"), "RIFF....");
    EXPECT_EQ(ReadFile(dir / "progs.dat"), "progs");
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "maps/e1m1.bsp"));
    EXPECT_EQ(std::filesystem::file_size(dir / "maps/e1m1.bsp"), 0u);
    // The box belongs to the last entry; the buttons follow the click rules.
    EXPECT_EQ(form.ExName->text(), "maps/e1m1.bsp");
    EXPECT_FALSE(form.LDone->isHidden());
    EXPECT_TRUE(form.ButtonExtractAll->isEnabled());
    EXPECT_EQ(form.ButtonExtract->isEnabled(), form.PakList->currentRow() >= 0);
    // Nothing is left over from the writes.
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(dir.Path()), {}), 7);
}

TEST_F(ExtractRun, TheGaugeCountsChunksBegun) {
    const struct {
        std::size_t Length;
        int MaxValue;
        int Progress;
        int Percent;
    } cases[] = {{0, 1, 0, 0}, {10240, 2, 1, 50}, {10241, 2, 2, 100}, {25000, 3, 3, 100}};
    for (const auto& c : cases) {
        Open({{"e.bin", std::string(c.Length, 'q')}});
        form.ButtonExtractAll->click();
        EXPECT_EQ(form.ExGauge->MaxValue(), c.MaxValue) << c.Length;
        EXPECT_EQ(form.ExGauge->Progress(), c.Progress) << c.Length;
        EXPECT_EQ(form.ExGauge->Percentage(), c.Percent) << c.Length;
        EXPECT_FALSE(form.LDone->isHidden());
        EXPECT_EQ(std::filesystem::file_size(dir / "e.bin"), c.Length);
    }
    // A click afterwards resets the gauge and hides "Done !".
    form.PakList->setCurrentRow(0);
    EXPECT_EQ(form.ExGauge->Progress(), 0);
    EXPECT_TRUE(form.LDone->isHidden());
}

TEST_F(ExtractRun, ExtractTakesTheSelectionInListOrder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 7; ++i)
        files.push_back({"f" + std::to_string(i), std::to_string(i)});
    Open(files);
    Select({5, 2});
    form.PakList->setCurrentRow(5, QItemSelectionModel::NoUpdate);
    form.ButtonExtract->click();
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(std::filesystem::exists(dir / ("f" + std::to_string(i))), i == 2 || i == 5) << i;
    // Index 5 came last; the selection is what it was.
    EXPECT_EQ(form.ExName->text(), "f5");
    EXPECT_EQ(form.PakList->selectedItems().size(), 2);
}

TEST_F(ExtractRun, ExtractWithNothingSelectedWritesNothing) {
    Open({{"a", "1"}, {"b", "2"}});
    form.PakList->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    form.PakList->clearSelection();
    const QString name = form.ExName->text();
    form.ButtonExtract->click();
    EXPECT_FALSE(std::filesystem::exists(dir / "a"));
    EXPECT_FALSE(std::filesystem::exists(dir / "b"));
    EXPECT_EQ(form.ExName->text(), name);
    EXPECT_TRUE(form.ButtonExtract->isEnabled());
    EXPECT_TRUE(form.ButtonExtractAll->isEnabled());
}

TEST_F(ExtractRun, NamesThatDifferOnlyInCaseKeepTheirOwnData) {
    Open({{"Sound/X.wav", "upper"}, {"sound/x.wav", "lower"}});
    form.ButtonExtractAll->click();
    EXPECT_EQ(ReadFile(dir / "Sound/X.wav"), "upper");
    EXPECT_EQ(ReadFile(dir / "sound/x.wav"), "lower");
}

TEST_F(ExtractRun, AnExistingFileIsReplaced) {
    WriteFile(dir / "progs.dat", "an older, longer file");
    Open({{"progs.dat", "new"}});
    form.ButtonExtractAll->click();
    EXPECT_EQ(ReadFile(dir / "progs.dat"), "new");
}

TEST_F(ExtractRun, AFailureEndsTheRunAtThatEntry) {
    const auto bad = "../escape.txt";
    const auto pak = Open({{"first", "1"}, {bad, "x"}, {"third", "3"}});
    form.ButtonExtractAll->click();
    EXPECT_EQ(Texts(), std::vector<QString>{
                           "Unsafe entry name \"../escape.txt\": it would not land inside the "
                           "archive's directory."});
    EXPECT_EQ(dialogs.Boxes->Messages[0].Title, "Zorvak");
    EXPECT_EQ(ReadFile(dir / "first"), "1");
    EXPECT_FALSE(std::filesystem::exists(dir / "third"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path().parent_path() / "escape.txt"));
    EXPECT_FALSE(form.ButtonExtract->isEnabled());
    EXPECT_FALSE(form.ButtonExtractAll->isEnabled());
    // The next click in the list enables them again.
    form.PakList->setCurrentRow(0);
    EXPECT_TRUE(form.ButtonExtract->isEnabled());
    EXPECT_TRUE(form.ButtonExtractAll->isEnabled());
}

TEST_F(ExtractRun, FailuresNameWhatWentWrong) {
    std::string fifteen;
    for (int i = 0; i < 15; ++i)
        fifteen += "d" + std::to_string(i) + "/";
    const struct {
        const char* What;
        std::string Name;
        std::function<void()> Prepare;
        std::string Message;
        std::function<void()> Meanwhile = [] {}; // after the open, before the run
    } cases[] = {
        {"15 missing levels", fifteen + "f", [] {}, "File not found."},
        {"a file in the way", "blocker/f", [&] { WriteFile(dir / "blocker", "x"); },
         "I/O error 17."},
        {"a directory in the way", "taken",
         [&] { std::filesystem::create_directories(dir / "taken"); },
         "Cannot create file " + (dir / "taken").string() + "."},
        {"the archive itself", "pak0.pak", [] {},
         "Entry pak0.pak would overwrite the archive it is read from."},
        {"an empty name", "", [] {}, "Cannot create file " + dir.Path().string() + "/."},
        {"a link at a middle level", "up/escape.txt",
         [&] { std::filesystem::create_directory_symlink("..", dir / "up"); },
         (dir / "up").string() + " is a symbolic link: nothing is written through it."},
        {"the archive replaced since it was opened", "replaced.txt", [] {},
         "The archive " + (dir / "pak0.pak").string() +
             " has changed since it was opened; open it again.",
         [&] {
             WriteFile(dir / "other.pak", BuildPakImage({{"replaced.txt", "other bytes"}}));
             std::filesystem::rename(dir / "other.pak", dir / "pak0.pak");
         }},
        {"the archive rewritten in place at the same size", "same.txt", [] {},
         "The archive " + (dir / "pak0.pak").string() +
             " has changed since it was opened; open it again.",
         [&] {
             const auto before = std::filesystem::last_write_time(dir / "pak0.pak");
             WriteFile(dir / "pak0.pak", BuildPakImage({{"same.txt", "DATA"}}));
             std::filesystem::last_write_time(dir / "pak0.pak", before + std::chrono::seconds(1));
         }},
    };
    for (const auto& c : cases) {
        dialogs.Boxes->Messages.clear();
        c.Prepare();
        Open({{c.Name, "data"}});
        c.Meanwhile();
        form.ButtonExtractAll->click();
        ASSERT_EQ(dialogs.Boxes->Messages.size(), 1u) << c.What;
        EXPECT_EQ(dialogs.Boxes->Messages[0].Text.toStdString(), c.Message) << c.What;
        EXPECT_EQ(dialogs.Boxes->Messages[0].Icon, TMsgIcon::mbiError);
        // Nothing reached outside the directory, nor took the new bytes.
        EXPECT_FALSE(std::filesystem::exists(dir.Path().parent_path() / "escape.txt")) << c.What;
        EXPECT_FALSE(std::filesystem::is_regular_file(dir / c.Name) && c.Name != "pak0.pak" &&
                     ReadFile(dir / c.Name) != "data")
            << c.What;
    }
}

TEST_F(ExtractRun, DamagedEntriesAreRefusedAndNothingIsWritten) {
    const auto path = dir / "bad.pak";
    WriteFile(path, test::PakHeaderBytes(12, 128) + test::PakEntryBytes("past.end", 12, 5000) +
                        test::PakEntryBytes("negative", 12, -1));
    for (int row : {0, 1}) {
        dialogs.Boxes->Messages.clear();
        dialogs.Files->Answers.push_back(QString::fromStdString(path.string()));
        form.OpenPakFile1->trigger();
        form.PakList->setCurrentRow(row);
        form.PakList->item(row)->setSelected(true);
        form.ButtonExtract->click();
        ASSERT_EQ(dialogs.Boxes->Messages.size(), 1u);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "past.end"));
    EXPECT_FALSE(std::filesystem::exists(dir / "negative"));
}

TEST_F(ExtractRun, OpeningAnotherArchiveMidRunEndsIt) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 5; ++i)
        files.push_back({"f" + std::to_string(i), std::string(30000, 'a')});
    Open(files);
    const auto other = dir / "other.pak";
    WriteFile(other, BuildPakImage({{"o", "1"}}));
    // The open runs from the events the first chunk's pump handles.
    QTimer::singleShot(0, &form, [&] {
        dialogs.Files->Answers.push_back(QString::fromStdString(other.string()));
        form.OpenPakFile1->trigger();
    });
    form.ButtonExtractAll->click();
    EXPECT_EQ(form.PakList->count(), 1);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(std::filesystem::exists(dir / ("f" + std::to_string(i)))) << i;
    EXPECT_FALSE(std::filesystem::exists(dir / "o"));
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
}

TEST_F(ExtractRun, ClosingTheWindowMidRunEndsItCleanly) {
    Open({{"a", std::string(50000, 'a')}, {"b", "b"}});
    form.show();
    QTimer::singleShot(0, &form, [&] { form.close(); });
    form.ButtonExtractAll->click();
    EXPECT_FALSE(std::filesystem::exists(dir / "a"));
    EXPECT_FALSE(std::filesystem::exists(dir / "b"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST_F(ExtractRun, ASecondRunStartedMidCopyFailsAndTheFirstGoesOn) {
    Open({{"a", std::string(30000, 'a')}, {"b", "b"}});
    QTimer::singleShot(0, &form, [&] {
        form.PakList->setCurrentRow(1);
        form.ButtonExtractAll->click();
    });
    form.ButtonExtractAll->click();
    ASSERT_EQ(dialogs.Boxes->Messages.size(), 1u);
    EXPECT_TRUE(dialogs.Boxes->Messages[0].Text.startsWith("Cannot open file "));
    EXPECT_EQ(ReadFile(dir / "a"), std::string(30000, 'a'));
    EXPECT_EQ(ReadFile(dir / "b"), "b");
}

} // namespace
} // namespace zorvak
