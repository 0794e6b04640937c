// Playing an entry straight from the archive: the bytes handed to the sound
// service, the archive held until the sound ends, and the refusals.
#include "archive/PakWriter.h"
#include "forms/Zorvmain.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "sound/SoundService.h"
#include "sound/Waveplay.h"
#include "support/MainWindowTest.h"
#include "support/PakImage.h"
#include "support/Recorders.h"
#include "support/SoundRecorder.h"
#include "support/TempDir.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace zorvak {
namespace {

using test::ToString;
using test::TRecordedDialogs;
using test::TRecordedSound;
using test::TTempDir;
using test::WriteFile;

std::vector<unsigned char> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

class PlayEntry : public test::TMainWindowTest {};

TEST_F(PlayEntry, PlaysTheCurrentEntrysBytesSynchronouslyFromMemory) {
    const auto pak = Open({{"maps/a.bsp", "map"},
                           {"sound/a.wav", "RIFF-first"},
                           {"sound/b.wav", "RIFF-second, longer"}});
    bool lockedWhilePlaying = false;
    sound.Sound->OnPlay = [&](const test::TSoundCall&) {
        try {
            TLockedFile other(pak);
        } catch (const TFileOpenFailure&) {
            lockedWhilePlaying = true;
        }
    };
    form.PakList->setCurrentRow(1);
    ASSERT_TRUE(form.ButtonPlay->isEnabled());
    form.ButtonPlay->click();
    form.PakList->setCurrentRow(2);
    form.ButtonPlay->click();
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    ASSERT_EQ(sound.Sound->Calls.size(), 2u);
    EXPECT_EQ(sound.Sound->Calls[0].Sound, Bytes("RIFF-first"));
    EXPECT_EQ(sound.Sound->Calls[0].Flags, kSndMemory | kSndSync);
    // The second play's bytes replace the first's in the wave.
    EXPECT_EQ(sound.Sound->Calls[1].Sound, Bytes("RIFF-second, longer"));
    const auto kept = form.WAVPlayer->Wave().Bytes();
    EXPECT_EQ(std::vector<unsigned char>(kept.begin(), kept.end()), Bytes("RIFF-second, longer"));
    EXPECT_TRUE(lockedWhilePlaying);
    EXPECT_NO_THROW(TLockedFile after(pak));
    // The window's player stops the sound when it goes; pak is gone by then.
    sound.Sound->OnPlay = nullptr;
}

TEST_F(PlayEntry, AnEmptyEntryPassesNoSound) {
    Open({{"silence.wav", ""}});
    form.PakList->setCurrentRow(0);
    form.ButtonPlay->click();
    ASSERT_EQ(sound.Sound->Calls.size(), 1u);
    EXPECT_TRUE(sound.Sound->Calls[0].Sound.empty());
    EXPECT_TRUE(form.WAVPlayer->Wave().Bytes().empty());
}

TEST_F(PlayEntry, DoubleClickPlaysOnlyWhatPlayWould) {
    Open({{"a.wav", "RIFF"}, {"a.bsp", "BSP"}});
    form.PakList->setCurrentRow(1);
    form.PakList->itemDoubleClicked(form.PakList->item(1));
    EXPECT_TRUE(sound.Sound->Calls.empty());
    form.PakList->setCurrentRow(0);
    form.PakList->itemDoubleClicked(form.PakList->item(0));
    ASSERT_EQ(sound.Sound->Calls.size(), 1u);
    EXPECT_EQ(sound.Sound->Calls[0].Sound, Bytes("RIFF"));
}

TEST_F(PlayEntry, RefusalsGoToTheErrorBoxAndKeepTheEarlierSound) {
    const auto pak = Open({{"ok.wav", "RIFF-ok"}});
    form.PakList->setCurrentRow(0);
    form.ButtonPlay->click();
    ASSERT_EQ(sound.Sound->Calls.size(), 1u);

    // The archive held by someone else.
    {
        TLockedFile holder(pak);
        form.ButtonPlay->click();
    }
    // Damaged entries: past the end, negative values, a length far beyond
    // the file (refused before anything is allocated for it).
    const auto bad = dir / "bad.pak";
    WriteFile(bad, test::PakHeaderBytes(12, 256) + test::PakEntryBytes("past.wav", 12, 5000) +
                       test::PakEntryBytes("neg.wav", 12, -1) +
                       test::PakEntryBytes("negpos.wav", -4, 4) +
                       test::PakEntryBytes("huge.wav", 12, 0x7FFFFFFF));
    OpenPath(bad);
    for (int row = 0; row < 4; ++row) {
        form.PakList->setCurrentRow(row);
        form.ButtonPlay->click();
    }
    // The archive replaced since it was opened is not read.
    WriteFile(dir / "new.pak", BuildPakImage({{"past.wav", "RIFF-new"}}));
    std::filesystem::rename(dir / "new.pak", bad);
    form.PakList->setCurrentRow(0);
    form.ButtonPlay->click();
    EXPECT_EQ(Texts(), (std::vector<QString>{
                           "Cannot open file " + QString::fromStdString(pak.string()) + ".",
                           "Read beyond end of file.",
                           "Damaged entry neg.wav: its position or length is negative.",
                           "Damaged entry negpos.wav: its position or length is negative.",
                           "Read beyond end of file.",
                           "The archive " + QString::fromStdString(bad.string()) +
                               " has changed since it was opened; open it again."}));
    EXPECT_EQ(sound.Sound->Calls.size(), 1u);
    const auto kept = form.WAVPlayer->Wave().Bytes();
    EXPECT_EQ(std::vector<unsigned char>(kept.begin(), kept.end()), Bytes("RIFF-ok"));
}

TEST_F(PlayEntry, PlayLeftEnabledWithoutACurrentItemIsAnError) {
    Open({{"a.wav", "RIFF"}});
    form.PakList->setCurrentRow(0);
    Open({{"b.wav", "RIFF"}}, "other.pak");
    ASSERT_EQ(form.PakList->currentRow(), -1);
    ASSERT_TRUE(form.ButtonPlay->isEnabled());
    form.ButtonPlay->click();
    EXPECT_EQ(Texts(), std::vector<QString>{"List index out of bounds."});
    EXPECT_TRUE(sound.Sound->Calls.empty());
}

// After an extraction run the caret is back on the entry the user chose, so
// Play plays what is highlighted; the selection is as it was.
TEST_F(PlayEntry, AfterARunPlayPlaysTheEntryTheUserChose) {
    const struct {
        const char* What;
        bool All;
        int Current; // the entry clicked last, -1 none
    } cases[] = {
        {"Extract", false, 0}, {"Extract All", true, 1}, {"Extract All, none current", true, -1}};
    for (const auto& c : cases) {
        Open({{"a.Wav", "RIFF-a"},
              {"snd/beep.wav", "RIFF-beep"},
              {"wa", "wav"},
              {"after.txt", "t"}});
        sound.Sound->Calls.clear();
        if (c.Current >= 0)
            form.PakList->setCurrentRow(c.Current, QItemSelectionModel::NoUpdate);
        form.PakList->item(0)->setSelected(true);
        form.PakList->item(2)->setSelected(true);
        (c.All ? form.ButtonExtractAll : form.ButtonExtract)->click();
        EXPECT_TRUE(dialogs.Boxes->Messages.empty()) << c.What;
        EXPECT_EQ(form.PakList->currentRow(), c.Current) << c.What;
        EXPECT_TRUE(form.PakList->item(0)->isSelected() && form.PakList->item(2)->isSelected() &&
                    !form.PakList->item(1)->isSelected())
            << c.What;
        EXPECT_EQ(form.ButtonExtract->isEnabled(), c.Current >= 0) << c.What;
        if (c.Current < 0)
            continue;
        form.ButtonPlay->click();
        ASSERT_EQ(sound.Sound->Calls.size(), 1u) << c.What;
        EXPECT_EQ(sound.Sound->Calls[0].Sound, Bytes(c.Current == 0 ? "RIFF-a" : "RIFF-beep"))
            << c.What;
    }
}

// Play waits to the sound's end as it always has, but Escape or closing the
// window stops it, and what the user typed or clicked meanwhile is dropped:
// it never runs once the sound is over.
TEST_F(PlayEntry, EscapeOrClosingStopsTheSoundAndInputMeanwhileIsDropped) {
    constexpr int kLength = 500; // the waits a whole sound takes
    const auto key = [&](int k) {
        QCoreApplication::postEvent(form.PakList,
                                    new QKeyEvent(QEvent::KeyPress, k, Qt::NoModifier));
        QCoreApplication::postEvent(form.PakList,
                                    new QKeyEvent(QEvent::KeyRelease, k, Qt::NoModifier));
    };
    const auto click = [&](QWidget* target) {
        const QPointF at(target->width() / 2, target->height() / 2);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(
                target,
                new QMouseEvent(type, at, target->mapToGlobal(at), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::NoModifier));
    };
    const struct {
        const char* What;
        std::function<void()> Meanwhile; // inside the play, before its waits
        bool Stopped;
        bool Closed = false;
    } cases[] = {
        {"nothing pressed: to its end", [] {}, false},
        {"Escape", [&] { key(Qt::Key_Escape); }, true},
        {"Delete, then Escape",
         [&] {
             key(Qt::Key_Delete);
             key(Qt::Key_Escape);
         },
         true},
        {"Escape, then Delete",
         [&] {
             key(Qt::Key_Escape);
             key(Qt::Key_Delete);
         },
         true},
        {"a click on Extract All and Return, no Escape",
         [&] {
             click(form.ButtonExtractAll);
             key(Qt::Key_Return);
         },
         false},
        {"the window closed", [&] { QTimer::singleShot(0, &form, [&] { form.close(); }); }, true,
         true},
    };
    form.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        const auto pak = Open({{"long.wav", "RIFF-long"}, {"other.txt", "t"}});
        form.PakList->setCurrentRow(0);
        sound.Sound->Calls.clear();
        sound.Sound->Length = kLength;
        // A Delete that ran would be answered Yes.
        dialogs.Boxes->Confirms.assign(1, true);
        sound.Sound->OnPlay = [&](const test::TSoundCall&) { c.Meanwhile(); };
        form.ButtonPlay->click();
        sound.Sound->OnPlay = nullptr;
        sound.Sound->Length = 0;
        QCoreApplication::processEvents();

        ASSERT_EQ(sound.Sound->Calls.size(), 1u);
        const test::TSoundCall& call = sound.Sound->Calls[0];
        EXPECT_EQ(call.Flags, kSndMemory | kSndSync);
        EXPECT_TRUE(call.Watched);
        EXPECT_EQ(call.Stopped, c.Stopped);
        EXPECT_EQ(call.Waits, c.Stopped ? 1 : kLength);
        EXPECT_EQ(form.isVisible(), !c.Closed);
        // Nothing of the input ran: no question, no extraction, no second play.
        EXPECT_TRUE(dialogs.Boxes->Questions.empty());
        EXPECT_TRUE(dialogs.Boxes->Messages.empty());
        EXPECT_EQ(form.PakList->count(), 2);
        EXPECT_FALSE(std::filesystem::exists(dir / "other.txt"));
        EXPECT_EQ(test::ReadFile(pak),
                  ToString(BuildPakImage({{"long.wav", "RIFF-long"}, {"other.txt", "t"}})));
        // Afterwards the window takes input again.
        form.show();
        dialogs.Boxes->Confirms.assign(1, false);
        form.PakList->item(1)->setSelected(true);
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QCoreApplication::sendEvent(form.PakList, &del);
        EXPECT_EQ(dialogs.Boxes->Questions.size(), 1u);
        dialogs.Boxes->Questions.clear();
    }
}

} // namespace
} // namespace zorvak
