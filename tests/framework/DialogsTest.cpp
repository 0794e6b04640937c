#include "framework/Dialogs.h"
#include "framework/Application.h"
#include "framework/Failures.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace zorvak
