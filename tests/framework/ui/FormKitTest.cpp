// Where a window may be put back, and how one too large for its screen is
// fitted: over screens described here, whatever the test's own screen is.
#include "framework/ui/FormKit.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

// Two screens side by side, the right one smaller and lower; a panel of
// 30 pixels at the top of the left one.
const QList<QRect> kScreens = {QRect(0, 30, 1920, 1050), QRect(1920, 200, 1280, 824)};

TEST(WindowPlace, ATitleBarMustBeWithinReachOnSomeScreen) {
    const struct {
        const char* What;
        QRect Frame;
        bool Reachable;
    } cases[] = {
        {"inside the first screen", {100, 100, 680, 500}, true},
        {"inside the second screen", {2000, 300, 680, 500}, true},
        {"across both", {1700, 250, 680, 500}, true},
        {"under the panel, its title bar hidden", {100, 0, 680, 500}, false},
        {"its title bar half under the panel", {100, 18, 680, 500}, true},
        {"right of every screen", {3300, 300, 680, 500}, false},
        {"a sliver at the right edge", {3200 - kGripWidth + 1, 300, 680, 500}, false},
        {"just enough at the right edge", {3200 - kGripWidth, 300, 680, 500}, true},
        {"left of the first screen but for its last pixels", {-670, 100, 680, 500}, false},
        {"above the second screen, where the first one does not reach", {2500, 0, 680, 150}, false},
        {"its body on screen, its title bar above it", {2500, 180, 680, 500}, false},
        {"below every screen", {100, 1080, 680, 500}, false},
        {"a place from a screen since removed", {5000, 5000, 680, 500}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TitleBarReachable(c.Frame, kScreens), c.Reachable) << c.What;
    EXPECT_FALSE(TitleBarReachable({0, 0, 680, 500}, {}));
}

TEST(WindowPlace, AWindowLargerThanTheScreenShrinksOntoIt) {
    const QRect area(0, 30, 800, 570);
    const struct {
        const char* What;
        QRect Frame;
        QRect Fitted;
    } cases[] = {
        {"fits: left alone", {10, 40, 680, 500}, {10, 40, 680, 500}},
        {"fits, partly off: left where it was put", {500, 300, 680, 500}, {500, 300, 680, 500}},
        {"exactly the area", {0, 30, 800, 570}, {0, 30, 800, 570}},
        {"too wide", {-100, 40, 900, 500}, {0, 40, 800, 500}},
        {"too tall, centred above the area", {60, -35, 680, 700}, {60, 30, 680, 570}},
        {"too tall and pushed down", {60, 200, 680, 700}, {60, 30, 680, 570}},
        {"too large both ways, far off", {3000, 3000, 2000, 2000}, {0, 30, 800, 570}},
        {"too wide and off to the right", {700, 40, 900, 500}, {0, 40, 800, 500}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitIntoArea(c.Frame, area), c.Fitted) << c.What;
}

} // namespace
} // namespace zorvak
