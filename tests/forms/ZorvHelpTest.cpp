// The help window as the user meets it: where it finds the help file, what
// it shows, that nothing can be typed into it, and the boxes when the file
// is missing or cannot be read.
#include "forms/ZorvHelp.h"

#include "archive/PakBuild.h"
#include "cli/PakTool.h"
#include "forms/Zorvmain.h"
#include "framework/Files.h"
#include "framework/ui/Platform.h"
#include "support/Recorders.h"
#include "support/Speaking.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace zorvak {
namespace {

using test::TRecordedDialogs;
using test::TTempDir;
using test::WriteFile;

const QColor kPaleYellow(255, 255, 153);

class HelpWindow : public ::testing::Test {
protected:
    HelpWindow() {
        previous_ = SetProgramFileSource([this] { return program_.Path() / "zorvak"; });
    }
    ~HelpWindow() override { SetProgramFileSource(std::move(previous_)); }

    std::filesystem::path HelpFile() const { return program_ / "ZorvHelp.rtf"; }
    void WriteHelp(const std::string& bytes) const { WriteFile(HelpFile(), bytes); }
    QString Shown() const { return HelpViewer ? HelpViewer->toPlainText() : QString(); }

    TTempDir program_;
    TRecordedDialogs dialogs_;

private:
    TProgramFileSource previous_;
};

// Puts the current directory back when it goes.
class TCurrentDirectory {
public:
    explicit TCurrentDirectory(const std::filesystem::path& path)
        : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~TCurrentDirectory() { std::filesystem::current_path(saved_); }

private:
    std::filesystem::path saved_;
};

void Type(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
          const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &release);
}

// What a user tries on an editable box: letters, Enter, deleting both ways,
// cutting and pasting, all over the text.
void TryToEdit(QTextEdit* viewer) {
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    for (const auto move : {QTextCursor::Start, QTextCursor::End}) {
        viewer->moveCursor(move);
        Type(viewer, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        Type(viewer, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        Type(viewer, Qt::Key_Backspace);
        Type(viewer, Qt::Key_Delete);
        Type(viewer, Qt::Key_V, Qt::ControlModifier);
        Type(viewer, Qt::Key_A, Qt::ControlModifier);
        Type(viewer, Qt::Key_X, Qt::ControlModifier);
        Type(viewer, Qt::Key_Delete);
    }
    viewer->paste();
    viewer->cut();
}

TEST_F(HelpWindow, FindsTheFileBesideTheProgramFromAnyCurrentDirectory) {
    WriteHelp("{\\rtf1 beside the program}");
    TTempDir elsewhere;
    WriteFile(elsewhere / "ZorvHelp.rtf", "{\\rtf1 in the current directory}");
    const TCurrentDirectory cd(elsewhere.Path());
    THelpForm form;
    EXPECT_EQ(Shown(), QStringLiteral("beside the program"));
    EXPECT_TRUE(dialogs_.Boxes->Messages.empty());
}

TEST(HelpPath, IsTheRunningProgramsDirectoryNotTheCurrentOne) {
    TTempDir elsewhere;
    const TCurrentDirectory cd(elsewhere.Path());
    const std::filesystem::path expected =
        ToFsPath(QCoreApplication::applicationDirPath()) / "ZorvHelp.rtf";
    EXPECT_EQ(HelpFilePath(), expected);
    EXPECT_TRUE(HelpFilePath().is_absolute());

    // Installed: bin/zorvak finds share/zorvak/ZorvHelp.rtf, unless a help
    // file lies beside it.
    TTempDir prefix;
    WriteFile(prefix / "share/zorvak/ZorvHelp.rtf", "{\\rtf1 installed}");
    const auto previous = SetProgramFileSource([&] { return prefix / "bin/zorvak"; });
    EXPECT_EQ(HelpFilePath(), prefix / "share/zorvak/ZorvHelp.rtf");
    WriteFile(prefix / "bin/ZorvHelp.rtf", "{\\rtf1 beside}");
    EXPECT_EQ(HelpFilePath(), prefix / "bin/ZorvHelp.rtf");
    SetProgramFileSource(previous);
}

TEST(HelpPath, IsTheHelpInTheWindowsLanguageWhereThereIsOne) {
    // Installed as bin/zorvak; each file holds its own name. A name ending
    // in "/" is a directory.
    const struct {
        const char* Locale;
        std::vector<std::string> Files;
        const char* Expected;
    } cases[] = {
        {"de_DE",
         {"bin/ZorvHelp.rtf", "bin/ZorvHelp.de.rtf", "bin/ZorvHelp.fr.rtf"},
         "bin/ZorvHelp.de.rtf"},
        {"fr_FR",
         {"bin/ZorvHelp.rtf", "bin/ZorvHelp.de.rtf", "bin/ZorvHelp.fr.rtf"},
         "bin/ZorvHelp.fr.rtf"},
        {"C", {"bin/ZorvHelp.rtf", "bin/ZorvHelp.de.rtf"}, "bin/ZorvHelp.rtf"},
        {"es_ES", {"bin/ZorvHelp.rtf", "bin/ZorvHelp.es.rtf"}, "bin/ZorvHelp.rtf"},
        {"fr_CA", {"bin/ZorvHelp.rtf", "bin/ZorvHelp.de.rtf"}, "bin/ZorvHelp.rtf"},
        {"de_AT",
         {"share/zorvak/ZorvHelp.rtf", "share/zorvak/ZorvHelp.de.rtf"},
         "share/zorvak/ZorvHelp.de.rtf"},
        {"de_DE",
         {"bin/ZorvHelp.rtf", "share/zorvak/ZorvHelp.de.rtf"},
         "share/zorvak/ZorvHelp.de.rtf"},
        {"de_DE", {"bin/ZorvHelp.de.rtf/", "bin/ZorvHelp.rtf"}, "bin/ZorvHelp.rtf"},
        {"fr_FR", {}, "bin/ZorvHelp.rtf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Locale) + " -> " + c.Expected);
        TTempDir prefix;
        for (const std::string& file : c.Files) {
            if (file.ends_with('/'))
                std::filesystem::create_directories(prefix / file);
            else
                WriteFile(prefix / file, file);
        }
        const auto previous = SetProgramFileSource([&] { return prefix / "bin/zorvak"; });
        const test::TSpeaking speaking{QLocale(QString::fromLatin1(c.Locale))};
        EXPECT_EQ(HelpFilePath(), prefix / c.Expected);
        // What the window shows, under the caption it always had.
        TRecordedDialogs dialogs;
        {
            THelpForm form;
            EXPECT_EQ(form.windowTitle(), QStringLiteral("HelpForm"));
            if (c.Files.empty()) {
                ASSERT_EQ(dialogs.Boxes->Messages.size(), 1u);
                EXPECT_TRUE(
                    dialogs.Boxes->Messages[0].Text.contains(QStringLiteral("ZorvHelp.rtf")));
            } else {
                EXPECT_EQ(HelpViewer->toPlainText(), QString::fromLatin1(c.Expected));
            }
        }
        SetProgramFileSource(previous);
    }
}

TEST_F(HelpWindow, RichTextShowsFormatted) {
    WriteHelp("{\\rtf1\\ansi{\\b Bold} and {\\i italic}\\par second}");
    THelpForm form;
    EXPECT_EQ(Shown(), QStringLiteral("Bold and italic\nsecond"));
    const QTextCursor bold = HelpViewer->document()->find(QStringLiteral("Bold"));
    EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
    const QTextCursor italic = HelpViewer->document()->find(QStringLiteral("italic"));
    EXPECT_TRUE(italic.charFormat().fontItalic());
}

TEST_F(HelpWindow, PlainTextShowsAsPlainTextInTheWindowsFont) {
    const std::string text = "Zorvak help\nin plain text {\\b not rich}\n";
    WriteHelp(text);
    THelpForm form;
    EXPECT_EQ(Shown(), QString::fromStdString(text));
    QTextCursor cursor(HelpViewer->document());
    cursor.movePosition(QTextCursor::NextCharacter);
    EXPECT_NE(cursor.charFormat().fontWeight(), QFont::Bold);
    const QFont shown = cursor.charFormat().font();
    EXPECT_EQ(shown.family(), form.font().family());
    EXPECT_EQ(HelpViewer->document()->defaultFont().pixelSize(), 13);
    EXPECT_EQ(form.font().pixelSize(), 13);
}

TEST_F(HelpWindow, TypingChangesNothingWhateverWasLoaded) {
    const struct {
        const char* Name;
        std::function<void(const std::filesystem::path&)> Prepare;
    } cases[] = {
        {"rich text", [](auto& p) { WriteFile(p, "{\\rtf1 Some {\\b help}\\par text}"); }},
        {"plain text", [](auto& p) { WriteFile(p, "Some plain help"); }},
        {"missing file", [](auto&) {}},
        {"file that cannot be read",
         [](auto& p) { std::filesystem::create_symlink("/proc/self/mem", p); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove(HelpFile());
        c.Prepare(HelpFile());
        THelpForm form;
        ASSERT_TRUE(HelpViewer);
        const QString before = Shown();
        TryToEdit(HelpViewer);
        EXPECT_EQ(Shown(), before);
        EXPECT_TRUE(HelpViewer->isReadOnly());
        EXPECT_FALSE(HelpViewer->textInteractionFlags() & Qt::TextEditable);
    }
}

TEST_F(HelpWindow, HugeFileOpensWithItsBeginning) {
    // Megabytes of help: the window opens with what it can show.
    std::string rich = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}";
    for (int i = 0; rich.size() < (6u << 20); ++i)
        rich += "{\\b Part " + std::to_string(i) + "}\\par Some text of the part, caf\\'e9.\\par\n";
    WriteHelp(rich + "}");
    THelpForm form;
    form.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs_.Boxes->Messages.empty());
    EXPECT_TRUE(
        Shown().startsWith(QStringLiteral("Part 0\nSome text of the part, caf\u00E9.\nPart 1")));
    EXPECT_TRUE(Shown().endsWith(QStringLiteral("\u2026")));
    EXPECT_TRUE(HelpViewer->isReadOnly());
}

TEST_F(HelpWindow, KeysScrollWithoutScrollBars) {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "Line " + std::to_string(i) + "\n";
    WriteHelp(text);
    THelpForm form;
    form.show();
    QScrollBar* bar = HelpViewer->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);
    Type(HelpViewer, Qt::Key_PageDown);
    const int paged = bar->value();
    EXPECT_GT(paged, 0);
    Type(HelpViewer, Qt::Key_Down);
    EXPECT_GT(bar->value(), paged);
    Type(HelpViewer, Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(Shown(), QString::fromStdString(text));
}

TEST_F(HelpWindow, ReopeningShowsTheFileAsItIsNow) {
    WriteHelp("{\\rtf1 first version}");
    {
        THelpForm form;
        EXPECT_EQ(Shown(), QStringLiteral("first version"));
    }
    EXPECT_TRUE(HelpViewer.isNull());
    WriteHelp("second version, plain");
    {
        THelpForm form;
        EXPECT_EQ(Shown(), QStringLiteral("second version, plain"));
    }
}

TEST_F(HelpWindow, MissingFileIsReportedAndTheWindowOpensEmpty) {
    for (const bool directory : {false, true}) {
        SCOPED_TRACE(directory ? "a directory of that name" : "nothing of that name");
        dialogs_.Boxes->Messages.clear();
        if (directory)
            std::filesystem::create_directory(HelpFile());
        THelpForm form;
        ASSERT_EQ(dialogs_.Boxes->Messages.size(), 1u);
        const TMessage& box = dialogs_.Boxes->Messages[0];
        EXPECT_EQ(box.Text, QStringLiteral("Cannot find ZorvHelp.rtf"));
        EXPECT_EQ(box.Title, QStringLiteral("Error"));
        EXPECT_EQ(box.Icon, TMsgIcon::mbiError);
        ASSERT_TRUE(HelpViewer);
        EXPECT_TRUE(HelpViewer->document()->isEmpty());
        EXPECT_TRUE(HelpViewer->isReadOnly());
        EXPECT_EQ(HelpViewer->palette().color(QPalette::Base), kPaleYellow);
    }
}

TEST_F(HelpWindow, FileThatCannotBeReadGoesToTheErrorBox) {
    // Held by someone else: it cannot be opened.
    WriteHelp("{\\rtf1 locked}");
    {
        const TLockedFile holder(HelpFile());
        THelpForm form;
        ASSERT_EQ(dialogs_.Boxes->Messages.size(), 1u);
        const TMessage& box = dialogs_.Boxes->Messages[0];
        EXPECT_EQ(box.Text,
                  QString::fromStdString("Cannot open file " + HelpFile().string() + "."));
        EXPECT_EQ(box.Title, QStringLiteral("Zorvak"));
        EXPECT_EQ(box.Icon, TMsgIcon::mbiError);
        EXPECT_TRUE(HelpViewer->document()->isEmpty());
        EXPECT_TRUE(HelpViewer->isReadOnly());
    }
    // Opened, but every read fails.
    dialogs_.Boxes->Messages.clear();
    std::filesystem::remove(HelpFile());
    std::filesystem::create_symlink("/proc/self/mem", HelpFile());
    {
        THelpForm form;
        ASSERT_EQ(dialogs_.Boxes->Messages.size(), 1u);
        EXPECT_EQ(dialogs_.Boxes->Messages[0].Text, QStringLiteral("Failed to Load Stream."));
        EXPECT_EQ(dialogs_.Boxes->Messages[0].Icon, TMsgIcon::mbiError);
        EXPECT_TRUE(HelpViewer->document()->isEmpty());
        EXPECT_TRUE(HelpViewer->isReadOnly());
    }
}

TEST_F(HelpWindow, FileWithoutReadPermissionCannotBeOpened) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    WriteHelp("{\\rtf1 secret}");
    std::filesystem::permissions(HelpFile(), std::filesystem::perms::none);
    THelpForm form;
    ASSERT_EQ(dialogs_.Boxes->Messages.size(), 1u);
    EXPECT_EQ(dialogs_.Boxes->Messages[0].Text,
              QString::fromStdString("Cannot open file " + HelpFile().string() + "."));
}

TEST_F(HelpWindow, FormAndViewerAsDesigned) {
    WriteHelp("{\\rtf1 text}");
    THelpForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("HelpForm"));
    EXPECT_EQ(form.objectName(), QStringLiteral("HelpForm"));
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_NE(form.minimumSize(), form.maximumSize()); // resizable
    ASSERT_TRUE(HelpViewer);
    EXPECT_EQ(HelpViewer->parent(), &form);
    EXPECT_EQ(HelpViewer->palette().color(QPalette::Base), kPaleYellow);
    EXPECT_EQ(HelpViewer->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(HelpViewer->lineWrapMode(), QTextEdit::WidgetWidth);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.frameGeometry().size(), QSize(520, 400)) << "frame included";
    EXPECT_EQ(HelpViewer->geometry(), form.rect());
    form.resize(300, 250);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(300, 250)) << "the user's size stays";
    EXPECT_EQ(HelpViewer->geometry(), form.rect()); // follows the form
    // What the user sees: pale yellow behind the text.
    const QImage shot = form.grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() - 10), kPaleYellow);
}

TEST_F(HelpWindow, ClosingOneWindowLeavesAnothersViewerAlone) {
    WriteHelp("{\\rtf1 text}");
    auto first = std::make_unique<THelpForm>();
    QPointer<QTextEdit> firstViewer = HelpViewer;
    THelpForm second;
    QPointer<QTextEdit> secondViewer = HelpViewer;
    first.reset();
    EXPECT_TRUE(firstViewer.isNull());
    ASSERT_FALSE(secondViewer.isNull());
    EXPECT_EQ(HelpViewer, secondViewer);
}

TEST_F(HelpWindow, HelpCommandShowsAFreshWindowModallyAndDestroysIt) {
    for (const std::string text : {"first", "second"}) {
        WriteHelp(text);
        QString seen;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            QWidget* active = QApplication::activeModalWidget();
            modal = qobject_cast<THelpForm*>(active) != nullptr;
            seen = Shown();
            if (active != nullptr)
                active->close();
        });
        QWidget owner;
        RunHelpWindow(&owner);
        EXPECT_TRUE(modal);
        EXPECT_EQ(seen, QString::fromStdString(text));
        EXPECT_TRUE(HelpViewer.isNull());
        EXPECT_TRUE(owner.findChildren<THelpForm*>().isEmpty());
    }
}

TEST_F(HelpWindow, TheProgramsOwnHelpFileShowsFormatted) {
    std::filesystem::copy_file(ZORVAK_HELP_SOURCE, HelpFile());
    THelpForm form;
    EXPECT_TRUE(dialogs_.Boxes->Messages.empty());
    QTextDocument* doc = HelpViewer->document();
    const QString text = doc->toPlainText();
    // Every message the program can show is explained.
    for (const char* message : {"Not a valid PAK file",
                                "Cannot open file",
                                "Cannot create file",
                                "is in use by another program",
                                "entries were left out, as their names would not make files inside "
                                "the folder",
                                "File not found",
                                "Disk full",
                                "Read beyond end of file",
                                "Unsafe entry name",
                                "Damaged entry",
                                "would overwrite the archive it is read from",
                                "List index out of bounds",
                                "Out of memory while expanding memory stream",
                                "Name too long for a PAK archive",
                                "File too large for a PAK archive",
                                "Archive would reach 2 GiB at",
                                "Invalid PAK name",
                                "File changed while building:",
                                "Cannot find ZorvHelp.rtf",
                                "Failed to Load Stream",
                                "Some sort of Error Occurred!",
                                "Done !"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(message))) << message;
    // The archive a build writes is named as the build names it.
    const std::string built = PakOutputPath("/", "ZORVAK", FileNamesAreCaseSensitive()).filename();
    EXPECT_TRUE(text.contains(QString::fromStdString(built))) << built;
    // Every command of the window, and of the command-line tool, has its section.
    const auto plain = [](QString caption) { return caption.remove(QLatin1Char('&')); };
    {
        TZorvakForm window;
        for (const QAction* menu : window.menuBar()->actions())
            for (const QAction* item : menu->menu()->actions())
                if (!item->isSeparator()) {
                    EXPECT_TRUE(text.contains(plain(menu->text()) + ", " + plain(item->text())))
                        << plain(item->text()).toStdString();
                }
        for (const QPushButton* button : window.findChildren<QPushButton*>())
            EXPECT_TRUE(text.contains(plain(button->text())))
                << plain(button->text()).toStdString();
    }
    std::ostringstream usage;
    std::ostringstream errors;
    ASSERT_EQ(RunPakTool({"--help"}, usage, errors, false), kExitOk);
    std::istringstream lines(usage.str());
    int commands = 0;
    for (std::string line; std::getline(lines, line);)
        if (line.size() > 2 && line.starts_with("  ") && std::islower(line[2])) {
            const std::string command = "zorvak-pak " + line.substr(2, line.find(' ', 2) - 2);
            EXPECT_TRUE(text.contains(QString::fromStdString(command))) << command;
            ++commands;
        }
    EXPECT_GT(commands, 0) << "no command found in the tool's usage";
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("\\\\[a-z*'{}]"))))
        << "a control word leaked into the text";
    // Headings are bold and larger than the text; lists carry bullets.
    const QTextCursor heading = doc->find(QStringLiteral("Extract and Extract All"));
    EXPECT_EQ(heading.charFormat().fontWeight(), QFont::Bold);
    EXPECT_GT(heading.charFormat().fontPointSize(), 10);
    EXPECT_TRUE(text.contains(QStringLiteral("\u2022\t")));
    form.show();
    QCoreApplication::processEvents();
    // It opens at the top: the title is the first line the viewer shows.
    EXPECT_EQ(HelpViewer->verticalScrollBar()->value(), 0);
    const QTextCursor top = HelpViewer->cursorForPosition(QPoint(HelpViewer->width() / 2, 0));
    EXPECT_EQ(top.block().text(), QStringLiteral("Zorvak Help"));
    const QImage shot = form.grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() - 12, shot.height() - 12), kPaleYellow);
    if (const char* dir = std::getenv("ZORVAK_SCREENSHOTS"))
        shot.save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("ZorvHelp.png")));
}

} // namespace
} // namespace zorvak
