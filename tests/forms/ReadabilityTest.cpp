// Every text of every window reads on what it is drawn on, in the light
// palette and under a dark desktop palette: at least 4.5:1 by the
// accessibility guidelines' contrast. The texts are found by walking each
// window's widgets and measured in the pixels the window draws: for each
// palette role a widget writes in, the window drawn with that role made
// see-through shows what lies beneath those pixels.
#include "controls/Gauges.h"
#include "formats/FormatImages.h"
#include "forms/Buildpak.h"
#include "forms/Genabout.h"
#include "forms/Preview.h"
#include "forms/SelectMatching.h"
#include "forms/ZorvHelp.h"
#include "framework/ui/Colors.h"
#include "support/MainWindowTest.h"
#include "support/Palettes.h"
#include "support/WaveImage.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorvak {
namespace {

namespace fs = std::filesystem;

constexpr double kLeastContrast = 4.5;

// The roles texts are written in.
const std::pair<QPalette::ColorRole, const char*> kTextRoles[] = {
    {QPalette::WindowText, "WindowText"},
    {QPalette::ButtonText, "ButtonText"},
    {QPalette::Text, "Text"},
    {QPalette::HighlightedText, "HighlightedText"},
    {QPalette::PlaceholderText, "PlaceholderText"},
    {QPalette::BrightText, "BrightText"},
    {QPalette::Link, "Link"},
    {QPalette::ToolTipText, "ToolTipText"},
};

// A text's lowest contrast over its pixels, and where it is.
struct TMeasured {
    std::string Where;
    double Ratio = 21;
};

std::string Describe(const QWidget* w) {
    std::string name = w->metaObject()->className();
    if (!w->objectName().isEmpty())
        name += " " + w->objectName().toStdString();
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(w))
        text = label->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        text = button->text();
    else if (const auto* box = qobject_cast<const QGroupBox*>(w))
        text = box->title();
    if (!text.isEmpty())
        name += " \"" + text.left(30).toStdString() + "\"";
    return name;
}

QImage Grab(QWidget* window, const QRect& area) {
    return window->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
}

// The lowest contrast of colour against the ground of the pixels that
// differ between drawn and ground.
std::optional<double> LowestContrast(const QImage& drawn, const QImage& ground,
                                     const std::function<QColor(int, int)>& colourAt) {
    std::optional<double> lowest;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (drawn.pixel(x, y) != ground.pixel(x, y)) {
                const double ratio = ContrastRatio(colourAt(x, y), ground.pixelColor(x, y));
                lowest = std::min(lowest.value_or(ratio), ratio);
            }
    return lowest;
}

// The palette texts of one widget: each role it writes in, against what the
// window shows beneath. Descendants before their ancestors, each left with
// a palette of its own afterwards, so that a text is measured once, at the
// widget that draws it.
void MeasureRoles(QWidget* window, QWidget* w, std::vector<TMeasured>& out) {
    const QRect area(w->mapTo(window, QPoint(0, 0)), w->size());
    const QPalette::ColorGroup group = w->isActiveWindow() ? QPalette::Active : QPalette::Inactive;
    const QPalette own = w->palette();
    for (const auto& [role, roleName] : kTextRoles) {
        const QColor colour = own.color(group, role);
        if (colour.alpha() == 0)
            continue;
        const QImage drawn = Grab(window, area);
        QPalette hidden = own;
        for (const auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            hidden.setColor(g, role, Qt::transparent);
        w->setPalette(hidden);
        const QImage ground = Grab(window, area);
        w->setPalette(own);
        if (const auto lowest = LowestContrast(drawn, ground, [&](int, int) { return colour; }))
            out.push_back({Describe(w) + " " + roleName, *lowest});
    }
    // Its own palette in full from now on: hiding a role of an ancestor
    // must not hide this widget's texts again.
    QPalette kept = own;
    kept.setResolveMask(~QPalette::ResolveMask(0));
    w->setPalette(kept);
}

// The gauge's percentage is laid on by XOR, in no palette's colour: its
// pixels against the picture without it.
void MeasureGauge(TGauge* gauge, std::vector<TMeasured>& out) {
    TGaugeLook look = gauge->Look();
    if (!look.showText)
        return;
    const QImage drawn = RenderGauge(look);
    look.showText = false;
    const QImage ground = RenderGauge(look);
    if (const auto lowest =
            LowestContrast(drawn, ground, [&](int x, int y) { return drawn.pixelColor(x, y); }))
        out.push_back({Describe(gauge) + " percentage", *lowest});
}

// A rich text's runs in their own colours, on their own or the view's ground.
void MeasureDocument(QTextEdit* view, std::vector<TMeasured>& out) {
    const QPalette palette = view->palette();
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.text().trimmed().isEmpty())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            const QColor text = format.foreground().style() == Qt::NoBrush
                                    ? palette.color(QPalette::Text)
                                    : format.foreground().color();
            const QColor ground = format.background().style() == Qt::NoBrush
                                      ? palette.color(QPalette::Base)
                                      : format.background().color();
            out.push_back({Describe(view) + " \"" + fragment.text().left(30).toStdString() + "\"",
                           ContrastRatio(text, ground)});
        }
}

std::vector<TMeasured> MeasureTexts(QWidget* window) {
    QApplication::processEvents();
    std::vector<TMeasured> out;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    std::reverse(widgets.begin(), widgets.end());
    widgets.append(window);
    for (QWidget* w : widgets) {
        // Other windows are measured on their own; a disabled control's
        // greyed text need not stand out.
        if ((w != window && w->isWindow()) || !w->isVisibleTo(window) || !w->isEnabled())
            continue;
        if (auto* gauge = qobject_cast<TGauge*>(w))
            MeasureGauge(gauge, out);
        if (auto* view = qobject_cast<QTextEdit*>(w))
            MeasureDocument(view, out);
        MeasureRoles(window, w, out);
    }
    return out;
}

// The texts whose colours stand below 4.5:1 by design, even in the light
// palette the windows were drawn in: they are kept, and must not sink lower.
// Each applies to the texts whose description ends so.
struct TKnownLow {
    const char* WhereEnds;
    double AtLeast;
};
const TKnownLow kDesignedLow[] = {
    // "Done !" in white on the gauge's red.
    {"\"Done !\" WindowText", 3.99},
    // The percentage over the red fill: white XOR red is cyan on red.
    {"TGauge percentage", 3.18},
    // A selected row: the toolkit's white on its blue, #308CC6, a shade
    // lighter where the style shades the selection.
    {" HighlightedText", 3.5},
};

// The main window with an archive open, and the other windows beside it.
class TWindowsTest : public test::TMainWindowTest {
protected:
    // Every text of window reads, but for the design's own known ones.
    void ExpectReadable(QWidget* window, const std::string& title) {
        const std::vector<TMeasured> texts = MeasureTexts(window);
        EXPECT_FALSE(texts.empty()) << title;
        for (const TMeasured& t : texts) {
            double least = kLeastContrast;
            for (const TKnownLow& known : kDesignedLow)
                if (t.Where.ends_with(known.WhereEnds))
                    least = known.AtLeast;
            EXPECT_GE(t.Ratio, least) << title << ": " << t.Where;
        }
    }

    // An archive of every kind the main window and the preview show: a
    // sound with a loop, a picture the preview has no palette for, text,
    // bytes, a container of pictures.
    void OpenArchive() {
        Open({{"gfx.wad",
               test::ToString(test::MakeWad2({{"face", 0x42, test::MakeLmp(2, 2, {1, 2, 3, 255})},
                                              {"back", 0x42, test::MakeLmp(1, 1, {4})}}))},
              {"gfx/test.lmp", std::string("\x02\0\0\0\x01\0\0\0\x05\x09", 10)},
              {"maps/blob.bin", std::string(300, '\x01')},
              {"readme.txt", "Hello\nSecond line\n"},
              {"sound/beep.wav",
               test::ToString(test::MakeRiffWave({test::FormatChunk(1, 1, 11025, 8),
                                                  test::Chunk("data", test::SawPcm8(400)),
                                                  test::CueChunk(100)}))}});
    }
};

enum class TScheme { Light, Dark };

class Readability : public TWindowsTest, public ::testing::WithParamInterface<TScheme> {
protected:
    Readability() {
        if (GetParam() == TScheme::Dark)
            desktop_.emplace(test::DarkDesktopPalette());
    }

    std::optional<test::TDesktopPalette> desktop_;
};

TEST_P(Readability, MainWindowWithAnArchiveOpen) {
    OpenArchive();
    form.show();
    form.PakList->setCurrentRow(4);
    form.ExGauge->SetProgress(42);
    ExpectReadable(&form, "main window");
    // The end of a run: "Done !" over the full gauge.
    form.ExGauge->SetProgress(100);
    form.LDone->show();
    ExpectReadable(&form, "main window, done");
}

TEST_P(Readability, BuildDialogWithItsFilesListed) {
    // The list's directory becomes the current one; put back after (a test
    // before may have left one that has gone).
    std::error_code ec;
    const fs::path saved = fs::current_path(ec);
    test::WriteFile(dir / "tree/maps/e1m1.bsp", "map");
    test::WriteFile(dir / "tree/readme.txt", "text");
    TBuildPakDialog dialog;
    dialog.DirList->SetDirectory(dir / "tree");
    dialog.BuildPAKFile();
    dialog.show();
    ExpectReadable(&dialog, "build dialog");
    fs::current_path(ec ? fs::temp_directory_path() : saved);
}

TEST_P(Readability, AboutBox) {
    TAboutBox box;
    box.show();
    ExpectReadable(&box, "about box");
}

TEST_P(Readability, HelpWindow) {
    const TProgramFileSource previous =
        SetProgramFileSource([] { return fs::path(ZORVAK_HELP_SOURCE).parent_path() / "zorvak"; });
    THelpForm help(nullptr);
    help.show();
    ExpectReadable(&help, "help window");
    SetProgramFileSource(previous);
}

TEST_P(Readability, PreviewOfEachKind) {
    OpenArchive();
    form.PreviewEntry1->trigger();
    ASSERT_NE(form.Preview, nullptr);
    const char* kinds[] = {"container", "picture with a notice", "bytes", "text",
                           "sound with a loop"};
    for (int row = 0; row < 5; ++row) {
        form.PakList->setCurrentRow(row);
        ExpectReadable(form.Preview, std::string("preview of ") + kinds[row]);
    }
}

TEST_P(Readability, SelectMatchingDialog) {
    OpenArchive();
    form.SelectMatching1->trigger();
    ASSERT_NE(form.SelectMatchingDialog, nullptr);
    ExpectReadable(form.SelectMatchingDialog, "select matching");
}

using DesktopTurningDark = TWindowsTest;

// The original windows keep the colours they were drawn in when the desktop
// turns dark, while they are open: pixel for pixel what the light palette
// shows.
TEST_F(DesktopTurningDark, TheOriginalWindowsLookTheSame) {
    OpenArchive();
    form.show();
    form.PakList->setCurrentRow(4);
    form.ExGauge->SetProgress(42);
    TBuildPakDialog dialog;
    dialog.show();
    TAboutBox box;
    box.show();
    const TProgramFileSource previous =
        SetProgramFileSource([] { return fs::path(ZORVAK_HELP_SOURCE).parent_path() / "zorvak"; });
    THelpForm help(nullptr);
    help.show();
    SetProgramFileSource(previous);
    QApplication::processEvents();
    const std::pair<QWidget*, const char*> windows[] = {
        {&form, "main window"}, {&dialog, "build dialog"}, {&box, "about box"}, {&help, "help"}};
    std::vector<QImage> light;
    for (const auto& [window, title] : windows)
        light.push_back(window->grab().toImage());
    const test::TDesktopPalette dark(test::DarkDesktopPalette());
    QApplication::processEvents();
    for (std::size_t i = 0; i < std::size(windows); ++i)
        EXPECT_EQ(windows[i].first->grab().toImage(), light[i]) << windows[i].second;
}

// The preview, open when the desktop turns dark, follows it: its notice is
// coloured anew for the dark ground.
TEST_F(DesktopTurningDark, ThePreviewFollowsAndStaysReadable) {
    OpenArchive();
    form.PreviewEntry1->trigger();
    ASSERT_NE(form.Preview, nullptr);
    form.PakList->setCurrentRow(1);
    ASSERT_FALSE(form.Preview->NoticeLabel->isHidden());
    const test::TDesktopPalette dark(test::DarkDesktopPalette());
    QApplication::processEvents();
    ExpectReadable(form.Preview, "preview of a picture with a notice");
}

INSTANTIATE_TEST_SUITE_P(Palettes, Readability, ::testing::Values(TScheme::Light, TScheme::Dark),
                         [](const auto& info) {
                             return info.param == TScheme::Light ? std::string("Light")
                                                                 : std::string("Dark");
                         });

} // namespace
} // namespace zorvak
