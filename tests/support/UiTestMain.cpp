// The one QApplication of the window tests; offscreen unless told otherwise,
// so test discovery and CI run without a display.
#include "framework/ui/Application.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (std::getenv("SDL_AUDIODRIVER") == nullptr)
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    QApplication app(argc, argv);
    zorvak::SetApplicationTitle(QStringLiteral("Zorvak"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
