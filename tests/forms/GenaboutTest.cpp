#include "forms/Genabout.h"

#include "controls/Backdrop.h"
#include "controls/Gradbtn.h"
#include "controls/PictureLabel.h"
#include "framework/Failures.h"
#include "framework/ui/Application.h"
#include "support/Mouse.h"
#include "support/Recorders.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

TEST(VersionTextTest, UnpacksMajorMinorAndRelease) {
    struct Case {
        std::int32_t Packed;
        const char* Expected;
    };
    const Case cases[] = {
        {73216, "1.30"},
        {66818, "1.05b"},
        {26, "0.00z"},
        {27, "0.00"},
        {197889, "3.05a"},
        {-1, "65535.255"},
        {0, "0.00"},
        {0x00010901, "1.09a"},
        {0x7FFF6301, "32767.99a"},
        {0x000A6400, "10.100"},
        {static_cast<std::int32_t>(0x80000000u), "32768.00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VersionText(c.Packed).toStdString(), c.Expected) << c.Packed;
    EXPECT_EQ(ReleaseLetter(1), "a");
    EXPECT_EQ(ReleaseLetter(26), "z");
    for (const int code : {0, 27, 96, 255, -1})
        EXPECT_TRUE(ReleaseLetter(code).isEmpty()) << code;
}

TEST(ProgramDateTest, FormatsWithTheLocaleNames) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    struct Case {
        QDateTime Time;
        const char* Expected;
    };
    const Case cases[] = {
        {QDateTime(QDate(1997, 3, 3), QTime(16, 5)), "Monday 3 March 1997, 4:05 PM"},
        {QDateTime(QDate(2001, 12, 30), QTime(0, 7)), "Sunday 30 December 2001, 12:07 AM"},
        {QDateTime(QDate(2024, 2, 29), QTime(12, 0)), "Thursday 29 February 2024, 12:00 PM"},
        {QDateTime(QDate(2024, 7, 1), QTime(11, 59)), "Monday 1 July 2024, 11:59 AM"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatProgramDate(c.Time, english).toStdString(), c.Expected);
    const QString german =
        FormatProgramDate(QDateTime(QDate(1997, 3, 3), QTime(16, 5)), QLocale(QLocale::German));
    EXPECT_TRUE(german.startsWith(QStringLiteral("Montag 3 M\u00E4rz 1997, 4:05 ")))
        << german.toStdString();
}

TEST(ProgramDateTest, ReadsTheFilesLastWriteTime) {
    test::TTempDir dir;
    const auto file = dir / "program";
    test::WriteFile(file, std::string("x"));
    const QDateTime when(QDate(1997, 3, 3), QTime(16, 5, 0));
    {
        QFile stamp(QString::fromStdString(file.string()));
        ASSERT_TRUE(stamp.open(QIODevice::ReadWrite));
        ASSERT_TRUE(stamp.setFileTime(when, QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(FileDate(file), when);
    EXPECT_THROW(FileDate(dir / "missing"), TFileOpenFailure);
    EXPECT_TRUE(ProgramFileDate().isValid());
    EXPECT_FALSE(ProgramDateText().isEmpty());
}

// Fills the box as the component does, then shows it.
void FillAndShow(TAboutBox& box, const QString& label, std::int32_t version) {
    TAboutBox::SetCaption(box.Version, label);
    box.Tag = version;
    box.show();
    QApplication::processEvents();
}

int ExpectedWidth(const TAboutBox& box) {
    int w = box.ProductName->width() + 109;
    for (const QLabel* label : {box.VDate, box.Copyright, box.Comments})
        w = std::max(w, label->width() + 13);
    return w;
}

void ExpectCentred(const TAboutBox& box, const QWidget* control) {
    EXPECT_EQ(control->x(), (box.Panel1->width() - control->width()) / 2)
        << control->metaObject()->className();
}

TEST(AboutBoxTest, CreationEmptiesTheStoredCaptions) {
    TAboutBox box;
    for (const QLabel* label :
         {box.ProductName, box.VDate, box.Version, box.Copyright, box.Comments})
        EXPECT_TRUE(label->text().isEmpty());
    EXPECT_EQ(box.Tag, 66818);
    EXPECT_EQ(box.windowTitle(), "About");
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(box.Panel1->Direction(), TDirection::bdRight);
    EXPECT_EQ(box.Panel1->Color(), TBackClrs::clBlue);
    EXPECT_EQ(box.ButtonOk->geometry(), QRect(74, 120, 57, 25));
    EXPECT_EQ(box.ButtonOk->Caption(), "Ok");
    EXPECT_EQ(box.ButtonOk->FaceColor(), clTeal);
    EXPECT_EQ(box.ButtonOk->ShadowColor(), clNavy);
    EXPECT_EQ(box.ButtonOk->GradColor(), clBlue);
}

TEST(AboutBoxTest, ShowingFillsDefaultsAndLaysOut) {
    test::TRecordedDialogs dialogs;
    TAboutBox box;
    FillAndShow(box, QStringLiteral("Version: "), 73216);

    EXPECT_EQ(box.height(), 160);
    EXPECT_EQ(box.ProductName->text(), ApplicationTitle());
    EXPECT_EQ(box.Version->text(), "Version: 1.30");
    EXPECT_EQ(box.VDate->text(), ProgramDateText());
    EXPECT_EQ(box.Copyright->text(), DefaultCopyrightText());
    EXPECT_EQ(box.Comments->text(), DefaultCommentsText());

    const int w = ExpectedWidth(box);
    EXPECT_EQ(box.width(), w);
    EXPECT_EQ(box.Panel2->geometry(), QRect(0, 0, w, 160));
    EXPECT_EQ(box.Panel1->geometry(), QRect(1, 1, w - 2, 158));
    const QRect screen = box.screen()->geometry();
    EXPECT_EQ(box.x(), screen.x() + (screen.width() - w) / 2);

    EXPECT_EQ(box.ProgIcon2->pos(), QPoint(w - 2 - box.ProgIcon1->width() - 8, 8));
    for (const QWidget* control :
         {static_cast<const QWidget*>(box.ProductName), static_cast<const QWidget*>(box.Version),
          static_cast<const QWidget*>(box.VDate), static_cast<const QWidget*>(box.Copyright),
          static_cast<const QWidget*>(box.Comments), static_cast<const QWidget*>(box.ButtonOk)})
        ExpectCentred(box, control);
    EXPECT_EQ(box.ProductName->y(), 8);
    EXPECT_EQ(box.Version->y(), 28);
    EXPECT_EQ(box.VDate->y(), 48);
    EXPECT_EQ(box.Copyright->y(), 80);
    EXPECT_EQ(box.Comments->y(), 96);
    EXPECT_EQ(box.ButtonOk->y(), 120);
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
}

TEST(AboutBoxTest, GivenTextsReplaceTheDefaults) {
    TAboutBox box;
    TAboutBox::SetCaption(box.ProductName, QStringLiteral("Other"));
    TAboutBox::SetCaption(box.VDate, QStringLiteral("today"));
    TAboutBox::SetCaption(box.Copyright, QStringLiteral("(c) us"));
    TAboutBox::SetCaption(box.Comments, QStringLiteral("hello"));
    FillAndShow(box, QString(), 66818);
    EXPECT_EQ(box.ProductName->text(), "Other");
    EXPECT_EQ(box.VDate->text(), "today");
    EXPECT_EQ(box.Copyright->text(), "(c) us");
    EXPECT_EQ(box.Comments->text(), "hello");
    EXPECT_EQ(box.Version->text(), "1.05b") << "an empty label shows the version alone";
}

TEST(AboutBoxTest, LongCommentsWidenTheBoxButALongVersionLabelDoesNot) {
    TAboutBox wide;
    TAboutBox::SetCaption(wide.Comments, QString(60, QLatin1Char('W')));
    FillAndShow(wide, QStringLiteral("Version: "), 73216);
    EXPECT_EQ(wide.width(), wide.Comments->width() + 13);
    EXPECT_EQ(wide.Comments->x(), 5) << "(width + 13 - 2 - width) div 2";

    TAboutBox plain;
    FillAndShow(plain, QStringLiteral("Version: "), 73216);
    TAboutBox longLabel;
    FillAndShow(longLabel, QStringLiteral("Version number of this very program: "), 73216);
    EXPECT_GT(longLabel.Version->width() + 13, longLabel.width());
    EXPECT_EQ(longLabel.width(), plain.width());
    EXPECT_LT(longLabel.Version->x(), 0);
}

TEST(AboutBoxTest, CentresOverTheOwnerWindow) {
    QWidget owner;
    owner.setGeometry(120, 90, 500, 300);
    owner.show();
    QApplication::processEvents();
    TAboutBox box(&owner);
    FillAndShow(box, QStringLiteral("Version: "), 73216);
    const QRect outer = owner.frameGeometry();
    EXPECT_EQ(box.pos(), QPoint(outer.x() + (outer.width() - box.width()) / 2,
                                outer.y() + (outer.height() - 160) / 2));
}

TEST(AboutBoxTest, DoubleClickOnAnIconAppendsTheBuildLabel) {
    TAboutBox box;
    FillAndShow(box, QStringLiteral("Version: "), 73216);
    const int width = box.width();
    test::DoubleClick(box.ProgIcon1, QPoint(4, 4));
    const QString once = "Version: 1.30 " + BuildToolLabel();
    EXPECT_EQ(box.Version->text(), once);
    ExpectCentred(box, box.Version);
    test::DoubleClick(box.ProgIcon2, QPoint(4, 4));
    EXPECT_EQ(box.Version->text(), once + " " + BuildToolLabel());
    ExpectCentred(box, box.Version);
    EXPECT_EQ(box.width(), width);
    EXPECT_TRUE(BuildToolLabel().startsWith('('));
    EXPECT_TRUE(BuildToolLabel().contains(QStringLiteral("Qt " QT_VERSION_STR)));
}

TEST(AboutBoxTest, OkClosesWithCancel) {
    TAboutBox box;
    FillAndShow(box, QStringLiteral("Version: "), 73216);
    box.setResult(QDialog::Accepted);
    test::Click(box.ButtonOk, QPoint(10, 10));
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Rejected);
}

class TDatelessBox : public TAboutBox {
protected:
    QString DefaultDateText() const override { throw TFileOpenFailure("/nowhere/zorvak"); }
};

TEST(AboutBoxTest, AnUnreadableProgramDateIsReportedAndTheBoxStillLaidOut) {
    test::TRecordedDialogs dialogs;
    TDatelessBox box;
    FillAndShow(box, QStringLiteral("Version: "), 73216);
    ASSERT_EQ(dialogs.Boxes->Messages.size(), 1u);
    EXPECT_EQ(dialogs.Boxes->Messages[0].Icon, TMsgIcon::mbiError);
    EXPECT_EQ(dialogs.Boxes->Messages[0].Text, "Cannot open file /nowhere/zorvak.");
    EXPECT_TRUE(box.VDate->text().isEmpty());
    EXPECT_EQ(box.Copyright->text(), DefaultCopyrightText());
    EXPECT_EQ(box.height(), 160);
    EXPECT_EQ(box.width(), ExpectedWidth(box));
    ExpectCentred(box, box.ButtonOk);
}

} // namespace
} // namespace zorvak
