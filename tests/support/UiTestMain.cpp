// The one QApplication of the window tests; offscreen unless told otherwise,
// so test discovery and CI run without a display. The settings live in a
// folder of the run's own, emptied before every test: no test reads what
// another left, nor the user's own.
#include "framework/ui/Application.h"
#include "framework/ui/Settings.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (std::getenv("SDL_AUDIODRIVER") == nullptr)
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    QApplication app(argc, argv);
    zorvak::SetApplicationTitle(QStringLiteral("Zorvak"));
    const QTemporaryDir settings;
    if (!settings.isValid())
        return 1;
    zorvak::SetSettingsFolder(settings.path());
    struct TFreshSettings : ::testing::EmptyTestEventListener {
        void OnTestStart(const ::testing::TestInfo&) override { zorvak::ForgetAllSettings(); }
    };
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new TFreshSettings);
    return RUN_ALL_TESTS();
}
