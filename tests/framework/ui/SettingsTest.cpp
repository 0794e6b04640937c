// What the window program remembers, through the tests' own settings folder
// (emptied before every test): written by one call, read back by the next.
#include "framework/ui/Settings.h"
#include "support/TempDir.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <functional>

namespace zorvak {
namespace {

// Opening a.pak ... i.pak in turn: the paths the list is built from.
QString Pak(char name) {
    return QStringLiteral("/q/%1.pak").arg(QLatin1Char(name));
}

TEST(Settings, TheRecentListKeepsTheLastEightOpenedMostRecentFirst) {
    const struct {
        const char* What;
        std::function<void()> Steps;
        QStringList Listed;
    } cases[] = {
        {"nothing opened", [] {}, {}},
        {"the last opened is on top",
         [] {
             for (const char c : {'a', 'b', 'c'})
                 RememberRecentArchive(Pak(c));
         },
         {Pak('c'), Pak('b'), Pak('a')}},
        {"opened again, it moves to the top and is listed once",
         [] {
             for (const char c : {'a', 'b', 'c', 'a'})
                 RememberRecentArchive(Pak(c));
         },
         {Pak('a'), Pak('c'), Pak('b')}},
        {"another spelling of one path is that path",
         [] {
             RememberRecentArchive(QStringLiteral("/q/a.pak"));
             RememberRecentArchive(QStringLiteral("/q/./a.pak"));
             RememberRecentArchive(QStringLiteral("/q//b.pak"));
         },
         {Pak('b'), Pak('a')}},
        // Through a link, sub/.. may be another folder.
        {"a level up is kept",
         [] {
             RememberRecentArchive(QStringLiteral("/q/a.pak"));
             RememberRecentArchive(QStringLiteral("/q/sub/../a.pak"));
         },
         {"/q/sub/../a.pak", Pak('a')}},
        {"the ninth pushes the oldest out",
         [] {
             for (const char c : {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i'})
                 RememberRecentArchive(Pak(c));
         },
         {Pak('i'), Pak('h'), Pak('g'), Pak('f'), Pak('e'), Pak('d'), Pak('c'), Pak('b')}},
        {"one taken off leaves the others in their order",
         [] {
             for (const char c : {'a', 'b', 'c'})
                 RememberRecentArchive(Pak(c));
             ForgetRecentArchive(Pak('b'));
         },
         {Pak('c'), Pak('a')}},
        {"an empty path is no archive", [] { RememberRecentArchive(QString()); }, {}},
        {"a list edited by hand: blanks and repeats passed over, cut at eight",
         [] {
             QSettings(QSettings::IniFormat, QSettings::UserScope, "zorvak", "zorvak")
                 .setValue("RecentArchives",
                           QStringList{Pak('a'), "", Pak('a'), Pak('b'), Pak('c'), Pak('d'),
                                       Pak('e'), Pak('f'), Pak('g'), Pak('h'), Pak('i')});
         },
         {Pak('a'), Pak('b'), Pak('c'), Pak('d'), Pak('e'), Pak('f'), Pak('g'), Pak('h')}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        ForgetAllSettings();
        c.Steps();
        EXPECT_EQ(RecentArchives(), c.Listed);
    }
}

TEST(Settings, AFolderRemembersPerDialogAndOnlyWhileItIsThere) {
    test::TTempDir dir;
    const QString one = QString::fromStdString(dir.Path().string());
    std::filesystem::create_directory(dir / "two");
    const QString two = QString::fromStdString((dir / "two").string());
    EXPECT_EQ(LastFolder("ExtractTo"), QString());
    RememberFolder("ExtractTo", one);
    RememberFolder("AddFolder", two);
    EXPECT_EQ(LastFolder("ExtractTo"), one);
    EXPECT_EQ(LastFolder("AddFolder"), two);
    std::filesystem::remove(dir / "two");
    EXPECT_EQ(LastFolder("AddFolder"), QString());
    EXPECT_EQ(LastFolder("ExtractTo"), one);
}

TEST(Settings, ResetForgetsEverything) {
    test::TTempDir dir;
    const QString folder = QString::fromStdString(dir.Path().string());
    RememberRecentArchive(Pak('a'));
    RememberChosenArchive(Pak('a'));
    RememberFolder("ExtractTo", folder);
    SaveWindowPlace("Preview", {QPoint(10, 20), QSize(300, 200)});
    ASSERT_EQ(RecentArchives(), QStringList{Pak('a')});
    ASSERT_EQ(LastChosenArchive(), Pak('a'));
    ASSERT_EQ(LastFolder("ExtractTo"), folder);
    const std::optional<TWindowPlace> place = SavedWindowPlace("Preview");
    ASSERT_TRUE(place);
    EXPECT_EQ(place->Position, QPoint(10, 20));
    EXPECT_EQ(place->Size, QSize(300, 200));
    ForgetAllSettings();
    EXPECT_EQ(RecentArchives(), QStringList());
    EXPECT_EQ(LastChosenArchive(), QString());
    EXPECT_EQ(LastFolder("ExtractTo"), QString());
    EXPECT_FALSE(SavedWindowPlace("Preview"));
}

TEST(Settings, APlaceWithoutASizeIsNoPlace) {
    const struct {
        const char* What;
        QSize Size;
        bool Kept;
    } cases[] = {
        {"a size", {300, 200}, true},
        {"no width", {0, 200}, false},
        {"negative", {-5, -5}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        SaveWindowPlace("Preview", {QPoint(-40, 7), c.Size});
        const std::optional<TWindowPlace> place = SavedWindowPlace("Preview");
        EXPECT_EQ(place.has_value(), c.Kept);
        if (place) {
            EXPECT_EQ(place->Position, QPoint(-40, 7));
        }
    }
}

} // namespace
} // namespace zorvak
