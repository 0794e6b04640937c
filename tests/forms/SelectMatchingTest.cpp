// View, Select Matching: which names a pattern takes, and the dialog driven
// as a user would, up to what Extract then writes.
#include "forms/SelectMatching.h"

#include "support/MainWindowTest.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

using test::ReadFile;

TEST(NameMatches, SubstringsAndWildcardsIgnoringLetterCase) {
    const struct {
        const char* Pattern;
        const char* Name;
        bool Utf8;
        bool Matches;
    } cases[] = {
        {"wav", "sound/items/R_ITEM1.WAV", true, true}, // anywhere, any case
        {"PROGS", "progs.dat", true, true},
        {"maps/", "sound/maps.wav", true, false},
        {"*.wav", "sound/items/r_item1.wav", true, true}, // "*" crosses "/"
        {"*.wav", "sound/a.wave", true, false},           // a pattern takes the whole name
        {"sound/*", "maps/sound/a.wav", true, false},
        {"maps/e?m?.bsp", "maps/e1m1.bsp", true, true},
        {"maps/e?m?.bsp", "maps/e1m10.bsp", true, false},
        {"*", "", true, true},
        {"?", "", true, false},
        {"", "anything", true, false},
        {"a*b*c", "aXXbYYc", true, true},
        {"a*b*c", "aXXbYY", true, false},
        {"*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", true, false},
        {"[a]", "gfx/[a].lmp", true, true},      // brackets are plain characters
        {"É", "é", true, false},                 // only A to Z change case
        {"?.txt", "\xC3\xA9.txt", true, true},   // one character of two bytes
        {"??.txt", "\xC3\xA9.txt", false, true}, // Latin-1: two characters
        {"\xE9*", "\xE9t\xE9.wav", false, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameMatches(c.Pattern, c.Name, c.Utf8), c.Matches)
            << c.Pattern << " / " << c.Name;
}

TEST(NameMatches, NamesAreMatchedAsTheListShowsThem) {
    TPakEntries entries;
    for (const char* name : {"sound/\xC3\xA9t\xC3\xA9.wav", // UTF-8
                             "sound/\xE9t\xE9.wav",         // Latin-1
                             "sound/etc.wav"})
        entries.push_back({name, 12, 0});
    EXPECT_EQ(MatchingRows(entries, PatternOf(QStringLiteral("\u00e9T\u00e9"))),
              (std::vector<int>{0, 1}));
    EXPECT_EQ(MatchingRows(entries, PatternOf(QStringLiteral("sound/???.wav"))),
              (std::vector<int>{0, 1, 2}));
    // A character Latin-1 has no byte for matches no Latin-1 name.
    EXPECT_EQ(MatchingRows(entries, PatternOf(QStringLiteral("*\u20ac*"))), std::vector<int>{});
}

class SelectMatching : public test::TMainWindowTest {
protected:
    TSelectMatchingDialog& Dialog() {
        form.SelectMatching1->trigger();
        EXPECT_NE(form.SelectMatchingDialog, nullptr);
        return *form.SelectMatchingDialog;
    }
    std::vector<int> SelectedRows() const {
        std::vector<int> rows;
        for (int i = 0; i < form.PakList->count(); ++i)
            if (form.PakList->IsRowSelected(i))
                rows.push_back(i);
        return rows;
    }
};

TEST_F(SelectMatching, SelectsExactlyTheMatchesAndExtractWritesThose) {
    Open({{"maps/start.bsp", "map"},
          {"sound/a.wav", "RIFF-a"},
          {"progs.dat", "progs"},
          {"Sound/B.WAV", "RIFF-b"}});
    // An earlier choice is replaced, not added to.
    form.PakList->setCurrentRow(2);
    TSelectMatchingDialog& dialog = Dialog();
    EXPECT_TRUE(dialog.isVisible());
    const struct {
        QString Typed;
        QString Count;
        bool CanSelect;
    } typing[] = {
        {"", "", false},
        {"*.wav", "2 matches of 4 entries", true},
        {"zzz", "No entry matches", false},
        {"start", "1 match of 4 entries", true},
        {"*.WAV", "2 matches of 4 entries", true},
    };
    for (const auto& t : typing) {
        dialog.PatternEdit->setText(t.Typed);
        EXPECT_EQ(dialog.CountLabel->text(), t.Count) << t.Typed.toStdString();
        EXPECT_EQ(dialog.ButtonSelect->isEnabled(), t.CanSelect) << t.Typed.toStdString();
    }
    dialog.ButtonSelect->click();
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 3}));
    EXPECT_EQ(form.PakList->currentRow(), 1);
    EXPECT_EQ(dialog.CountLabel->text(), "Selected 2 of 4 entries");
    // The caret's move is a click: the box and Play show the first match.
    EXPECT_EQ(form.ExName->text(), "sound/a.wav");
    EXPECT_TRUE(form.ButtonPlay->isEnabled());
    EXPECT_TRUE(form.ButtonExtract->isEnabled());

    form.ButtonExtract->click();
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    EXPECT_EQ(ReadFile(dir / "sound/a.wav"), "RIFF-a");
    EXPECT_EQ(ReadFile(dir / "Sound/B.WAV"), "RIFF-b");
    EXPECT_FALSE(std::filesystem::exists(dir / "progs.dat"));
    EXPECT_FALSE(std::filesystem::exists(dir / "maps"));
}

TEST_F(SelectMatching, FollowsTheArchiveOpenedWhileItIsOpen) {
    Open({{"a.wav", "1"}, {"b.txt", "2"}});
    TSelectMatchingDialog& dialog = Dialog();
    dialog.PatternEdit->setText("*.wav");
    EXPECT_EQ(dialog.CountLabel->text(), "1 match of 2 entries");
    Open({{"c.wav", "1"}, {"d.wav", "2"}, {"e.cfg", "3"}}, "other.pak");
    EXPECT_EQ(dialog.CountLabel->text(), "2 matches of 3 entries");
    dialog.ButtonSelect->click();
    EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 1}));
    // Opened again, the same dialog comes back with its pattern.
    dialog.close();
    EXPECT_EQ(&Dialog(), &dialog);
    EXPECT_EQ(dialog.PatternEdit->text(), "*.wav");
}

TEST_F(SelectMatching, ManyScatteredMatchesAreSelectedInOneStepAndExtracted) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 3000; ++i)
        files.push_back({"s/" + std::to_string(i) + (i % 3 == 0 ? ".txt" : ".wav"), "x"});
    Open(files);
    int changes = 0;
    QObject::connect(form.PakList, &TPakListBox::itemSelectionChanged, [&] { ++changes; });
    TSelectMatchingDialog& dialog = Dialog();
    dialog.PatternEdit->setText("*.wav");
    EXPECT_EQ(dialog.SelectClick(), 2000);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(form.PakList->currentRow(), 1);
    form.ButtonExtract->click();
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    int wav = 0;
    for (const auto& file : std::filesystem::directory_iterator(dir / "s"))
        wav += file.path().extension() == ".wav" ? 1 : 100;
    EXPECT_EQ(wav, 2000);
}

TEST_F(SelectMatching, TypingInTheListStillJumpsToTheNextName) {
    Open({{"maps/start.bsp", ""}, {"progs.dat", ""}, {"pop.lmp", ""}, {"maps/e1m1.bsp", ""}});
    form.PakList->setCurrentRow(0);
    const auto type = [&](Qt::Key key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(form.PakList, &press);
    };
    type(Qt::Key_P, "p");
    EXPECT_EQ(form.PakList->currentRow(), 1);
    EXPECT_EQ(form.ExName->text(), "progs.dat");
}

} // namespace
} // namespace zorvak
