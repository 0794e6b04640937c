// The preview window: the main window's current entry shown as what it is
// (text, pictures, a sound, or its bytes), following the list's caret while
// it is open. Non-modal; one for the run, hidden when closed.
#pragma once

#include "archive/PakReader.h"
#include "formats/EntryKind.h"
#include "formats/WaveInfo.h"
#include "forms/PreviewContent.h"
#include "framework/Files.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;
class QStackedWidget;

namespace zorvak {

class THexView;
class TPictureView;
class TScenePage;
class TTextView;
class TWaveformView;
class TWavePlayer;

// What the preview reads entries from: the main window's index as it stands.
struct TPreviewArchive {
    QString Path;
    TFileIdentity Identity; // the archive as indexed; a read of another is refused
    const TPakEntries* Entries = nullptr;
    std::uint64_t Generation = 0; // changes whenever the index is refilled
};

// The page of the preview that shows the entry (or the chosen part of it).
enum class TPreviewPage { ppMessage, ppText, ppPicture, ppSound, ppHex, ppScene };

class TPreviewForm : public QWidget {
    Q_OBJECT

public:
    // owner: the main window; player: its wave player, which Play plays through.
    TPreviewForm(QWidget* owner, TWavePlayer* player);
    ~TPreviewForm() override;

    // Whether the owner's own run holds the archive now: a refused open is
    // then no other program's doing, and not said as such.
    std::function<bool()> HeldByOwner;

    // Shows entry row of archive (none for a row outside the index). The
    // entry is read once, without sharing the archive and only while it is
    // the one indexed; showing the entry already shown reads nothing. A read
    // refused shows its reason in the window. Never throws a TFailure.
    void ShowEntry(const TPreviewArchive& archive, int row);
    // Shows part i of the entry's list (a lump, a texture, a skin, a frame).
    void ShowPart(int i);
    // Drops what was shown and read: the next ShowEntry reads again.
    void Forget();
    // Moves the window where it was when last closed, in this run or an
    // earlier one, when a screen shows its title bar there; true if so.
    bool RestorePlace();

    // Handlers of the window's controls.
    void ButtonPlayClick(QObject* sender);
    void ButtonSaveAsClick(QObject* sender);
    void ZoomBoxChange(QObject* sender);
    // Shows a model or a map in 3D (the pictures stay in the list).
    void Button3DClick(QObject* sender);

    TPreviewPage Page() const;
    // The picture shown, at its own size (null when none is).
    QImage ShownPicture() const;

    QLabel* NameLabel = nullptr;
    QLabel* KindLabel = nullptr;
    // Why the entry is shown as it is, when it is not shown as its kind, and
    // what is left out (a cut, greys for a missing palette).
    QLabel* NoticeLabel = nullptr;
    // The entry's lumps, textures, skins or frames, under their title.
    QWidget* PartPanel = nullptr;
    QLabel* PartTitle = nullptr;
    QListWidget* PartList = nullptr;
    QStackedWidget* Pages = nullptr;
    QLabel* MessageLabel = nullptr;
    TTextView* TextView = nullptr;
    QScrollArea* PictureArea = nullptr;
    TPictureView* PictureView = nullptr;
    QLabel* SoundInfo = nullptr;
    TWaveformView* Waveform = nullptr;
    THexView* HexView = nullptr;
    TScenePage* ScenePage = nullptr;
    // The picture's size and format, the text's lines, the bytes' count.
    QLabel* InfoLabel = nullptr;
    QLabel* ZoomLabel = nullptr;
    QComboBox* ZoomBox = nullptr;
    QPushButton* ButtonPlay = nullptr;
    QPushButton* ButtonSaveAs = nullptr;
    QPushButton* Button3D = nullptr;
    QPushButton* ButtonClose = nullptr;

Q_SIGNALS:
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class TSaveKind { skNothing, skPicture, skEntryBytes, skPartBytes };

    void CreateControls();
    // Tooltips and accessible names of its controls (forms/Descriptions.cpp).
    void DescribeControls();
    // The notices' brownish red, kept readable on the palette's window colour.
    void ColourNotice();
    void Reset();
    void ReadEntry(const TPreviewArchive& archive, const TPakEntry& entry);
    // Opens the archive without sharing; held by another program, it says so.
    void OpenArchive(const std::filesystem::path& path, std::optional<TLockedFile>& held) const;
    void Present();
    void ShowMessagePage(const QString& text);
    void ShowDescription();
    void ShowText();
    void ShowSound();
    void ShowToolkitPicture();
    void ShowPictures();
    void ShowPicture(const QImage& picture, const QString& info, int gridCell);
    void ShowHex(std::span<const unsigned char> bytes, const QString& reason);
    void AddNotice(const QString& line);
    void ShowNotices();
    void ApplyZoom();
    const TPreviewPalette& Palette(const TLockedFile& archive, const TPreviewArchive& from);
    QString PaletteOrigin() const;
    void SaveEntryBytes(const QString& path) const;
    // Another entry of the shown entry's archive, for a map's textures: the
    // first of the name as FirstEntryNamed finds it, at most most of its
    // first bytes, and never more than the preview reads of an entry.
    std::optional<TFoundEntry> FindEntry(std::string_view name, std::size_t most);

    TWavePlayer* player_;
    // What is shown: which entry of which index, its bytes (or their head
    // when it is longer than the preview reads), what they are.
    std::uint64_t shownGeneration_ = 0;
    int shownRow_ = -2;
    QString archivePath_;
    TFileIdentity archiveIdentity_;
    std::string entryName_;
    const TPakEntries* entries_ = nullptr; // the index the entry is of
    // While the parts are listed, the archive is opened once for all the
    // entries they look up.
    bool listing_ = false;
    std::optional<TLockedFile> listingArchive_;
    std::int64_t entryPos_ = 0;
    std::int64_t entryLength_ = 0;
    // How the entry is coded (a ZIP member's method and CRC), when it is.
    std::optional<TEntryCoding> entryCoding_;
    std::vector<unsigned char> bytes_;
    bool read_ = false;
    bool cut_ = false;
    TEntryKind kind_ = TEntryKind::ekUnknown;
    TPictureSet pictures_;
    TWaveInfo wave_;
    // Lines on the entry (palette, a list cut short), and on what is shown.
    QStringList notices_;
    QString reason_;
    // The palette of the archive it was found for, looked up once per archive.
    std::optional<TPreviewPalette> palette_;
    QString paletteArchive_;
    TFileIdentity paletteIdentity_;
    TPaletteGame paletteGame_ = TPaletteGame::pgQuake;
    bool usedPalette_ = false;
    // What Save As writes: the picture shown, the entry's bytes, or a part's.
    TSaveKind save_ = TSaveKind::skNothing;
    QImage savePicture_;
    // The picture's indices and colours, when it is one of palette indices:
    // written as they are.
    std::optional<TDecodedPicture> saveIndexed_;
    std::span<const unsigned char> saveBytes_;
    QString saveName_;
};

} // namespace zorvak
