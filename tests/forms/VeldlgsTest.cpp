#include "forms/Veldlgs.h"

#include "controls/Gradbtn.h"
#include "forms/Genabout.h"
#include "framework/Failures.h"
#include "framework/PropertyStream.h"
#include "framework/Streams.h"
#include "support/Mouse.h"
#include "support/Recorders.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace zorvak {
namespace {

struct TSeen {
    QString ProductName, Version, VDate, Copyright, Comments;
    std::int32_t Tag = 0;
    QWidget* Parent = nullptr;
    bool Shown = false;
};

TSeen Look(const TAboutBox& box) {
    return {box.ProductName->text(), box.Version->text(),  box.VDate->text(),
            box.Copyright->text(),   box.Comments->text(), box.Tag,
            box.parentWidget(),      box.isVisible()};
}

// Shows the box without a nested loop and lets the test act on it.
class TScriptedAbout : public TVelAboutBox {
public:
    using TVelAboutBox::TVelAboutBox;
    std::function<int(TAboutBox&)> Script;
    QPointer<TAboutBox> LastBox;

protected:
    int ShowModal(TAboutBox& box) override {
        LastBox = &box;
        return Script(box);
    }
};

int AboutBoxesAlive() {
    int count = 0;
    for (QWidget* w : QApplication::allWidgets())
        count += qobject_cast<TAboutBox*>(w) != nullptr ? 1 : 0;
    return count;
}

TEST(VelAboutBoxTest, StartsWithTheVersionLabelOnly) {
    TVelAboutBox about;
    EXPECT_EQ(about.VersionLabel, "Version: ");
    EXPECT_EQ(about.Version, 0);
    for (const QString* text : {&about.Comments, &about.Copyright, &about.Date, &about.ProgramName})
        EXPECT_TRUE(text->isEmpty());
}

TEST(VelAboutBoxTest, StoresVersionAlwaysAndTextsWhenNotEmpty) {
    TVelAboutBox plain;
    TMemoryStream stored;
    WriteComponent(stored, plain, "About");
    const std::vector<unsigned char> expected = {
        12,       'T', 'V', 'e', 'l', 'A', 'b', 'o', 'u', 't', 'B', 'o',   'x', 5,
        'A',      'b', 'o', 'u', 't', 7,   'V', 'e', 'r', 's', 'i', 'o',   'n', vaInt8,
        0,        12,  'V', 'e', 'r', 's', 'i', 'o', 'n', 'L', 'a', 'b',   'e', 'l',
        vaString, 9,   'V', 'e', 'r', 's', 'i', 'o', 'n', ':', ' ', vaNull};
    EXPECT_EQ(stored.Bytes(), expected);

    TVelAboutBox full;
    full.Comments = QStringLiteral("Caf\u00E9");
    full.Copyright = "(c)";
    full.Date = "then";
    full.ProgramName = "Name";
    full.Version = -1;
    full.VersionLabel = "";
    TMemoryStream round;
    WriteComponent(round, full, "X");
    round.Seek(0);
    TVelAboutBox back;
    EXPECT_EQ(ReadComponent(round, back), "X");
    EXPECT_EQ(back.Comments, full.Comments);
    EXPECT_EQ(back.Copyright, "(c)");
    EXPECT_EQ(back.Date, "then");
    EXPECT_EQ(back.ProgramName, "Name");
    EXPECT_EQ(back.Version, -1);
    EXPECT_EQ(back.VersionLabel, "Version: ") << "an empty text is not stored";
}

TEST(VelAboutBoxTest, TheMainWindowsComponentComesFromItsDescription) {
    QObject owner;
    TVelAboutBox* about = CreateAboutFromDescription(&owner);
    EXPECT_EQ(about->parent(), &owner);
    EXPECT_EQ(about->objectName(), "About");
    EXPECT_EQ(about->Version, 73216);
    EXPECT_EQ(about->VersionLabel, "Version: ");
    EXPECT_TRUE(about->Comments.isEmpty() && about->Copyright.isEmpty() && about->Date.isEmpty() &&
                about->ProgramName.isEmpty());
    // What it writes is what it was read from.
    TMemoryStream again;
    WriteComponent(again, *about, "About");
    const std::span<const unsigned char> description = AboutDescription();
    EXPECT_EQ(again.Bytes(), std::vector<unsigned char>(description.begin(), description.end()));
}

TEST(VelAboutBoxTest, ExecuteShowsAModalBoxThatOkCloses) {
    test::TRecordedDialogs dialogs;
    QWidget main;
    main.setGeometry(100, 100, 400, 300);
    main.show();
    QApplication::processEvents();
    TVelAboutBox about(&main);
    about.Version = 73216;
    TSeen seen;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        modal = true;
        seen = Look(*box);
        test::Click(box->ButtonOk, QPoint(20, 12));
    });
    EXPECT_FALSE(about.Execute());
    EXPECT_TRUE(modal);
    EXPECT_EQ(seen.Version, "Version: 1.30");
    EXPECT_EQ(seen.ProductName, "Zorvak");
    EXPECT_EQ(seen.Parent, &main);
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    EXPECT_EQ(AboutBoxesAlive(), 0);
}

TEST(VelAboutBoxTest, ExecuteHandsItsPropertiesToTheBox) {
    TScriptedAbout about;
    about.Comments = "c";
    about.Copyright = "r";
    about.Date = "d";
    about.ProgramName = "p";
    about.Version = 66818;
    about.VersionLabel = "";
    TSeen seen;
    about.Script = [&](TAboutBox& box) {
        box.show();
        seen = Look(box);
        box.ButtonOk->click();
        return box.result();
    };
    EXPECT_FALSE(about.Execute());
    EXPECT_TRUE(seen.Shown);
    EXPECT_EQ(seen.Comments, "c");
    EXPECT_EQ(seen.Copyright, "r");
    EXPECT_EQ(seen.VDate, "d");
    EXPECT_EQ(seen.ProductName, "p");
    EXPECT_EQ(seen.Version, "1.05b");
    EXPECT_EQ(seen.Tag, 66818);
    EXPECT_TRUE(about.LastBox.isNull()) << "the box is destroyed after showing";

    about.Script = [](TAboutBox&) { return int(QDialog::Accepted); };
    EXPECT_TRUE(about.Execute()) << "true exactly for OK";
}

TEST(VelAboutBoxTest, AFailureWhileShowingIsReportedAndGivesFalse) {
    test::TRecordedDialogs dialogs;
    TScriptedAbout about;
    about.Script = [](TAboutBox&) -> int { throw TFailure("broken"); };
    EXPECT_FALSE(about.Execute());
    ASSERT_EQ(dialogs.Boxes->Messages.size(), 1u);
    EXPECT_EQ(dialogs.Boxes->Messages[0].Text, "Some sort of Error Occurred!");
    EXPECT_EQ(dialogs.Boxes->Messages[0].Icon, TMsgIcon::mbiNone);
    EXPECT_EQ(dialogs.Boxes->Messages[0].Title, "Zorvak");
    EXPECT_TRUE(about.LastBox.isNull());
    EXPECT_EQ(AboutBoxesAlive(), 0);
}

TEST(VelAboutBoxTest, TheBoxBelongsToTheOwnersWindow) {
    QWidget main;
    auto* inner = new QWidget(&main);
    TScriptedAbout about(inner);
    QWidget* parent = nullptr;
    about.Script = [&parent](TAboutBox& box) {
        parent = box.parentWidget();
        return int(QDialog::Rejected);
    };
    EXPECT_FALSE(about.Execute());
    EXPECT_EQ(parent, &main);
}

} // namespace
} // namespace zorvak
