// The help window: the help file that lies beside the program, shown
// formatted (or as plain text) in a read-only, pale-yellow viewer. Created
// for one showing and destroyed when it closes.
#pragma once

#include <QDialog>
#include <QMargins>
#include <QPointer>

#include <filesystem>
#include <functional>

class QTextEdit;

namespace zorvak {

// The viewer of the help window that exists; null when none does. At most
// one help window exists at a time, so one variable serves them all.
extern QPointer<QTextEdit> HelpViewer;

// The help file's path: the program file's directory and "ZorvHelp.rtf",
// or, when none is there, the installed data directory's (share/zorvak
// beside bin/). The current directory plays no part.
std::filesystem::path HelpFilePath();

// Where HelpFilePath() takes the program file from: the running program's
// own file, unless a test puts another source in place. Returns the
// previous source, to put back afterwards.
using TProgramFileSource = std::function<std::filesystem::path()>;
TProgramFileSource SetProgramFileSource(TProgramFileSource source);

class THelpForm : public QDialog {
    Q_OBJECT
public:
    // owner: the window the help window belongs to (the main window).
    explicit THelpForm(QWidget* owner = nullptr);
    ~THelpForm() override;

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Tooltips and accessible names of its controls (forms/Descriptions.cpp).
    void DescribeControls();
    // Builds the viewer and loads the help file into it; a missing file is
    // reported in a box, one that cannot be read in the error box, and the
    // window opens all the same.
    void FormCreate();
    void FormDestroy();
    // The window's size counts its frame: when the frame comes or changes,
    // the inside gives way so that the outer size stays.
    void KeepOuterSize();

    QMargins frame_; // the frame the inside was last sized for
};

// What the main window's Help, Help File does: a fresh help window owned by
// owner, shown modally, destroyed when it closes (also when showing fails).
void RunHelpWindow(QWidget* owner);

} // namespace zorvak
