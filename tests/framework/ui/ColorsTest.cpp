#include "framework/ui/Colors.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <gtest/gtest.h>

#include <memory>

namespace zorvak {
namespace {

// The original windows look as they always did in the light palette only if
// the designed one is that palette, role by role, in every group.
TEST(DesignedPalette, IsTheToolkitsLightPalette) {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    ASSERT_NE(fusion, nullptr);
    const QPalette light = fusion->standardPalette();
    const QPalette designed = DesignedPalette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto r = static_cast<QPalette::ColorRole>(role);
            EXPECT_EQ(designed.color(group, r), light.color(group, r))
                << "group " << group << ", role " << role;
            // Set, not inherited: a dark application palette must not show through.
            EXPECT_TRUE(designed.isBrushSet(group, r)) << "group " << group << ", role " << role;
        }
}

TEST(DesignedPalette, SystemColoursResolveInItWhateverTheApplicationsPalette) {
    QPalette dark;
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::Button, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Base, QColor(0x30, 0x30, 0x30));
    const QPalette before = QApplication::palette();
    QApplication::setPalette(dark);
    const std::pair<TColor, QPalette::ColorRole> cases[] = {
        {clBtnFace, QPalette::Button},        {clWindow, QPalette::Base},
        {clWindowText, QPalette::WindowText}, {clHighlight, QPalette::Highlight},
        {clBackground, QPalette::Window},
    };
    for (const auto& [system, role] : cases)
        EXPECT_EQ(ToQColor(system), DesignedPalette().color(QPalette::Active, role)) << role;
    QApplication::setPalette(before);
    EXPECT_EQ(ColorToRGB(clTeal), clTeal);
}

TEST(ContrastRatio, ByRelativeLuminance) {
    struct TCase {
        QColor Text;
        QColor Ground;
        double Expected;
    };
    const TCase cases[] = {
        {Qt::black, Qt::white, 21.0},
        {Qt::white, Qt::black, 21.0},
        {QColor(0x77, 0x77, 0x77), Qt::white, 4.48},
        {QColor(0x76, 0x76, 0x76), Qt::white, 4.54},
        {QColor(0x30, 0x8C, 0xC6), Qt::white, 3.69},
        {Qt::red, Qt::white, 4.0},
        {Qt::cyan, Qt::red, 3.19},
        {QColor(0x12, 0x34, 0x56), QColor(0x12, 0x34, 0x56), 1.0},
        // See-through text is seen over its ground: half black on white is grey.
        {QColor(0, 0, 0, 128), Qt::white, 4.0},
        {QColor(0, 0, 0, 0), Qt::white, 1.0},
    };
    for (const TCase& c : cases)
        EXPECT_NEAR(ContrastRatio(c.Text, c.Ground), c.Expected, 0.01)
            << c.Text.name(QColor::HexArgb).toStdString() << " on "
            << c.Ground.name().toStdString();
}

TEST(ReadableOn, KeepsTheColourWhereItReadsElseTheNearestOfItsHueThatDoes) {
    struct TCase {
        QColor Wanted;
        QColor Ground;
        double Ratio;
        bool Kept;
    };
    const TCase cases[] = {
        {QColor(0x80, 0x20, 0x00), QColor(0xEF, 0xEF, 0xEF), 4.5, true},
        {QColor(0x80, 0x20, 0x00), QColor(0x22, 0x20, 0x20), 4.5, false},
        {QColor(0x20, 0x40, 0x90), Qt::white, 3.0, true},
        {QColor(0x20, 0x40, 0x90), QColor(0x3D, 0x3D, 0x3D), 3.0, false},
        {QColor(0xC0, 0x20, 0x20), QColor(0x3D, 0x3D, 0x3D), 4.5, false},
        // Light wanted on light ground: darker.
        {QColor(0xFF, 0xFF, 0x80), Qt::white, 4.5, false},
        // Half see-through: read as drawn over the ground.
        {QColor(0, 0, 0, 128), QColor(0xEF, 0xEF, 0xEF), 4.5, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Wanted.name(QColor::HexArgb).toStdString() + " on " +
                     c.Ground.name().toStdString());
        const QColor shown = ReadableOn(c.Wanted, c.Ground, c.Ratio);
        EXPECT_GE(ContrastRatio(shown, c.Ground), c.Ratio);
        EXPECT_EQ(shown == c.Wanted, c.Kept);
        if (c.Kept)
            continue;
        // Moved towards the end that reads better on the ground, from the
        // wanted colour as it shows over the ground, and no further than
        // it takes.
        const double a = c.Wanted.alphaF();
        const QColor wanted(qRound(c.Wanted.red() * a + c.Ground.red() * (1 - a)),
                            qRound(c.Wanted.green() * a + c.Ground.green() * (1 - a)),
                            qRound(c.Wanted.blue() * a + c.Ground.blue() * (1 - a)));
        const bool lighter = shown.lightness() > wanted.lightness();
        EXPECT_EQ(lighter,
                  ContrastRatio(Qt::white, c.Ground) >= ContrastRatio(Qt::black, c.Ground));
        EXPECT_LT(ContrastRatio(shown, c.Ground), c.Ratio + 0.1);
    }
}

TEST(ReadableOn, AGroundNeitherEndReadsOnGivesTheBetterEnd) {
    // Mid grey: white stands 3.9:1 against it, black 5.3:1; neither reaches 7.
    const QColor ground(0x77, 0x77, 0x77);
    EXPECT_EQ(ReadableOn(QColor(0x70, 0x70, 0x90), ground, 7.0), QColor(Qt::black));
}

} // namespace
} // namespace zorvak
