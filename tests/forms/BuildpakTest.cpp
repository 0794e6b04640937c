#include "forms/Buildpak.h"
#include "archive/PakReader.h"
#include "framework/Failures.h"
#include "framework/ui/Application.h"
#include "support/Recorders.h"
#include "support/Speaking.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/inotify.h>
#include <unistd.h>

namespace zorvak {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;
using ::testing::HasSubstr;

std::vector<std::string> DirectoryNames(const fs::path& dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

QStringList Rows(const QAbstractItemView* list) {
    QStringList rows;
    const QAbstractItemModel* model = list->model();
    for (int i = 0; i < model->rowCount(); ++i)
        rows << model->index(i, 0).data().toString();
    return rows;
}

int RowCount(const QAbstractItemView* list) {
    return list->model()->rowCount();
}

// Counts the files created in a directory from now on.
class TCreationWatch {
public:
    explicit TCreationWatch(const fs::path& dir) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        EXPECT_GE(::inotify_add_watch(fd_, dir.c_str(), IN_CREATE), 0);
    }
    ~TCreationWatch() { ::close(fd_); }
    int Created() {
        alignas(inotify_event) char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (const char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                created_ += (event->mask & IN_CREATE) != 0 ? 1 : 0;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return created_;
    }

private:
    int fd_;
    int created_ = 0;
};

// Each test gets its own dialog and tree; the program's current directory,
// which the dialog moves, is put back afterwards.
class BuildPakDialogTest : public ::testing::Test {
protected:
    BuildPakDialogTest() : saved_(fs::current_path()) {}
    ~BuildPakDialogTest() override { fs::current_path(saved_); }

    void Type(const QString& text, int key = 0, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(Dialog.PAKName, &press);
    }

    void MakeTree() {
        WriteFile(Tree / "Maps/E1M1.BSP", std::string(20000, 'm'));
        WriteFile(Tree / ".hidden.cfg", "bind x");
        WriteFile(Tree / "Sound/Misc/Null.WAV", "");
        WriteFile(Tree / "old.PAK", "skipped");
    }

    void Build(const fs::path& start, const QString& name) {
        Dialog.DirList->SetDirectory(start);
        Dialog.PAKName->setText(name);
        Dialog.BuildPAKFile();
    }

    TTempDir Tree;
    test::TRecordedDialogs Boxes;
    TBuildPakDialog Dialog;

private:
    fs::path saved_;
};

TEST_F(BuildPakDialogTest, StartsAsItsTableSays) {
    EXPECT_EQ(Dialog.windowTitle(), "Build PAK File");
    EXPECT_EQ(Dialog.size(), QSize(429, 268));
    EXPECT_EQ(Dialog.PAKName->text(), "ZORVAK");
    EXPECT_EQ(Dialog.PAKName->maxLength(), 8);
    EXPECT_EQ(Dialog.Label1->text(), "Start build from :-");
    EXPECT_EQ(Dialog.Label2->text(), "PAK Name:");
    EXPECT_EQ(Dialog.ButtonOk->text(), "Build PAK");
    EXPECT_EQ(Dialog.ButtonClose->text(), "&Close");
    struct Place {
        QWidget* Control;
        QRect Geometry;
    };
    for (const Place& p :
         {Place{Dialog.Bevel1, {2, 8, 205, 221}}, Place{Dialog.DriveComboBox1, {8, 32, 193, 19}},
          Place{Dialog.DirList, {8, 56, 193, 145}}, Place{Dialog.PAKName, {72, 204, 129, 21}},
          Place{Dialog.ButtonOk, {8, 232, 93, 33}}, Place{Dialog.ButtonClose, {108, 232, 93, 33}},
          Place{Dialog.Files, {212, 8, 209, 257}}})
        EXPECT_EQ(p.Control->geometry(), p.Geometry) << p.Control->metaObject()->className();
    EXPECT_EQ(Dialog.Label1->pos(), QPoint(8, 16));
    EXPECT_EQ(Dialog.Label2->pos(), QPoint(8, 208));
    // Neither button is the default: Enter presses nothing.
    EXPECT_FALSE(Dialog.ButtonOk->isDefault() || Dialog.ButtonOk->autoDefault());
    EXPECT_FALSE(Dialog.ButtonClose->isDefault() || Dialog.ButtonClose->autoDefault());
    // Tab order: DirList, PAKName, the drive selector, Files, Build PAK, Close.
    const std::vector<QWidget*> controls = {Dialog.DirList, Dialog.PAKName,  Dialog.DriveComboBox1,
                                            Dialog.Files,   Dialog.ButtonOk, Dialog.ButtonClose};
    std::vector<QWidget*> order;
    for (QWidget* w = Dialog.DirList; order.size() < controls.size(); w = w->nextInFocusChain())
        if (std::find(controls.begin(), controls.end(), w) != controls.end())
            order.push_back(w);
    EXPECT_EQ(order, controls);
    // The start directory is the program's current directory.
    EXPECT_EQ(Dialog.DirList->Directory(), fs::current_path());
}

TEST(BuildPakLanguages, EveryCaptionFitsWhereTheDialogPutsIt) {
    test::TRecordedDialogs boxes;
    for (const char* locale : {"C", "de_DE", "fr_FR"}) {
        SCOPED_TRACE(locale);
        const test::TSpeaking speaking{QLocale(QString::fromLatin1(locale))};
        TBuildPakDialog dialog;
        EXPECT_EQ(dialog.size(), QSize(429, 268));
        for (const QPushButton* button : {dialog.ButtonOk, dialog.ButtonClose})
            EXPECT_LE(button->sizeHint().width(), button->width()) << button->text().toStdString();
        EXPECT_LE(dialog.Label1->geometry().right(), dialog.Bevel1->geometry().right());
        // The name box follows its caption and still ends where it always did.
        EXPECT_LT(dialog.Label2->geometry().right(), dialog.PAKName->x());
        EXPECT_EQ(dialog.PAKName->geometry().right(), 200);
    }
}

TEST_F(BuildPakDialogTest, KeyFilterKeepsLettersAndDigitsOnly) {
    struct Case {
        char16_t Typed;
        char16_t Kept;
    };
    for (const Case& c : {Case{u'0', u'0'}, Case{u'9', u'9'}, Case{u'A', u'A'}, Case{u'z', u'z'},
                          Case{u'-', 0}, Case{u'.', 0}, Case{u' ', 0}, Case{u'\b', 0},
                          Case{u'\r', 0}, Case{u'\x16', 0}, Case{u'/', 0}, Case{u'\u00e9', 0}}) {
        QChar key(c.Typed);
        Dialog.PAKNameKeyPress(Dialog.PAKName, key);
        EXPECT_EQ(key.unicode(), c.Kept) << int(c.Typed);
    }
}

TEST_F(BuildPakDialogTest, TypingShowsUpperCaseAndStopsAtEight) {
    Dialog.PAKName->clear();
    struct Step {
        QString Text;
        int Key;
        Qt::KeyboardModifiers Modifiers;
        QString Shown;
    };
    const std::vector<Step> steps = {
        {"q", Qt::Key_Q, Qt::NoModifier, "Q"},
        {"-", Qt::Key_Minus, Qt::NoModifier, "Q"},
        {".", Qt::Key_Period, Qt::NoModifier, "Q"},
        {" ", Qt::Key_Space, Qt::NoModifier, "Q"},
        {"1", Qt::Key_1, Qt::NoModifier, "Q1"},
        {"\b", Qt::Key_Backspace, Qt::NoModifier, "Q1"},
        {"\r", Qt::Key_Return, Qt::NoModifier, "Q1"},
        {"\x16", Qt::Key_V, Qt::ControlModifier, "Q1"}, // Ctrl+V types a control character
        {"", Qt::Key_Left, Qt::NoModifier, "Q1"},       // moves the cursor, unfiltered
        {"a", Qt::Key_A, Qt::NoModifier, "QA1"},
        {"\x7f", Qt::Key_Delete, Qt::NoModifier, "QA"},         // as X11 sends it: deletes
        {"\x7f", Qt::Key_Backspace, Qt::ControlModifier, "QA"}, // a typed DEL is discarded
        {"bcdefg", 0, Qt::NoModifier, "QABCDEFG"},
        {"h", Qt::Key_H, Qt::NoModifier, "QABCDEFG"}, // a ninth is refused
    };
    for (const Step& step : steps) {
        Type(step.Text, step.Key, step.Modifiers);
        EXPECT_EQ(Dialog.PAKName->text(), step.Shown) << step.Text.toStdString();
    }
    // Pasted text passes the filter but is shown in upper case too.
    Dialog.PAKName->setText("pak-1");
    EXPECT_EQ(Dialog.PAKName->text(), "PAK-1");
}

TEST_F(BuildPakDialogTest, BuildListsStoredNamesAndWritesTheArchiveInTheStartDirectory) {
    MakeTree();
    TCreationWatch watch(Tree.Path());
    Build(Tree.Path(), "pak1");
    EXPECT_TRUE(Boxes.Boxes->Messages.empty());
    EXPECT_EQ(watch.Created(), 1); // the temporary, renamed to the archive
    EXPECT_EQ(Dialog.PAKName->text(), "PAK1");
    // Where names are case-sensitive the archive is named as engines look it up.
    ASSERT_TRUE(fs::exists(Tree / "pak1.pak"));
    EXPECT_FALSE(fs::exists(Tree / "PAK1.PAK"));

    const QStringList rows = Rows(Dialog.Files);
    EXPECT_THAT(rows, ::testing::UnorderedElementsAre("maps/e1m1.bsp", ".hidden.cfg",
                                                      "sound/misc/null.wav"));
    ASSERT_EQ(Dialog.BuiltFiles().size(), 3u);
    const TPakIndex index = ReadPakIndex(Tree / "pak1.pak");
    ASSERT_EQ(index.Count, 3);
    const std::string pak = ReadFile(Tree / "pak1.pak");
    for (int i = 0; i < 3; ++i) {
        const TPakBuildFile& file = Dialog.BuiltFiles()[static_cast<std::size_t>(i)];
        EXPECT_EQ(rows[i].toStdString(), file.Name);
        EXPECT_EQ(index.Entries[static_cast<std::size_t>(i)].Name, file.Name);
        EXPECT_EQ(pak.substr(static_cast<std::size_t>(index.Entries[i].FilePos),
                             static_cast<std::size_t>(index.Entries[i].FileLength)),
                  ReadFile(file.Path));
    }
    // The passes leave the last row selected and the button usable again.
    EXPECT_EQ(Dialog.Files->currentIndex().row(), 2);
    EXPECT_TRUE(Dialog.ButtonOk->isEnabled());
    EXPECT_FALSE(Dialog.Building());
}

TEST_F(BuildPakDialogTest, StateStaysBetweenShowings) {
    MakeTree();
    Dialog.show();
    Build(Tree.Path(), "KEEP");
    Dialog.PAKName->setText("NEXT");
    Dialog.ButtonCloseClick(Dialog.ButtonClose);
    EXPECT_FALSE(Dialog.isVisible());
    Dialog.show();
    EXPECT_EQ(Dialog.PAKName->text(), "NEXT");
    EXPECT_EQ(Dialog.DirList->Directory(), Tree.Path());
    EXPECT_EQ(RowCount(Dialog.Files), 3);
    Dialog.hide();
}

TEST_F(BuildPakDialogTest, AFailedBuildShowsTheErrorAndKeepsTheEarlierArchive) {
    MakeTree();
    WriteFile(Tree / "zorvak.pak", "earlier");
    WriteFile(Tree / (std::string(52, 'n') + ".dat"), "name of 56 bytes");
    Dialog.DirList->SetDirectory(Tree.Path());
    TCreationWatch watch(Tree.Path());
    Dialog.ButtonOk->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(watch.Created(), 0); // refused before any file was made
    ASSERT_EQ(Boxes.Boxes->Messages.size(), 1u);
    const TMessage& box = Boxes.Boxes->Messages[0];
    EXPECT_EQ(box.Title, "Zorvak");
    EXPECT_EQ(box.Icon, TMsgIcon::mbiError);
    EXPECT_THAT(box.Text.toStdString(), HasSubstr("Name too long for a PAK archive"));
    EXPECT_THAT(box.Text.toStdString(), HasSubstr(std::string(52, 'n') + ".dat"));
    EXPECT_EQ(ReadFile(Tree / "zorvak.pak"), "earlier");
    // The walk's rows stay to show what was found.
    EXPECT_EQ(RowCount(Dialog.Files), 4);
    EXPECT_TRUE(Dialog.ButtonOk->isEnabled());
}

TEST_F(BuildPakDialogTest, DriveSelectorReturnsToTheDirectoryLastUsedOnAVolume) {
    for (const char* dir : {"A/deep/er", "B/sub"})
        fs::create_directories(Tree / dir);
    const fs::path a = Tree / "A";
    const fs::path b = Tree / "B";
    Dialog.SetVolumeSource([&] {
        return std::vector<TVolume>{{a, "/dev/a", "ext4", "ALPHA", TVolumeKind::vkFixed},
                                    {b, "srv:/b", "nfs", "", TVolumeKind::vkNetwork}};
    });
    EXPECT_EQ(Dialog.DriveComboBox1->itemText(0), QString::fromStdString(a.string() + " [ALPHA]"));
    EXPECT_EQ(Dialog.DriveComboBox1->itemText(1), QString::fromStdString(b.string() + " [srv:/b]"));

    Dialog.DirList->SetDirectory(a / "deep");
    EXPECT_EQ(Dialog.DriveComboBox1->currentIndex(), 0);
    Dialog.DriveComboBox1Change(1); // at first, the volume's root
    EXPECT_EQ(Dialog.DirList->Directory(), b);
    EXPECT_EQ(fs::current_path(), b);
    EXPECT_EQ(Dialog.DriveComboBox1->currentIndex(), 1);
    Dialog.DirList->SetDirectory(b / "sub");
    Dialog.DriveComboBox1Change(0);
    EXPECT_EQ(Dialog.DirList->Directory(), a / "deep");
    EXPECT_EQ(fs::current_path(), a / "deep");
    Dialog.DriveComboBox1Change(1);
    EXPECT_EQ(Dialog.DirList->Directory(), b / "sub");
    // A directory gone since its last use gives the root again.
    Dialog.DriveComboBox1Change(0);
    fs::remove(b / "sub");
    Dialog.DriveComboBox1Change(1);
    EXPECT_EQ(Dialog.DirList->Directory(), b);
}

TEST_F(BuildPakDialogTest, DirectoryListShowsTheLevelsAndMovesOnActivation) {
    fs::create_directories(Tree / "Quake/id1");
    fs::create_directories(Tree / "Quake/.hidden");
    fs::create_directories(Tree / "Quake/Hipnotic");
    WriteFile(Tree / "Quake/readme.txt", "not a directory");
    fs::create_directory_symlink(Tree / "Quake/id1", Tree / "Quake/link");
    const fs::path quake = Tree / "Quake";
    Dialog.DirList->SetDirectory(quake);
    const QStringList rows = Rows(Dialog.DirList);
    const int levels = static_cast<int>(std::distance(quake.begin(), quake.end()));
    ASSERT_EQ(rows.size(), levels + 4);
    EXPECT_EQ(rows[0], "/");
    EXPECT_EQ(rows[levels - 1], "Quake");
    EXPECT_EQ(rows.mid(levels), (QStringList{".hidden", "Hipnotic", "id1", "link"}));
    EXPECT_EQ(Dialog.DirList->currentRow(), levels - 1);

    Dialog.DirList->OpenRow(levels + 2); // id1
    EXPECT_EQ(Dialog.DirList->Directory(), Tree / "Quake/id1");
    EXPECT_EQ(fs::current_path(), Tree / "Quake/id1");
    Dialog.DirList->OpenRow(levels - 2); // up to the tree
    EXPECT_EQ(Dialog.DirList->Directory(), Tree.Path());

    // A directory that cannot be entered changes nothing.
    EXPECT_THROW(Dialog.DirList->SetDirectory(Tree / "missing"), TFailure);
    EXPECT_EQ(Dialog.DirList->Directory(), Tree.Path());
}

TEST_F(BuildPakDialogTest, ButtonGlyphHasANormalAndAGreyedImage) {
    for (QPushButton* button : {Dialog.ButtonOk, Dialog.ButtonClose}) {
        const QImage normal = button->icon().pixmap(16, QIcon::Normal).toImage();
        const QImage greyed = button->icon().pixmap(16, QIcon::Disabled).toImage();
        ASSERT_EQ(normal.size(), QSize(16, 16));
        EXPECT_EQ(qAlpha(normal.pixel(0, 0)), 0); // olive is transparent
        EXPECT_NE(normal, greyed);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb p = greyed.pixel(x, y);
                if (qAlpha(p) != 0) {
                    EXPECT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
                }
            }
    }
    // The folders are yellow.
    EXPECT_EQ(Dialog.ButtonOk->icon().pixmap(16).toImage().pixel(3, 2), qRgb(255, 255, 0));
}

TEST_F(BuildPakDialogTest, EscapeDoesNotCloseTheDialog) {
    Dialog.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(Dialog.Files, &escape);
    EXPECT_TRUE(Dialog.isVisible());
    Dialog.hide();
}

// What may happen while a build pumps events.
class BuildPakReentrancyTest : public BuildPakDialogTest {
protected:
    BuildPakReentrancyTest() {
        for (int i = 0; i < 6; ++i)
            WriteFile(Tree / ("d" + std::to_string(i)) / "file.dat", std::string(30000 + i, 'x'));
        WriteFile(Tree / "zorvak.pak", "earlier");
        Dialog.SetPumpInterval(0);
        Dialog.DirList->SetDirectory(Tree.Path());
    }

    // Runs action at the tick-th handling of events from now on.
    void AtTick(int tick, std::function<void()> action) {
        ticks_ = 0;
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this, tick, action] {
            if (++ticks_ == tick) {
                timer_.stop();
                action();
            }
        });
        timer_.start();
    }

private:
    QTimer timer_;
    int ticks_ = 0;
};

TEST_F(BuildPakReentrancyTest, ASecondBuildWhileOneRunsIsIgnored) {
    bool enabledDuring = true;
    int rowsBefore = -1;
    int rowsAfter = -1;
    AtTick(3, [&] {
        enabledDuring = Dialog.ButtonOk->isEnabled();
        rowsBefore = RowCount(Dialog.Files);
        Dialog.BuildPAKFile();
        rowsAfter = RowCount(Dialog.Files);
    });
    Dialog.BuildPAKFile();
    EXPECT_FALSE(enabledDuring);
    EXPECT_GE(rowsBefore, 0);
    EXPECT_EQ(rowsAfter, rowsBefore);
    EXPECT_EQ(ReadPakIndex(Tree / "zorvak.pak").Count, 6);
    EXPECT_TRUE(Dialog.ButtonOk->isEnabled());
}

TEST_F(BuildPakReentrancyTest, CloseDuringABuildWaitsForItsEnd) {
    Dialog.show();
    bool visibleAfterClose = false;
    AtTick(10, [&] {
        Dialog.ButtonCloseClick(Dialog.ButtonClose);
        visibleAfterClose = Dialog.isVisible();
    });
    Dialog.BuildPAKFile();
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_FALSE(Dialog.isVisible());
    EXPECT_EQ(ReadPakIndex(Tree / "zorvak.pak").Count, 6);
}

TEST_F(BuildPakReentrancyTest, MovingTheDirectoryMidwayChangesNothingOfTheBuild) {
    fs::create_directories(Tree / "elsewhere");
    AtTick(4, [&] { Dialog.DirList->SetDirectory(Tree / "elsewhere"); });
    Dialog.BuildPAKFile();
    EXPECT_EQ(Dialog.DirList->Directory(), Tree / "elsewhere");
    EXPECT_FALSE(fs::exists(Tree / "elsewhere/zorvak.pak"));
    const TPakIndex index = ReadPakIndex(Tree / "zorvak.pak");
    ASSERT_EQ(index.Count, 6);
    for (const TPakEntry& entry : index.Entries)
        EXPECT_THAT(entry.Name, ::testing::MatchesRegex("d[0-5]/file\\.dat"));
}

TEST(BuildPakDeletion, TheDialogDestroyedDuringABuildEndsItCleanly) {
    // Ticks that fall in the walk, the data pass and the directory pass.
    for (int tick : {2, 9, 16, 21}) {
        TTempDir tree;
        const fs::path saved = fs::current_path();
        for (int i = 0; i < 6; ++i)
            WriteFile(tree / ("d" + std::to_string(i)) / "file.dat", std::string(30000, 'x'));
        WriteFile(tree / "zorvak.pak", "earlier");
        auto* dialog = new TBuildPakDialog;
        dialog->SetPumpInterval(0);
        dialog->DirList->SetDirectory(tree.Path());
        QPointer<TBuildPakDialog> watch(dialog);
        int ticks = 0;
        bool deletedDuringBuild = false;
        QTimer timer;
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (++ticks == tick && watch) {
                deletedDuringBuild = watch->Building();
                delete watch.data();
                timer.stop();
            }
        });
        timer.start();
        dialog->BuildPAKFile();
        timer.stop();
        EXPECT_TRUE(deletedDuringBuild) << tick;
        EXPECT_TRUE(watch.isNull()) << tick;
        EXPECT_EQ(ReadFile(tree / "zorvak.pak"), "earlier") << tick;
        EXPECT_EQ(DirectoryNames(tree.Path()).size(), 7u) << tick; // no temporary left
        fs::current_path(saved);
    }
}

TEST_F(BuildPakDialogTest, LooksLikeItsTable) {
    MakeTree();
    Build(Tree.Path(), "PAK0");
    Dialog.show();
    QCoreApplication::processEvents();
    const QImage shot = Dialog.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(429, 268));
    if (const char* dir = std::getenv("ZORVAK_SCREENSHOTS"))
        shot.save(QString::fromLocal8Bit(dir) + "/buildpak.png");
    // The Build PAK glyph's yellow shows on the button, the list has rows.
    bool yellow = false;
    for (int y = 232; y < 265; ++y)
        for (int x = 8; x < 101; ++x)
            yellow = yellow || shot.pixel(x, y) == qRgb(255, 255, 0);
    EXPECT_TRUE(yellow);
    EXPECT_EQ(RowCount(Dialog.Files), 3);
    Dialog.hide();
}

} // namespace
} // namespace zorvak
