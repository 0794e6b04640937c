// The build dialog: pick a start directory and a name, press Build PAK, and
// the tree below the directory is packed into an archive lying in it.
#pragma once

#include "archive/PakBuild.h"
#include "controls/DirectoryListBox.h"
#include "framework/Volumes.h"

#include "framework/ui/FormKit.h"
#include <QAbstractListModel>
#include <QDialog>
#include <QElapsedTimer>

#include <QListWidget>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace zorvak {

// The rows of the file list: the stored names of a walk's files, shown as
// far as they have been announced. Tens of thousands of rows cost one name
// each, and only those on screen are ever turned into text.
class TFileRows : public QAbstractListModel {
public:
    explicit TFileRows(QObject* parent = nullptr);
    // Starts over with files, none of them shown yet.
    void Reset(std::shared_ptr<const std::vector<TPakBuildFile>> files);
    // Shows every file the list holds now.
    void ShowAll();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::shared_ptr<const std::vector<TPakBuildFile>> files_;
    int shown_ = 0;
};

class TBuildPakDialog : public QDialog {
    Q_OBJECT
public:
    explicit TBuildPakDialog(QWidget* parent = nullptr);
    ~TBuildPakDialog() override;

    // Shows the dialog modally; returns when it closes.
    int ShowModal();

    // Runs a whole build from DirList's directory into PAKName's archive.
    // Failures are thrown (the button's click shows them in the error box).
    void BuildPAKFile();
    // Walks start and appends a row to Files for every file to store.
    // False when the dialog was destroyed meanwhile.
    bool BuildTree(const std::filesystem::path& start);
    // PAKName's key filter: keeps "0"-"9", "A"-"Z" and "a"-"z"; any other
    // character becomes 0, which discards it.
    void PAKNameKeyPress(QObject* sender, QChar& key);
    void ButtonCloseClick(QObject* sender);
    // The drive selector chose the volume at index: DirList moves to the
    // directory last used on it, at first its root.
    void DriveComboBox1Change(int index);

    bool Building() const { return building_; }
    // The files of the last walk, each with the path it was found by; row i
    // of Files shows entry i.
    const std::vector<TPakBuildFile>& BuiltFiles() const { return *built_; }
    // Lists the volumes again (each showing does), keeping the current choice.
    void RefreshVolumes();
    // Where the volumes come from: the mounted ones unless a test says else.
    void SetVolumeSource(std::function<std::vector<TVolume>()> source);
    const std::vector<TVolume>& Volumes() const { return volumes_; }
    // Events are handled during a build at most once per interval (20 ms);
    // 0 handles them at every step.
    void SetPumpInterval(int milliseconds) { framePump_.SetInterval(milliseconds); }

    QFrame* Bevel1;
    QLabel* Label1;
    QComboBox* DriveComboBox1;
    TDirectoryListBox* DirList;
    QLabel* Label2;
    QLineEdit* PAKName;
    QPushButton* ButtonOk;
    QPushButton* ButtonClose;
    QListView* Files;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Tooltips and accessible names of its controls (forms/Descriptions.cpp).
    void DescribeControls();
    void DirListChange();
    void PAKNameChange();
    void SelectRow(std::size_t row);
    TPakBuildHooks BuildHooks(const QPointer<TBuildPakDialog>& self);
    void EndBuild();

    std::function<std::vector<TVolume>()> volumeSource_;
    std::vector<TVolume> volumes_;
    // The directory last used on each volume, by mount point.
    std::map<std::filesystem::path, std::filesystem::path> lastUsed_;
    std::shared_ptr<std::vector<TPakBuildFile>> built_;
    TFileRows* rows_;
    bool building_ = false;
    bool closePending_ = false;
    // The row a pass is on; selected when events are next handled.
    qsizetype pendingRow_ = -1;
    TFramePump framePump_;
};

// The one build dialog of the run, created hidden at start-up.
extern TBuildPakDialog* BuildPakDialog;

} // namespace zorvak
