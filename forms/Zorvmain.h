// The main window: the index of the open archive, the list of its entries,
// and the commands that extract, play and build.
#pragma once

#include "archive/PakNames.h"
#include "archive/PakReader.h"
#include "controls/PakListBox.h"
#include "forms/RunWindow.h"
#include "framework/Files.h"
#include "framework/ui/Dialogs.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <iosfwd>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QListView;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

namespace zorvak {

// The index's positions or lengths as the decimal texts the window keeps,
// each made when asked for from the index itself.
class TDecimalList {
public:
    enum TField { dfPositions, dfLengths };
    TDecimalList(const TPakEntries& entries, TField field) : entries_(entries), field_(field) {}

    qsizetype size() const { return static_cast<qsizetype>(entries_.size()); }
    // The decimal text of item i; throws std::out_of_range past the end.
    QString at(qsizetype i) const { return QString::number(Value(i)); }
    std::int64_t Value(qsizetype i) const {
        const TPakEntry e = entries_.at(static_cast<std::size_t>(i));
        return field_ == dfPositions ? e.FilePos : e.FileLength;
    }
    QStringList ToStringList() const;
    bool operator==(const QStringList& texts) const { return ToStringList() == texts; }
    friend void PrintTo(const TDecimalList& list, std::ostream* out);

private:
    const TPakEntries& entries_;
    TField field_;
};

class TEditRun;
class TExtractionRun;
class TGauge;
class TWavePlayer;
class TVelAboutBox;
class TSelectMatchingDialog;
class TPreviewForm;
struct TPreviewArchive;

// The runs it starts see it as the window they run in.
class TZorvakForm : public QMainWindow, private TRunWindow {
    Q_OBJECT

public:
    explicit TZorvakForm(QWidget* parent = nullptr);
    ~TZorvakForm() override;

    // Event handlers; each runs through the application's guard when raised
    // by its control, and may be called directly by tests.
    void FormCreate();
    void FormDestroy();
    void OpenPakFile1Click(QObject* sender);
    // What Open Pak File does once a file is chosen: the signature test ("Not
    // a valid PAK file", the earlier archive staying), the index, the caption
    // and the buttons. Also for a file named at start-up or dropped.
    void OpenArchive(const QString& path) override;
    void BuildIndex();
    void PakListClick(QObject* sender);
    void PakListDblClick(QObject* sender);
    void ButtonPlayClick(QObject* sender);
    void ButtonExtractAllClick(QObject* sender);
    void ExtractFile(const std::string& name);
    void ButtonBuildClick(QObject* sender);
    void PreviewEntry1Click(QObject* sender);
    void SelectMatching1Click(QObject* sender);
    // File, Extract To... and Extract All To...: a folder chosen, then the
    // run of Extract or Extract All into it; its failures name their path.
    void ExtractTo1Click(QObject* sender);
    // Edit: Add Files..., Add Folder..., Delete, Rename... on the open archive.
    void AddFiles1Click(QObject* sender);
    void AddFolder1Click(QObject* sender);
    void Delete1Click(QObject* sender);
    void Rename1Click(QObject* sender);
    void Compact1Click(QObject* sender);
    // Edit, Undo and Redo: the window's edits of the open archive since it
    // was opened, one at a time (TEditRun).
    void Undo1Click(QObject* sender);
    void Redo1Click(QObject* sender);
    // What a drop of local files does: a single archive opens, anything else
    // is added to the open archive.
    void DropFiles(const QStringList& paths);
    // Extracts the selected entries for a drag out of the list, the window
    // live and the gauge moving; the files and folders to hand over, none
    // when the run failed or was cut short (TExtractionRun::ForDrag).
    QStringList ExtractForDrag();
    // After a drag out: the entries that were left out, in one box.
    void DragDone();
    void Help1Click(QObject* sender);
    void About1Click(QObject* sender);
    void Exit1Click(QObject* sender);
    // File, &1 ... &8: opens that recent archive. One that is not there any
    // more is said so and taken off the list.
    void OpenRecentArchive(const QString& path);
    // Fills the File menu's recent archives from the settings again.
    void ShowRecentArchives();

    // The index of the open archive. Names are kept as the archive's bytes in
    // PakNames (compact: one block of names); the list shows them decoded.
    QString PakPath;
    std::int32_t PakCount = 0;
    std::unique_ptr<TDecimalList> PakPositions;
    std::unique_ptr<TDecimalList> PakLengths;
    TPakEntries PakNames;
    // The archive as it was when indexed; every later read checks it.
    TFileIdentity PakIdentity;
    // Whether the whole directory was read (an edit needs all of it).
    bool PakComplete = true;
    TPakKind PakKind = TPakKind::pkQuake; // edits refuse the other kinds

    // Controls, owned by the window.
    QLabel* Label1 = nullptr;
    QLabel* Offset = nullptr;
    TPakListBox* PakList = nullptr;
    QPushButton* ButtonExtract = nullptr;
    QPushButton* ButtonExtractAll = nullptr;
    QGroupBox* ExtractBox = nullptr;
    QLabel* ExName = nullptr;
    TGauge* ExGauge = nullptr;
    QLabel* LDone = nullptr;
    QLabel* ExSize = nullptr;
    QPushButton* ButtonPlay = nullptr;
    QPushButton* ButtonBuild = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QMenu* File1 = nullptr;
    QAction* OpenPakFile1 = nullptr;
    QAction* ExtractTo1 = nullptr;
    QAction* ExtractAllTo1 = nullptr;
    QAction* Exit1 = nullptr;
    // The recent archives, most recent first, between Extract All To and
    // Exit under a separator of their own; neither while there are none.
    QList<QAction*> RecentArchive1;
    QAction* RecentSeparator = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* AddFiles1 = nullptr;
    QAction* AddFolder1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* Rename1 = nullptr;
    QAction* Compact1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QMenu* View1 = nullptr;
    QAction* PreviewEntry1 = nullptr;
    QAction* SelectMatching1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* HelpFile1 = nullptr;
    QAction* About1 = nullptr;
    TOpenDialog ODlg;
    TWavePlayer* WAVPlayer = nullptr;
    TVelAboutBox* About = nullptr;
    // Made on first use, then kept (hidden when closed) for the run.
    QPointer<TPreviewForm> Preview;
    QPointer<TSelectMatchingDialog> SelectMatchingDialog;
    // The index as the preview reads it.
    TPreviewArchive PreviewSource() const;

    // Whether a run or an edit of this window holds the archive open now.
    bool HoldsArchive() const;

    // Index of the entry the list reports as current, or -1.
    int CurrentIndex() const;
    // Whether row is selected in the list now.
    bool RowSelected(int row) override;
    // How often long work handles events; 0 for every step (tests).
    void SetPumpInterval(int milliseconds);

    // Index of the first entry named exactly name, else of the first whose
    // name matches ignoring ASCII case; -1 when there is none.
    int FindEntry(const std::string& name) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Space in the list opens or closes the preview.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    // Tooltips and accessible names of its controls (forms/Descriptions.cpp).
    void DescribeControls();
    void CreateMenu();
    // After the index was refilled (or emptied by a failure).
    void IndexChanged();
    // Edit, Delete acts on the selection: enabled while there is one.
    void ShowSelectionCommands();
    // Undo and Redo at the Edit menu's end, enabled and named by what they
    // would give back.
    void CreateHistoryCommands();
    void ShowHistoryCommands();
    // Runs a command beyond the classic ones, which tells an archive held
    // by another program as such; while a run or an edit of this window
    // holds the archive, a refusal stays "Cannot open file".
    void TellingArchiveInUse(const std::function<void()>& work) override;
    // Asks for the folder to store under, then adds the files, and the
    // folders with their trees, there in one edit.
    void AddUnderFolder(const QString& title, const QString& prompt, const QStringList& paths);
    // The folder of the current entry's name, with its "/"; empty for none.
    QString CurrentFolder() const;
    // The preview, while it is open, shows the current entry.
    void FollowWithPreview();
    // Makes the window active again with the keys where they were (the list
    // when nothing of the window had them).
    void KeepKeysInList();
    // A control's handler, given the control.
    using THandler = void (TZorvakForm::*)(QObject*);
    // Connects a control's signal to a handler through the guard.
    template <class Signal, class Sender>
    void Bind(Sender* sender, Signal signal, THandler handler);
    // The index as the runs read it.
    const QString& ArchivePath() const override { return PakPath; }
    const TFileIdentity& ArchiveIdentity() const override { return PakIdentity; }
    const TPakEntries& Entries() const override { return PakNames; }
    TPakIndex IndexToEdit() const override;
    std::uint64_t IndexGeneration() const override { return indexGeneration_; }
    bool Closing() const override { return closing_; }
    void ShowCurrentEntry() override { PakListClick(PakList); }

    // Changes whenever the index is refilled, so long work that pumps events
    // can tell that the list it walks has gone.
    std::uint64_t indexGeneration_ = 0;
    // Name look-up tables, built on the first look-up after a refill: a run
    // over every entry of a big archive must not search the list each time.
    std::unique_ptr<TNameTable> exactNames_;
    std::unique_ptr<TNameTable> foldedNames_;
    std::uint64_t namesGeneration_ = ~std::uint64_t{0};
    bool closing_ = false;
    // The list's selection by row, read again after every change of it.
    std::vector<bool> selectedRows_;
    bool selectionStale_ = true;
    // Extract, Extract All, Extract To and a drag out; the Edit menu's
    // changes and a drop's.
    std::unique_ptr<TExtractionRun> extraction_;
    std::unique_ptr<TEditRun> edit_;
};

// The one main window of the run.
extern QPointer<TZorvakForm> ZorvakForm;

} // namespace zorvak
