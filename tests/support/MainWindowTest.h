// A main window with recorders in place of the boxes, dialogs and sound, and
// a fresh directory for its archives: the fixture of the window's tests.
#pragma once

#include "archive/PakWriter.h"
#include "forms/Zorvmain.h"
#include "support/PakImage.h"
#include "support/Recorders.h"
#include "support/SoundRecorder.h"
#include "support/TempDir.h"

#include <QAction>
#include <gtest/gtest.h>

namespace zorvak::test {

class TMainWindowTest : public ::testing::Test {
protected:
    // Writes an archive of files into the directory and opens it.
    std::filesystem::path Open(const std::vector<std::pair<std::string, std::string>>& files,
                               const std::string& name = "pak0.pak") {
        const auto path = dir / name;
        WriteFile(path, BuildPakImage(files));
        OpenPath(path);
        return path;
    }
    // Chooses path in the open dialog and runs File, Open Pak File.
    void OpenPath(const std::filesystem::path& path) {
        dialogs.Files->Answers.push_back(QString::fromStdString(path.string()));
        form.OpenPakFile1->trigger();
    }
    // The texts of the boxes shown so far.
    std::vector<QString> Texts() const {
        std::vector<QString> texts;
        for (const auto& m : dialogs.Boxes->Messages)
            texts.push_back(m.Text);
        return texts;
    }

    TRecordedDialogs dialogs;
    TRecordedSound sound;
    TTempDir dir;
    TZorvakForm form;
};

} // namespace zorvak::test
