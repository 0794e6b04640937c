// What the main window's long runs (an extraction, an edit) see of the
// window they run in: the controls they drive and what they ask of its index.
#pragma once

#include "archive/PakReader.h"
#include "framework/Files.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;

namespace zorvak {

class TGauge;
class TPakListBox;

// Owned by the window; a run ends at its next pump once Window is gone.
struct TRunControls {
    QWidget* Window = nullptr;
    TPakListBox* List = nullptr;
    QPushButton* Extract = nullptr;
    QPushButton* ExtractAll = nullptr;
    QGroupBox* Box = nullptr;
    QLabel* Name = nullptr;
    TGauge* Gauge = nullptr;
    QLabel* Done = nullptr;
    // Greyed while an edit runs.
    QMenu* EditMenu = nullptr;
};

// Every answer is read afresh: the events a run pumps may open another
// archive or close the window meanwhile.
class TRunWindow {
public:
    // The open archive: its path as opened, as it was when indexed, its
    // entries; and the index whole, as an edit plans against it.
    virtual const QString& ArchivePath() const = 0;
    virtual const TFileIdentity& ArchiveIdentity() const = 0;
    virtual const TPakEntries& Entries() const = 0;
    virtual TPakIndex IndexToEdit() const = 0;
    // Changes whenever the index is refilled.
    virtual std::uint64_t IndexGeneration() const = 0;
    virtual bool Closing() const = 0;
    // Index of the entry named name (exactly, else ignoring ASCII case), or -1.
    virtual int FindEntry(const std::string& name) = 0;
    virtual bool RowSelected(int row) = 0;
    // Runs work so that an archive held by another program is said to be.
    virtual void TellingArchiveInUse(const std::function<void()>& work) = 0;
    // Reads the archive at path, as File, Open Pak File does once it is chosen.
    virtual void OpenArchive(const QString& path) = 0;
    // What a click in the list shows of its current entry.
    virtual void ShowCurrentEntry() = 0;

protected:
    ~TRunWindow() = default;
};

} // namespace zorvak
