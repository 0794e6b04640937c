#include "framework/ui/Dialogs.h"
#include "framework/Failures.h"
#include "framework/ui/Application.h"
#include "support/Recorders.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <optional>

namespace zorvak {
namespace {

TEST(RunGuarded, ShowsTheFailureInTheErrorBoxAndGoesOn) {
    test::TRecordedDialogs dialogs;
    bool after = false;
    RunGuarded([&] {
        throw TFileOpenFailure("/x/y.pak");
        after = true;
    });
    RunGuarded([] { throw std::bad_alloc(); });
    RunGuarded([] { throw 42; });
    RunGuarded([] {});
    EXPECT_FALSE(after);
    ASSERT_EQ(dialogs.Boxes->Messages.size(), 3u);
    const TMessage& first = dialogs.Boxes->Messages[0];
    EXPECT_EQ(first.Title, "Zorvak");
    EXPECT_EQ(first.Text, "Cannot open file /x/y.pak.");
    EXPECT_EQ(first.Icon, TMsgIcon::mbiError);
    EXPECT_EQ(dialogs.Boxes->Messages[1].Text, "Out of memory.");
    EXPECT_EQ(dialogs.Boxes->Messages[2].Text, "Unknown failure.");
}

TEST(OpenDialog, TranslatesTheFilterAndRemembersTheLastFile) {
    test::TRecordedDialogs dialogs;
    TOpenDialog dlg;
    dlg.Filter = "Quake Pak Files (*.pak)|*.pak|All files (*.*) |*.*";
    dlg.DefaultExt = "PAK";
    dialogs.Files->Answers = {QStringLiteral("/q/pak0.pak"), QString()};
    EXPECT_TRUE(dlg.Execute(nullptr));
    EXPECT_EQ(dlg.FileName, "/q/pak0.pak");
    EXPECT_FALSE(dlg.Execute(nullptr));
    EXPECT_EQ(dlg.FileName, "/q/pak0.pak"); // a cancel keeps the last choice
    ASSERT_EQ(dialogs.Files->Requests.size(), 2u);
    const TOpenFileRequest& first = dialogs.Files->Requests[0];
    EXPECT_EQ(first.Filters, QStringList({"Quake Pak Files (*.pak)", "All files (*.*)"}));
    EXPECT_EQ(first.FilterIndex, 0);
    EXPECT_EQ(first.DefaultSuffix, "PAK");
    EXPECT_EQ(dialogs.Files->Requests[1].InitialFile, "/q/pak0.pak");
}

// A name typed without an extension, accepted in the toolkit's own dialog,
// against the files that are there: the extension takes the letter case of
// the file that exists.
TEST(OpenDialog, TypedNameTakesTheDefaultExtensionOfTheFileThatExists) {
    const struct {
        const char* Name;
        std::vector<std::string> Files;
        std::vector<std::string> Dirs;
        QString Opened;  // empty: refused
        QString Missing; // the name the refusal gives
    } cases[] = {
        {"lower case only", {"probe.pak"}, {}, "probe.pak", {}},
        {"upper case only", {"probe.PAK"}, {}, "probe.PAK", {}},
        {"both", {"probe.pak", "probe.PAK"}, {}, "probe.pak", {}},
        {"a directory is no file", {"probe.PAK"}, {"probe.pak"}, "probe.PAK", {}},
        {"mixed case", {"probe.Pak"}, {}, {}, "probe.PAK"},
        {"none", {}, {}, {}, "probe.PAK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        test::TTempDir dir;
        for (const std::string& file : c.Files)
            test::WriteFile(dir / file, "PACK");
        for (const std::string& sub : c.Dirs)
            std::filesystem::create_directory(dir / sub);
        TOpenFileRequest request;
        request.Filters = QStringList({"Quake Pak Files (*.pak)", "All files (*.*)"});
        request.DefaultSuffix = "PAK";
        // "probe" typed into the dialog's name field.
        request.InitialFile = QDir(QString::fromStdString(dir.Path().string())).filePath("probe");
        const auto dialog = MakeOpenFileDialog(nullptr, request);
        dialog->setOption(QFileDialog::DontUseNativeDialog);

        QString refusal;
        QTimer dismiss; // a refusal comes in a modal box of the toolkit's
        dismiss.setSingleShot(true);
        QObject::connect(&dismiss, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                refusal = box->text();
                box->close();
            }
        });
        dismiss.start(0);
        QMetaObject::invokeMethod(dialog.get(), "accept"); // what Open does

        if (c.Opened.isEmpty()) {
            EXPECT_NE(dialog->result(), QDialog::Accepted);
            EXPECT_TRUE(refusal.startsWith(c.Missing + "\n")) << refusal.toStdString();
        } else {
            EXPECT_EQ(dialog->result(), QDialog::Accepted);
            ASSERT_EQ(dialog->selectedFiles().size(), 1);
            EXPECT_EQ(dialog->selectedFiles().front().toStdString(),
                      (dir / c.Opened.toStdString()).string());
            EXPECT_TRUE(refusal.isEmpty());
        }
    }
}

// Confirm and AskText as the user meets them: the toolkit's boxes, answered
// by what a user would press.
TEST(EditBoxes, AnswerWhatTheUserPressed) {
    enum class TPress { Accept, Reject, ReturnAtOnce };
    // Yes or No; OK or Cancel after typing a name.
    const auto press = [](QWidget* box, TPress how) {
        if (how == TPress::ReturnAtOnce) {
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(box->focusWidget() ? box->focusWidget() : box, &enter);
        } else if (auto* question = qobject_cast<QMessageBox*>(box)) {
            question->button(how == TPress::Accept ? QMessageBox::Yes : QMessageBox::No)->click();
        } else if (auto* line = qobject_cast<QInputDialog*>(box)) {
            line->setTextValue(QStringLiteral("maps/new.bsp"));
            line->done(how == TPress::Accept ? QDialog::Accepted : QDialog::Rejected);
        }
    };
    const struct {
        const char* Pressed;
        TPress How;
        bool Confirmed;
        std::optional<QString> Typed;
    } cases[] = {
        {"Yes, or OK after typing", TPress::Accept, true, QStringLiteral("maps/new.bsp")},
        {"No, or Cancel after typing", TPress::Reject, false, std::nullopt},
        {"Return at once: the question's default is No, the line keeps its text",
         TPress::ReturnAtOnce, false, QStringLiteral("maps/old.bsp")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Pressed);
        QStringList seen;
        QTimer answer;
        answer.setInterval(0);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                answer.stop();
                seen << box->windowTitle();
                press(box, c.How);
            }
        });
        answer.start();
        EXPECT_EQ(Confirm(QStringLiteral("Delete 1 entry from x.pak?")), c.Confirmed);
        answer.start();
        EXPECT_EQ(AskText(QStringLiteral("Rename"), QStringLiteral("New name:"),
                          QStringLiteral("maps/old.bsp")),
                  c.Typed);
        EXPECT_EQ(seen, QStringList({ApplicationTitle(), QStringLiteral("Rename")}));
    }
}

} // namespace
} // namespace zorvak
