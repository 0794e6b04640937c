// On a screen of twice the density every glyph, icon and picture the
// windows draw is the one drawn for it, not the small one enlarged. The
// density is the toolkit's for the whole run, so this program runs itself
// again with QT_SCALE_FACTOR=2 for the disabled suite below.
#include "controls/Gauges.h"
#include "controls/PictureLabel.h"
#include "forms/Buildpak.h"
#include "forms/Genabout.h"
#include "resources/Pictures.h"
#include "support/MainWindowTest.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QProcess>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>

namespace zorvak {
namespace {

namespace fs = std::filesystem;

// Whether the grab shows every opaque pixel of picture at one place.
bool Shows(const QImage& grab, const QImage& picture) {
    const QImage shown = grab.convertToFormat(QImage::Format_RGB32);
    const QImage drawn = picture.convertToFormat(QImage::Format_ARGB32);
    for (int top = 0; top + drawn.height() <= shown.height(); ++top)
        for (int left = 0; left + drawn.width() <= shown.width(); ++left) {
            bool all = true;
            for (int y = 0; all && y < drawn.height(); ++y)
                for (int x = 0; all && x < drawn.width(); ++x) {
                    const QRgb p = drawn.pixel(x, y);
                    all = qAlpha(p) < 255 ||
                          (shown.pixel(left + x, top + y) & 0xFFFFFF) == (p & 0xFFFFFF);
                }
            if (all)
                return true;
        }
    return false;
}

QImage Picture(const char* name) {
    InitPictures();
    return QImage(DoubleDensityPath(QStringLiteral(":/zorvak/%1.png").arg(QLatin1String(name))));
}

class DISABLED_AtTwiceTheDensity : public test::TMainWindowTest {};

TEST_F(DISABLED_AtTwiceTheDensity, EveryPictureIsTheOneDrawnForIt) {
    ASSERT_EQ(form.devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2";
    Open({{"sound/a.wav", "x"}, {"b.txt", "y"}});
    form.show();
    // Play greyed: the current entry is no sound.
    form.PakList->setCurrentRow(1);
    ASSERT_FALSE(form.ButtonPlay->isEnabled());
    ASSERT_TRUE(form.ButtonExtractAll->isEnabled());
    const fs::path tree = dir / "tree";
    fs::create_directories(tree / "below");
    TBuildPakDialog dialog;
    dialog.SetVolumeSource([&] {
        return std::vector<TVolume>{{tree, "/dev/a", "ext4", "", TVolumeKind::vkFixed}};
    });
    dialog.DirList->SetDirectory(tree);
    dialog.show();
    TAboutBox box;
    box.show();
    QApplication::processEvents();

    struct TCase {
        const char* Where;
        QWidget* Widget;
        const char* Picture;
    };
    const TCase cases[] = {
        {"Extract All", form.ButtonExtractAll, "extractall"},
        {"Play, disabled", form.ButtonPlay, "play-disabled"},
        {"Build PAK", form.ButtonBuild, "build"},
        {"the program's picture", form.Image1, "icon32"},
        {"the dialog's Build PAK", dialog.ButtonOk, "dialog-build"},
        {"the dialog's Close", dialog.ButtonClose, "dialog-close"},
        {"a level above", dialog.DirList, "folder-open"},
        {"a folder below", dialog.DirList, "folder-closed"},
        {"the drive", dialog.DriveComboBox1, "drive-fixed"},
        {"the about box's icon", box.ProgIcon1, "icon32"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Where);
        const QImage grab = c.Widget->grab().toImage();
        EXPECT_EQ(grab.devicePixelRatio(), 2.0);
        EXPECT_TRUE(Shows(grab, Picture(c.Picture)));
    }
    // The gauge's picture is drawn at the screen's density.
    EXPECT_EQ(form.ExGauge->Render().size(), form.ExGauge->size() * 2);
    EXPECT_EQ(form.ExGauge->Render().devicePixelRatio(), 2.0);
}

TEST(TwiceDensity, TheWindowsShowThePicturesDrawnForIt) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=DISABLED_AtTwiceTheDensity.*")});
    ASSERT_TRUE(child.waitForFinished(-1));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test."))) << output.toStdString();
}

} // namespace
} // namespace zorvak
