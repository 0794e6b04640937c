#include "framework/ui/Describe.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

TEST(VisibleName, IsTheTextAsItReadsOnTheScreen) {
    const struct {
        const char* Text;
        const char* Shown;
    } cases[] = {
        {"&Open Pak File", "Open Pak File"},
        {"Save &As...", "Save As..."}, // the dots are shown
        {"Fish && Chips", "Fish & Chips"},
        {"&&&Both", "&Both"},
        {"&Zoom:", "Zoom"}, // a caption's colon is not
        {"Zoom :", "Zoom"}, // as French writes it
        {"Start build from :-", "Start build from :-"},
        {"Trailing&", "Trailing"},
        {"&", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VisibleName(QString::fromUtf8(c.Text)).toStdString(), c.Shown) << c.Text;
}

} // namespace
} // namespace zorvak
