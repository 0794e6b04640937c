// The main window driven as a user would: through its menu actions, buttons
// and list, with recorders in place of the modal boxes and the open dialog.
#include "forms/Zorvmain.h"
#include "archive/PakBuild.h"
#include "archive/PakWriter.h"
#include "cli/PakTool.h"
#include "controls/Gauges.h"
#include "forms/Buildpak.h"
#include "forms/Veldlgs.h"
#include "framework/Files.h"
#include "support/MainWindowTest.h"
#include "support/PakImage.h"
#include "support/Recorders.h"
#include "support/Speaking.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace zorvak {
namespace {

using test::PakEntryBytes;
using test::PakHeaderBytes;
using test::ReadFile;
using test::TRecordedDialogs;
using test::TTempDir;
using test::WriteFile;

QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// The shared window fixture, with what these tests add: archives made
// without opening them, the list's texts, clicks and the buttons' states.
class MainWindow : public test::TMainWindowTest {
protected:
    using TMainWindowTest::Open;
    void Open(const std::filesystem::path& path) { OpenPath(path); }
    std::filesystem::path MakePak(const std::string& name,
                                  const std::vector<std::pair<std::string, std::string>>& files) {
        const auto path = dir / name;
        WriteFile(path, BuildPakImage(files));
        return path;
    }
    QStringList Items() const {
        QStringList items;
        for (int i = 0; i < form.PakList->count(); ++i)
            items << form.PakList->item(i)->text();
        return items;
    }
    // Clicks item i as the keyboard or mouse would move the caret there.
    void Click(int i) {
        form.PakList->setCurrentRow(i);
        form.PakList->clicked(form.PakList->model()->index(i, 0));
    }
    struct TButtons {
        bool Extract, ExtractAll, Play, Build;
        bool operator==(const TButtons&) const = default;
    };
    TButtons Buttons() const {
        return {form.ButtonExtract->isEnabled(), form.ButtonExtractAll->isEnabled(),
                form.ButtonPlay->isEnabled(), form.ButtonBuild->isEnabled()};
    }
};

TEST_F(MainWindow, StartsWithTheDesignedLayout) {
    EXPECT_EQ(form.windowTitle(), "Zorvak");
    EXPECT_EQ(form.centralWidget()->size(), QSize(512, 354));
    const struct {
        QWidget* Control;
        QRect Rect;
    } controls[] = {
        {form.PakList, {8, 24, 281, 325}},
        {form.ButtonExtract, {296, 24, 97, 33}},
        {form.ButtonExtractAll, {408, 24, 97, 33}},
        {form.ExtractBox, {296, 60, 209, 97}},
        {form.ExGauge, {8, 36, 193, 40}},
        {form.ButtonPlay, {296, 160, 97, 33}},
        {form.ButtonBuild, {400, 160, 105, 101}},
        {form.Panel1, {296, 196, 97, 65}},
        {form.Image1, {32, 16, 32, 32}},
        {form.Panel2, {296, 264, 209, 85}},
    };
    for (const auto& c : controls)
        EXPECT_EQ(c.Control->geometry(), c.Rect) << c.Control->metaObject()->className();
    EXPECT_EQ(form.Label1->pos(), QPoint(8, 8));
    EXPECT_EQ(form.Label1->text(), "Files:");
    // Right after "Files:", never on top of it.
    EXPECT_GE(form.Offset->x(), 36);
    EXPECT_GT(form.Offset->x(), form.Label1->geometry().right());
    EXPECT_EQ(form.Offset->y(), 8);
    EXPECT_EQ(form.LDone->pos(), QPoint(88, 48));
    EXPECT_EQ(form.LDone->text(), "Done !");
    EXPECT_TRUE(form.LDone->isHidden());
    EXPECT_EQ(form.Label2->text(), "Zorvak version 1.3");
    EXPECT_EQ(form.Label5->text(), "Comments, suggestions welcome.");
    EXPECT_EQ(form.ExGauge->ForeColor(), 0x0000FFu);
    EXPECT_EQ(form.ExGauge->Progress(), 0);
    EXPECT_EQ(form.PakList->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(Buttons(), (TButtons{false, false, false, true}));
    // Every glyph button has its picture in both states.
    for (QIcon icon : {form.ButtonExtract->icon(), form.ButtonExtractAll->icon(),
                       form.ButtonPlay->icon(), form.ButtonBuild->icon()}) {
        EXPECT_FALSE(icon.pixmap(16, 16, QIcon::Normal).isNull());
        EXPECT_FALSE(icon.pixmap(16, 16, QIcon::Disabled).isNull());
    }
    EXPECT_FALSE(form.Image1->pixmap().isNull());
}

TEST_F(MainWindow, MenusCarryTheirItemsAndAccelerators) {
    const QList<QAction*> menus = form.menuBar()->actions();
    const auto items = [](const QMenu* menu) {
        QStringList texts;
        for (const QAction* a : menu->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    };
    ASSERT_EQ(menus.size(), 4);
    const struct {
        QString Title;
        QMenu* Menu;
        QStringList Items;
    } table[] = {
        {"&File",
         form.File1,
         {"&Open Pak File", "Extract &To...", "Extract A&ll To...", "-", "E&xit"}},
        {"&Edit",
         form.Edit1,
         {"Add &Files...", "Add F&older...", "-", "&Delete", "&Rename...", "-", "&Compact", "-",
          "&Undo", "&Redo"}},
        {"&View", form.View1, {"&Preview Entry", "&Select Matching..."}},
        {"&Help", form.Help1, {"&Help File", "-", "&About"}},
    };
    for (std::size_t i = 0; i < std::size(table); ++i) {
        EXPECT_EQ(menus[static_cast<qsizetype>(i)]->text(), table[i].Title);
        EXPECT_EQ(menus[static_cast<qsizetype>(i)]->menu(), table[i].Menu);
        EXPECT_EQ(items(table[i].Menu), table[i].Items) << table[i].Title.toStdString();
    }
    EXPECT_EQ(form.HelpFile1->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(form.PreviewEntry1->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_TRUE(form.PreviewEntry1->isCheckable());
    EXPECT_EQ(form.SelectMatching1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_EQ(form.OpenPakFile1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(form.Exit1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(form.Rename1->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(form.Undo1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(form.Redo1->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
}

// What the window says: each menu's title and commands, then its buttons.
struct TSaid {
    std::vector<QStringList> Menus;
    QStringList Buttons;
};

TSaid SaidBy(const TZorvakForm& form) {
    TSaid said;
    for (const QAction* menu : form.menuBar()->actions()) {
        QStringList texts{menu->text()};
        for (const QAction* item : menu->menu()->actions())
            if (!item->isSeparator())
                texts << item->text();
        said.Menus.push_back(texts);
    }
    for (const QPushButton* button : form.findChildren<QPushButton*>())
        said.Buttons << button->text();
    return said;
}

// The key a text's "&" marks, in lower case; null when it marks none.
QChar Accelerator(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] != QLatin1Char('&'))
                return text[i + 1].toLower();
            ++i;
        }
    return {};
}

TEST(MainWindowLanguages, MenusAndButtonsSpeakTheLanguageOfTheLocale) {
    test::TRecordedDialogs dialogs;
    test::TRecordedSound sound;
    const TSaid english = SaidBy(TZorvakForm());
    const struct {
        const char* Locale;
        bool Translated;
    } cases[] = {{"de_DE", true}, {"C", false}, {"fr_FR", true}, {"en_US", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Locale);
        const test::TSpeaking speaking{QLocale(QString::fromLatin1(c.Locale))};
        const TSaid said = SaidBy(TZorvakForm());
        if (!c.Translated) {
            EXPECT_EQ(said.Menus, english.Menus);
            EXPECT_EQ(said.Buttons, english.Buttons);
            continue;
        }
        ASSERT_EQ(said.Menus.size(), english.Menus.size());
        std::set<QChar> bar;
        for (std::size_t m = 0; m < said.Menus.size(); ++m) {
            ASSERT_EQ(said.Menus[m].size(), english.Menus[m].size());
            std::set<QChar> inMenu;
            for (qsizetype i = 0; i < said.Menus[m].size(); ++i) {
                const QString& text = said.Menus[m][i];
                const QString& source = english.Menus[m][i];
                SCOPED_TRACE(source.toStdString() + " -> " + text.toStdString());
                EXPECT_FALSE(text.trimmed().isEmpty());
                EXPECT_NE(text, source);
                const QChar key = Accelerator(text);
                ASSERT_EQ(key.isNull(), Accelerator(source).isNull());
                // Titles apart from each other on the bar, commands within their menu.
                if (!key.isNull()) {
                    EXPECT_TRUE((i == 0 ? bar : inMenu).insert(key).second) << "taken twice";
                }
            }
        }
        ASSERT_EQ(said.Buttons.size(), english.Buttons.size());
        for (qsizetype i = 0; i < said.Buttons.size(); ++i) {
            EXPECT_FALSE(said.Buttons[i].trimmed().isEmpty());
            EXPECT_NE(said.Buttons[i], english.Buttons[i]);
        }
    }
}

TEST(MainWindowLanguages, NoTextRunsPastItsControl) {
    // The window keeps the size and places it was laid out with in English;
    // a longer text must still fit its button, and a label its panel.
    test::TRecordedDialogs dialogs;
    test::TRecordedSound sound;
    for (const char* locale : {"C", "de_DE", "fr_FR"}) {
        SCOPED_TRACE(locale);
        const test::TSpeaking speaking{QLocale(QString::fromLatin1(locale))};
        TZorvakForm form;
        form.LDone->show();
        for (const QPushButton* button : form.findChildren<QPushButton*>())
            EXPECT_LE(button->sizeHint().width(), button->width()) << button->text().toStdString();
        for (const QLabel* label : form.findChildren<QLabel*>())
            if (!label->text().isEmpty()) {
                EXPECT_LE(label->geometry().right(), label->parentWidget()->contentsRect().right())
                    << label->text().toStdString();
            }
    }
}

TEST_F(MainWindow, OpeningListsTheEntriesAndSetsTheCaption) {
    const auto path = MakePak(
        "Pak0.PAK",
        {{"maps/start.bsp", "12345"}, {"sound/items/r_item1.wav", "RIFF"}, {"Progs.dat", ""}});
    Open(path);
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    // The path is kept as chosen: this file system tells case apart.
    EXPECT_EQ(form.windowTitle(), "Zorvak [" + Q(path) + "]");
    EXPECT_EQ(form.PakPath, Q(path));
    EXPECT_EQ(Items(), QStringList({"maps/start.bsp", "sound/items/r_item1.wav", "Progs.dat"}));
    EXPECT_EQ(form.Offset->text(), "3");
    EXPECT_EQ(*form.PakLengths, QStringList({"5", "4", "0"}));
    EXPECT_EQ(*form.PakPositions, QStringList({"12", "17", "21"}));
    EXPECT_EQ(Buttons(), (TButtons{false, true, false, true}));
    // The open dialog was set up as designed.
    ASSERT_EQ(dialogs.Files->Requests.size(), 1u);
    EXPECT_EQ(dialogs.Files->Requests[0].Filters,
              QStringList({"Quake Pak Files (*.pak)", "All files (*.*)"}));
    EXPECT_EQ(dialogs.Files->Requests[0].DefaultSuffix, "PAK");
}

TEST_F(MainWindow, OffsetShowsTheCountTheDirectoryAnnounces) {
    const std::string e = PakEntryBytes("progs.dat", 12, 0);
    const struct {
        std::string Bytes;
        QString Offset;
        int Items;
        bool ExtractAll;
    } cases[] = {
        {PakHeaderBytes(12, 64 * 3) + e + e + e, "3", 3, true},
        {PakHeaderBytes(12, 100) + e + std::string(36, 'x'), "1", 1, true},
        {PakHeaderBytes(12, 0), "0", 0, false},
        {PakHeaderBytes(12, -64) + e, "-1", 0, false},
        // Cut short: only whole entries are listed, and the count says so.
        {PakHeaderBytes(12, 64 * 339) + e + e, "2", 2, true},
        {PakHeaderBytes(9000, 64), "0", 0, false},
    };
    for (const auto& c : cases) {
        WriteFile(dir / "t.pak", c.Bytes);
        Open(dir / "t.pak");
        EXPECT_EQ(form.Offset->text(), c.Offset);
        EXPECT_EQ(form.PakList->count(), c.Items) << c.Offset.toStdString();
        EXPECT_EQ(form.ButtonExtractAll->isEnabled(), c.ExtractAll) << c.Offset.toStdString();
        EXPECT_EQ(form.PakLengths->size(), c.Items);
    }
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
}

TEST_F(MainWindow, RefusedFilesLeaveTheEarlierArchiveWhole) {
    const auto good = MakePak("good.pak", {{"sound/a.wav", "RIFFdata"}, {"b.txt", "hello"}});
    Open(good);
    Click(0);
    const TButtons before = Buttons();
    const QString caption = form.windowTitle();

    const struct {
        const char* File;
        std::string Bytes;
    } refused[] = {{"lower.pak", "pack\x0C\0\0\0\0\0\0\0"},
                   {"short.pak", "PAC"},
                   {"empty.pak", ""},
                   {"text.pak", "Hello, world"}};
    for (const auto& r : refused) {
        WriteFile(dir / r.File, r.Bytes);
        Open(dir / r.File);
        ASSERT_FALSE(dialogs.Boxes->Messages.empty());
        const TMessage& m = dialogs.Boxes->Messages.back();
        EXPECT_EQ(m.Text, "Not a valid PAK file") << r.File;
        EXPECT_EQ(m.Title, "Zorvak");
        EXPECT_EQ(m.Icon, TMsgIcon::mbiNone);
        EXPECT_EQ(form.windowTitle(), caption);
        EXPECT_EQ(form.PakPath, Q(good));
        EXPECT_EQ(Items(), QStringList({"sound/a.wav", "b.txt"}));
        EXPECT_EQ(Buttons(), before);
        EXPECT_EQ(form.ExName->text(), "sound/a.wav");
    }
    // Still usable: extraction reads the earlier archive.
    form.ButtonExtractAll->click();
    EXPECT_EQ(ReadFile(dir / "b.txt"), "hello");
    EXPECT_EQ(ReadFile(dir / "sound/a.wav"), "RIFFdata");
}

TEST_F(MainWindow, FilesThatCannotBeOpenedGoToTheErrorBox) {
    const auto good = MakePak("good.pak", {{"a", "1"}});
    Open(good);
    const auto locked = MakePak("locked.pak", {{"x", "1"}});
    const auto fifo = dir / "fifo.pak";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TLockedFile holder(locked);
    for (const auto& path : {dir / "missing.pak", locked, fifo, dir.Path()}) {
        dialogs.Boxes->Messages.clear();
        Open(path);
        ASSERT_EQ(dialogs.Boxes->Messages.size(), 1u) << path;
        const TMessage& m = dialogs.Boxes->Messages[0];
        EXPECT_EQ(m.Text, "Cannot open file " + Q(path) + ".");
        EXPECT_EQ(m.Title, "Zorvak");
        EXPECT_EQ(m.Icon, TMsgIcon::mbiError);
        EXPECT_EQ(form.PakPath, Q(good));
        EXPECT_EQ(Items(), QStringList({"a"}));
    }
}

TEST_F(MainWindow, ACancelledDialogChangesNothing) {
    Open(MakePak("a.pak", {{"a", "1"}}));
    dialogs.Files->Answers.push_back(QString());
    form.OpenPakFile1->trigger();
    EXPECT_EQ(form.PakList->count(), 1);
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
}

TEST_F(MainWindow, ClickShowsNameAndSizeAndAppliesTheWaveRule) {
    const struct {
        const char* Name;
        std::size_t Length;
        bool Play;
        const char* Size;
    } cases[] = {
        {"sound/items/r_item1.wav", 1234567, true, "1,234,567 bytes"},
        {"SOUND/A.WAV", 0, true, "0 bytes"},
        {"a.Wav", 999, true, "999 bytes"},
        {"xwav", 1000, true, "1,000 bytes"},
        {"maps/start.bsp", 65536, false, "65,536 bytes"},
        {"a.wave", 1, false, "1 bytes"},
        {"wa", 2, false, "2 bytes"},
    };
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& c : cases)
        files.push_back({c.Name, std::string(c.Length, 'x')});
    Open(MakePak("sizes.pak", files));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        Click(i);
        EXPECT_EQ(form.ButtonPlay->isEnabled(), cases[i].Play) << cases[i].Name;
        EXPECT_EQ(form.ExSize->text(), cases[i].Size) << cases[i].Name;
        EXPECT_EQ(form.ExName->text(), cases[i].Name);
        EXPECT_TRUE(form.ButtonExtract->isEnabled());
        EXPECT_TRUE(form.ButtonExtractAll->isEnabled());
    }
    // Typing jumps to the next name that starts with what was typed, and
    // that is a click like any other.
    form.PakList->setCurrentRow(0);
    form.PakList->keyboardSearch(QStringLiteral("m"));
    EXPECT_EQ(form.PakList->currentRow(), 4);
    EXPECT_EQ(form.ExName->text(), "maps/start.bsp");
    EXPECT_FALSE(form.ButtonPlay->isEnabled());
}

TEST_F(MainWindow, AnotherOpenKeepsPlayAndExtractUntilTheNextClick) {
    Open(MakePak("a.pak", {{"s.wav", "RIFF"}}));
    Click(0);
    EXPECT_EQ(Buttons(), (TButtons{true, true, true, true}));
    Open(MakePak("b.pak", {}));
    EXPECT_EQ(Buttons(), (TButtons{true, false, true, true}));
    EXPECT_EQ(form.ExName->text(), "s.wav");
    Open(MakePak("c.pak", {{"m.bsp", "x"}}));
    EXPECT_EQ(Buttons(), (TButtons{true, true, true, true}));
    Click(0);
    EXPECT_EQ(Buttons(), (TButtons{true, true, false, true}));

    // A new list starts at its top, wherever the last one was scrolled.
    std::vector<std::pair<std::string, std::string>> many;
    for (int i = 0; i < 300; ++i)
        many.push_back({"f" + std::to_string(i), ""});
    Open(MakePak("d.pak", many));
    form.PakList->scrollToBottom();
    ASSERT_GT(form.PakList->verticalScrollBar()->value(), 0);
    Open(MakePak("e.pak", many));
    EXPECT_EQ(form.PakList->verticalScrollBar()->value(), 0);
}

TEST_F(MainWindow, NamesAreKeptAsBytesAndShownDecoded) {
    const std::string latin1 = "sound/caf\xE9.wav";
    const std::string utf8 = "sound/gr\xC3\xBC\xC3\x9F.wav";
    Open(MakePak("n.pak", {{latin1, "a"}, {utf8, "b"}, {"dup", "1"}, {"dup", "2"}}));
    EXPECT_EQ(Items(),
              QStringList({QString::fromLatin1("sound/caf\xE9.wav"),
                           QString::fromUtf8("sound/gr\xC3\xBC\xC3\x9F.wav"), "dup", "dup"}));
    EXPECT_EQ(form.PakNames[0].Name, latin1);
    EXPECT_EQ(form.PakNames[1].Name, utf8);
}

TEST_F(MainWindow, ExitClosesTheWindow) {
    form.show();
    form.Exit1->trigger();
    EXPECT_FALSE(form.isVisible());
}

// The File menu's items as shown, separators as "-".
QStringList FileMenu(const TZorvakForm& window) {
    QStringList texts;
    for (const QAction* a : window.File1->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

// Archives opened in one window are listed in the File menu of the next, the
// most recent first; one that is gone when chosen is said so and dropped.
TEST_F(MainWindow, TheFileMenuListsTheRecentArchivesFromRunToRun) {
    const auto a = MakePak("a.pak", {{"a", "1"}});
    const auto b = MakePak("b.pak", {{"b", "2"}});
    const auto amp = MakePak("x&y.pak", {{"c", "3"}});
    WriteFile(dir / "text.pak", "Hello, world");
    TZorvakForm next;
    const auto numbered = [](std::initializer_list<QString> paths) {
        QStringList items{"&Open Pak File", "Extract &To...", "Extract A&ll To...", "-"};
        int n = 0;
        for (const QString& path : paths)
            items << QStringLiteral("&%1 %2").arg(++n).arg(QString(path).replace("&", "&&"));
        return items << "-"
                     << "E&xit";
    };
    const QStringList none{"&Open Pak File", "Extract &To...", "Extract A&ll To...", "-", "E&xit"};
    const struct {
        const char* What;
        std::function<void()> Do;
        QStringList Menu;     // the File menu of both windows afterwards
        QString Open;         // the archive open in the window that did it
        QString Message = {}; // what was said, if anything
    } steps[] = {
        {"nothing opened yet", [] {}, none, ""},
        {"a refused file is not listed", [&] { Open(dir / "text.pak"); }, none, ""},
        {"a missing file is not listed", [&] { Open(dir / "none.pak"); }, none, ""},
        {"opened from the dialog", [&] { Open(a); }, numbered({Q(a)}), Q(a)},
        {"opened as from the command line, its & shown as such", [&] { form.OpenArchive(Q(amp)); },
         numbered({Q(amp), Q(a)}), Q(amp)},
        {"opened again, it goes to the top",
         [&] {
             Open(b);
             Open(a);
         },
         numbered({Q(a), Q(b), Q(amp)}), Q(a)},
        {"chosen from the list", [&] { form.RecentArchive1[1]->trigger(); },
         numbered({Q(b), Q(a), Q(amp)}), Q(b)},
        {"chosen when gone",
         [&] {
             std::filesystem::remove(a);
             form.RecentArchive1[1]->trigger();
         },
         numbered({Q(b), Q(amp)}), Q(b),
         Q(a) + " is not there any more. It is taken off the list of recent archives."},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.What);
        dialogs.Boxes->Messages.clear();
        step.Do();
        EXPECT_EQ(FileMenu(form), step.Menu);
        EXPECT_EQ(form.PakPath, step.Open);
        if (step.Message.isEmpty()) {
            if (!step.Open.isEmpty()) {
                EXPECT_TRUE(dialogs.Boxes->Messages.empty());
            }
        } else {
            ASSERT_EQ(dialogs.Boxes->Messages.size(), 1u);
            EXPECT_EQ(dialogs.Boxes->Messages[0].Text, step.Message);
            EXPECT_EQ(dialogs.Boxes->Messages[0].Icon, TMsgIcon::mbiWarning);
        }
        // Another window sees the list when its File menu opens; a window
        // made now, as by a new run, from the start.
        Q_EMIT next.File1->aboutToShow();
        EXPECT_EQ(FileMenu(next), step.Menu);
        EXPECT_EQ(FileMenu(TZorvakForm()), step.Menu);
    }
}

// The open dialog offers the archive chosen last, also to the next run.
TEST_F(MainWindow, TheOpenDialogOffersTheArchiveChosenLastInAnEarlierRun) {
    const auto a = MakePak("a.pak", {{"a", "1"}});
    Open(a);
    Open(dir / "gone.pak"); // chosen, though it cannot be opened
    TZorvakForm next;
    dialogs.Files->Answers.push_back(QString());
    next.OpenPakFile1->trigger();
    ASSERT_FALSE(dialogs.Files->Requests.empty());
    EXPECT_EQ(dialogs.Files->Requests.back().InitialFile, Q(dir / "gone.pak"));
}

} // namespace
} // namespace zorvak

namespace zorvak {
namespace {

// Runs command and reports the class of the modal window it opened, closing
// that window as soon as it shows.
std::string ModalOpenedBy(const std::function<void()>& command) {
    std::string opened;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = modal->metaObject()->className();
            modal->close();
        }
    });
    timer.start();
    command();
    return opened;
}

TEST(MainWindowCommands, OpenTheirModalWindows) {
    test::TRecordedDialogs dialogs;
    TZorvakForm form;
    TBuildPakDialog buildDialog(&form);
    BuildPakDialog = &buildDialog;
    form.show();
    EXPECT_EQ(ModalOpenedBy([&] { form.ButtonBuild->click(); }), "zorvak::TBuildPakDialog");
    EXPECT_EQ(ModalOpenedBy([&] { form.HelpFile1->trigger(); }), "zorvak::THelpForm");
    EXPECT_EQ(ModalOpenedBy([&] { form.About1->trigger(); }), "zorvak::TAboutBox");
    // The build dialog lives on, hidden, for the next showing.
    EXPECT_FALSE(buildDialog.isVisible());
    EXPECT_EQ(form.About->Version, 73216);
    EXPECT_EQ(form.About->VersionLabel, "Version: ");
    BuildPakDialog = nullptr;
}

} // namespace
} // namespace zorvak

namespace zorvak {
namespace {

// The window's build dialog and zorvak-pak make the same archive from the
// same tree, and the window opens and extracts it back to the same files.
TEST(BuildRoundTrip, DialogAndCommandLineAgreeAndTheWindowReadsItBack) {
    test::TRecordedDialogs dialogs;
    test::TTempDir tree, other;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"maps/E1M1.bsp", std::string(30000, 'm')},
        {"sound/misc/null.wav", "RIFF"},
        {"progs.dat", "progs"},
        {".hidden", ""},
        {"gfx/Palette.lmp", "pal"}};
    for (const auto& [name, data] : files)
        test::WriteFile(tree / name, data);

    TZorvakForm form;
    TBuildPakDialog dialog(&form);
    dialog.SetPumpInterval(0);
    dialog.DirList->SetDirectory(tree.Path());
    dialog.PAKName->setText(QStringLiteral("SAME"));
    dialog.BuildPAKFile();
    ASSERT_TRUE(dialogs.Boxes->Messages.empty());
    const auto built = PakOutputPath(tree.Path(), "SAME", true);
    ASSERT_TRUE(std::filesystem::exists(built));

    std::ostringstream out, err;
    ASSERT_EQ(RunPakTool({"build", tree.Path().string(), "-o", (other / "same.pak").string()}, out,
                         err, false),
              kExitOk)
        << err.str();
    EXPECT_EQ(test::ReadFile(built), test::ReadFile(other / "same.pak"));

    dialogs.Files->Answers.push_back(QString::fromStdString(built.string()));
    form.OpenPakFile1->trigger();
    ASSERT_EQ(form.PakList->count(), 5);
    for (const auto& [name, data] : files)
        std::filesystem::remove(tree / name);
    form.ButtonExtractAll->click();
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    // Stored names are lowered; the data come back unchanged.
    EXPECT_EQ(test::ReadFile(tree / "maps/e1m1.bsp"), std::string(30000, 'm'));
    EXPECT_EQ(test::ReadFile(tree / "sound/misc/null.wav"), "RIFF");
    EXPECT_EQ(test::ReadFile(tree / "gfx/palette.lmp"), "pal");
    EXPECT_TRUE(std::filesystem::exists(tree / ".hidden"));
}

} // namespace
} // namespace zorvak
