#include "forms/Preview.h"

#include "archive/WadArchive.h"

#include "archive/PakExtract.h"
#include "archive/PakNames.h"
#include "formats/EntryScene.h"
#include "formats/Png.h"
#include "forms/PreviewScene.h"
#include "forms/PreviewViews.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/ui/Application.h"
#include "framework/ui/Colors.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/FormKit.h"
#include "framework/ui/Platform.h"
#include "framework/ui/Settings.h"
#include "framework/ui/Translations.h"
#include "sound/Waveplay.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <optional>

namespace zorvak {

namespace {

constexpr int kFormWidth = 680;
constexpr int kFormHeight = 500;
constexpr int kZoomFit = 0; // the zoom box's first item
constexpr std::size_t kSaveChunk = std::size_t{1} << 20;
// Its name in the settings, for its place and Save As's folder.
const QString kPlaceName = QStringLiteral("Preview");
const QString kSaveAsFolder = QStringLiteral("PreviewSaveAs");

QString Thousands(std::int64_t value) {
    return FormatCount(value);
}

// "1 byte", "2,048 bytes": a pattern for one thing, another for more.
QString CountOf(std::int64_t count, const char* one, const char* many) {
    return QCoreApplication::translate("zorvak::TPreviewForm", count == 1 ? one : many)
        .arg(Thousands(count));
}

QString Bytes(std::int64_t count) {
    return CountOf(count, QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 byte"),
                   QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 bytes"));
}

// How the window speaks of a list of parts: its heading, its count, and
// the page shown when it is empty.
struct TPartListTexts {
    const char* Title;
    const char* One;
    const char* Many;
    const char* Empty;
};

TPartListTexts PartListTexts(TPartList list) {
    switch (list) {
    case TPartList::plLumps:
        return {QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "Lumps"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 lump"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 lumps"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "The picture container holds no lumps.")};
    case TPartList::plTextures:
        return {QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "Textures"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 texture"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 textures"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "The map holds no textures.")};
    case TPartList::plSkins:
        return {QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "Skins"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 skin"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 skins"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "The model holds no skins.")};
    case TPartList::plFrames:
        return {QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "Frames"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 frame"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 frames"),
                QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "The sprite holds no frames.")};
    case TPartList::plNone:
        break;
    }
    return {"", "%1", "%1", ""};
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

std::string_view AsChars(std::span<const unsigned char> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string_view BaseName(std::string_view name) {
    const auto slash = name.find_last_of('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

std::string LowerExtension(std::string_view name) {
    const std::string_view base = BaseName(name);
    const auto dot = base.find_last_of('.');
    return dot == std::string_view::npos ? std::string() : AsciiLower(base.substr(dot + 1));
}

// A name any file system takes, for the save dialog to offer: the last
// level of a stored name, its odd characters (a texture's "*" or "+", any
// byte at all) made "_".
QString OfferedFileName(std::string_view name, const QString& newExtension = QString()) {
    std::string_view base = BaseName(name);
    if (!newExtension.isEmpty())
        base = base.substr(0, std::min(base.size(), base.find_last_of('.')));
    QString offered = DecodeName(base);
    for (QChar& c : offered)
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-') &&
            c != QLatin1Char('_'))
            c = QLatin1Char('_');
    if (offered.isEmpty() || offered.startsWith(QLatin1Char('.')))
        offered.prepend(QStringLiteral("entry"));
    return newExtension.isEmpty() ? offered : offered + QLatin1Char('.') + newExtension;
}

QImage ToImage(const TRgbaPicture& picture) {
    QImage image(picture.Width, picture.Height, QImage::Format_RGBA8888);
    const auto row = static_cast<std::size_t>(picture.Width) * 4;
    for (int y = 0; y < picture.Height; ++y)
        std::memcpy(image.scanLine(y), picture.Pixels.data() + row * static_cast<std::size_t>(y),
                    row);
    return image;
}

TRgbaPicture FromImage(const QImage& shown) {
    const QImage image = shown.convertToFormat(QImage::Format_RGBA8888);
    TRgbaPicture picture;
    picture.Width = image.width();
    picture.Height = image.height();
    const auto row = static_cast<std::size_t>(picture.Width) * 4;
    picture.Pixels.resize(row * static_cast<std::size_t>(picture.Height));
    for (int y = 0; y < picture.Height; ++y)
        std::memcpy(picture.Pixels.data() + row * static_cast<std::size_t>(y),
                    image.constScanLine(y), row);
    return picture;
}

QString Seconds(double seconds) {
    return FormatDecimal(seconds, 2) + QStringLiteral(" s");
}

} // namespace

TPreviewForm::TPreviewForm(QWidget* owner, TWavePlayer* player)
    : QWidget(owner, Qt::Window), player_(player) {
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(tr("Preview"));
    // Shown beside the main window without taking the keys from its list:
    // the arrow keys go on walking the archive.
    setAttribute(Qt::WA_ShowWithoutActivating);
    CreateControls();
    resize(kFormWidth, kFormHeight);
    // The size it was left at; the owner fits it to the screen.
    if (const std::optional<TWindowPlace> place = SavedWindowPlace(kPlaceName))
        resize(place->Size);
    Reset();
    DescribeControls();
}

bool TPreviewForm::RestorePlace() {
    const std::optional<TWindowPlace> place = SavedWindowPlace(kPlaceName);
    if (!place || !TitleBarReachable(QRect(place->Position, frameSize()), ScreenAreas()))
        return false;
    move(place->Position);
    return true;
}

TPreviewForm::~TPreviewForm() {
    // The controls outlive what they show while the window comes down: no
    // signal of theirs may reach it then.
    PartList->disconnect(this);
    ZoomBox->disconnect(this);
}

void TPreviewForm::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    NameLabel = new QLabel(this);
    QFont bold = NameLabel->font();
    bold.setBold(true);
    NameLabel->setFont(bold);
    NameLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    KindLabel = new QLabel(this);
    NoticeLabel = new QLabel(this);
    NoticeLabel->setWordWrap(true);
    ColourNotice();
    layout->addWidget(NameLabel);
    layout->addWidget(KindLabel);
    layout->addWidget(NoticeLabel);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    PartPanel = new QWidget(splitter);
    auto* partLayout = new QVBoxLayout(PartPanel);
    partLayout->setContentsMargins(0, 0, 0, 0);
    PartTitle = new QLabel(PartPanel);
    PartList = new QListWidget(PartPanel);
    PartList->setObjectName(QStringLiteral("PartList"));
    PartList->setUniformItemSizes(true);
    partLayout->addWidget(PartTitle);
    partLayout->addWidget(PartList);

    // In the order of TPreviewPage.
    Pages = new QStackedWidget(splitter);
    MessageLabel = new QLabel(Pages);
    MessageLabel->setAlignment(Qt::AlignCenter);
    MessageLabel->setWordWrap(true);
    Pages->addWidget(MessageLabel);
    TextView = new TTextView(Pages);
    Pages->addWidget(TextView);
    PictureArea = new QScrollArea(Pages);
    PictureArea->setAlignment(Qt::AlignCenter);
    PictureArea->setWidgetResizable(false);
    PictureView = new TPictureView;
    PictureArea->setWidget(PictureView);
    PictureArea->viewport()->installEventFilter(this);
    Pages->addWidget(PictureArea);
    auto* soundPage = new QWidget(Pages);
    auto* soundLayout = new QVBoxLayout(soundPage);
    soundLayout->setContentsMargins(0, 0, 0, 0);
    SoundInfo = new QLabel(soundPage);
    SoundInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Waveform = new TWaveformView(soundPage);
    soundLayout->addWidget(SoundInfo);
    soundLayout->addWidget(Waveform, 1);
    Pages->addWidget(soundPage);
    HexView = new THexView(Pages);
    Pages->addWidget(HexView);
    ScenePage = new TScenePage(this);
    Pages->addWidget(ScenePage);
    splitter->addWidget(PartPanel);
    splitter->addWidget(Pages);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, kFormWidth - 200});
    layout->addWidget(splitter, 1);

    auto* bottom = new QHBoxLayout;
    InfoLabel = new QLabel(this);
    ZoomLabel = new QLabel(tr("&Zoom:"), this);
    ZoomBox = new QComboBox(this);
    ZoomBox->addItem(tr("Fit"), kZoomFit);
    for (int zoom = 1; zoom <= kMaxZoom; ++zoom)
        ZoomBox->addItem(QStringLiteral("%1x").arg(zoom), zoom);
    ZoomLabel->setBuddy(ZoomBox);
    ButtonPlay = new QPushButton(tr("&Play"), this);
    ButtonSaveAs = new QPushButton(tr("Save &As..."), this);
    Button3D = new QPushButton(tr("&3D View"), this);
    Button3D->setToolTip(tr("Show the model or the map in 3D"));
    ButtonClose = new QPushButton(tr("Close"), this);
    bottom->addWidget(InfoLabel, 1);
    bottom->addWidget(ZoomLabel);
    bottom->addWidget(ZoomBox);
    bottom->addWidget(Button3D);
    bottom->addWidget(ButtonPlay);
    bottom->addWidget(ButtonSaveAs);
    bottom->addWidget(ButtonClose);
    layout->addLayout(bottom);

    connect(PartList, &QListWidget::currentRowChanged, this,
            [this](int row) { RunGuarded([&] { ShowPart(row); }); });
    connect(ZoomBox, &QComboBox::currentIndexChanged, this,
            [this] { RunGuarded([&] { ZoomBoxChange(ZoomBox); }); });
    connect(ButtonPlay, &QPushButton::clicked, this,
            [this] { RunGuarded([&] { ButtonPlayClick(ButtonPlay); }); });
    connect(Button3D, &QPushButton::clicked, this,
            [this] { RunGuarded([&] { Button3DClick(Button3D); }); });
    connect(ButtonSaveAs, &QPushButton::clicked, this,
            [this] { RunGuarded([&] { ButtonSaveAsClick(ButtonSaveAs); }); });
    connect(ButtonClose, &QPushButton::clicked, this, &QWidget::close);
}

TPreviewPage TPreviewForm::Page() const {
    return static_cast<TPreviewPage>(Pages->currentIndex());
}

QImage TPreviewForm::ShownPicture() const {
    return Page() == TPreviewPage::ppPicture ? savePicture_ : QImage();
}

void TPreviewForm::Reset() {
    // The views let go of the bytes before they do.
    HexView->SetBytes({});
    Waveform->Clear();
    ScenePage->Clear();
    PictureView->Clear();
    pictures_ = {};
    bytes_ = {};
    read_ = false;
    cut_ = false;
    kind_ = TEntryKind::ekUnknown;
    wave_ = {};
    notices_.clear();
    reason_.clear();
    usedPalette_ = false;
    save_ = TSaveKind::skNothing;
    savePicture_ = {};
    saveIndexed_.reset();
    saveBytes_ = {};
    saveName_.clear();
    {
        const QSignalBlocker blocker(PartList);
        PartList->clear();
    }
    PartPanel->hide();
    NameLabel->clear();
    KindLabel->clear();
    InfoLabel->clear();
    SoundInfo->clear();
    ZoomLabel->hide();
    ZoomBox->hide();
    ButtonPlay->hide();
    Button3D->hide();
    ButtonSaveAs->setEnabled(false);
    ShowNotices();
}

void TPreviewForm::Forget() {
    Reset();
    TextView->clear();
    shownRow_ = -2;
    ShowMessagePage(QString());
}

void TPreviewForm::ShowEntry(const TPreviewArchive& archive, int row) {
    if (archive.Entries == nullptr || row < 0 ||
        static_cast<std::size_t>(row) >= archive.Entries->size())
        row = -1;
    if (archive.Generation == shownGeneration_ && row == shownRow_)
        return;
    shownGeneration_ = archive.Generation;
    shownRow_ = row;
    Reset();
    if (row < 0) {
        setWindowTitle(tr("Preview"));
        ShowMessagePage(archive.Entries != nullptr && !archive.Entries->empty()
                            ? tr("No entry is chosen: click one in the list.")
                            : tr("No entry to show."));
        return;
    }
    const TPakEntry entry = (*archive.Entries)[static_cast<std::size_t>(row)];
    entryName_ = std::string(entry.Name);
    entryPos_ = entry.FilePos;
    entryLength_ = entry.FileLength;
    entryCoding_.reset();
    if (entry.Coding != nullptr)
        entryCoding_ = *entry.Coding;
    entries_ = archive.Entries;
    archivePath_ = archive.Path;
    archiveIdentity_ = archive.Identity;
    NameLabel->setText(DecodeName(entry.Name));
    setWindowTitle(tr("Preview - %1").arg(NameLabel->text()));
    // Walking the list meets locked and changed archives: said here, not
    // in a box for every step.
    try {
        ReadEntry(archive, entry);
    } catch (const TFailure& failure) {
        ShowMessagePage(tr("Cannot read the entry: %1.").arg(Text(failure.what())));
        return;
    } catch (const std::bad_alloc&) {
        Reset();
        ShowMessagePage(tr("Cannot read the entry: Out of memory."));
        return;
    }
    Present();
}

void TPreviewForm::OpenArchive(const std::filesystem::path& path,
                               std::optional<TLockedFile>& held) const {
    const auto open = [&] { held.emplace(path); };
    // Another program's hold is said as such; the window's own run's is not
    // another program.
    if (HeldByOwner && HeldByOwner())
        open();
    else
        TellingInUse(path, open);
}

void TPreviewForm::ReadEntry(const TPreviewArchive& archive, const TPakEntry& entry) {
    // One open per entry shown, without sharing, closed before the entry
    // is shown.
    std::optional<TLockedFile> held;
    OpenArchive(ToFsPath(archive.Path), held);
    TLockedFile& file = *held;
    CheckSameArchive(file, archive.Identity);
    CheckEntryBounds(entry, file.Size());
    cut_ = entry.FileLength > kPreviewReadLimit;
    TPakEntry piece = entry;
    if (cut_)
        piece.FileLength = kPreviewHeadBytes;
    TEntryView view = ViewEntry(entry, ReadEntryBytes(file, piece));
    bytes_ = std::move(view.Bytes);
    read_ = true;
    kind_ = view.Kind;
    if (!cut_ && UsesPalette(kind_))
        Palette(file, archive);
}

const TPreviewPalette& TPreviewForm::Palette(const TLockedFile& archive,
                                             const TPreviewArchive& from) {
    const TPaletteGame game = PaletteGameOf(kind_);
    if (!palette_ || paletteArchive_ != from.Path || paletteGame_ != game ||
        !paletteIdentity_.SameArchiveAs(from.Identity)) {
        palette_ = FindPreviewPalette(archive, *from.Entries, ToFsPath(from.Path), game);
        paletteGame_ = game;
        // A palette that could not be read just now is looked for again.
        paletteArchive_ = palette_->Final ? from.Path : QString();
        paletteIdentity_ = from.Identity;
    }
    return *palette_;
}

QString TPreviewForm::PaletteOrigin() const {
    if (!palette_ || palette_->Source == TPaletteSource::psGrey)
        return tr("in greys");
    if (palette_->Source == TPaletteSource::psBeside)
        return tr("colours of %1").arg(QString::fromLatin1(kBasePakName));
    return tr("colours of this archive");
}

void TPreviewForm::Present() {
    KindLabel->setText(Text(EntryKindTitle(kind_, entryName_, bytes_)) + QStringLiteral(", ") +
                       Bytes(entryLength_));
    save_ = TSaveKind::skEntryBytes;
    saveName_ = OfferedFileName(entryName_);
    ButtonSaveAs->setEnabled(true);
    if (cut_) {
        ShowHex(bytes_, tr("The entry is larger than the preview reads (%1 MiB): its "
                           "first %2 MiB are shown as bytes.")
                            .arg(kPreviewReadLimit >> 20)
                            .arg(kPreviewHeadBytes >> 20));
        return;
    }
    if (bytes_.empty()) {
        ShowHex(bytes_, tr("The entry is empty."));
        return;
    }
    Button3D->setVisible(HoldsScene(kind_));
    switch (kind_) {
    case TEntryKind::ekText:
        ShowText();
        return;
    case TEntryKind::ekWave:
        ShowSound();
        return;
    case TEntryKind::ekImage:
        ShowToolkitPicture();
        return;
    case TEntryKind::ekMd2:
    case TEntryKind::ekSp2:
        ShowDescription();
        return;
    case TEntryKind::ekUnknown:
        if (LooksLikeText(bytes_)) {
            KindLabel->setText(tr("Text, %1").arg(Bytes(entryLength_)));
            ShowText();
        } else {
            ShowHex(bytes_, tr("Not a text, picture or sound entry: shown as bytes."));
        }
        return;
    default:
        ShowPictures();
        return;
    }
}

void TPreviewForm::AddNotice(const QString& line) {
    notices_ << line;
    ShowNotices();
}

void TPreviewForm::ShowNotices() {
    QStringList lines = notices_;
    if (!reason_.isEmpty())
        lines << reason_;
    NoticeLabel->setText(lines.join(QLatin1Char('\n')));
    NoticeLabel->setVisible(!lines.isEmpty());
}

void TPreviewForm::ShowMessagePage(const QString& text) {
    MessageLabel->setText(text);
    InfoLabel->clear();
    ZoomLabel->hide();
    ZoomBox->hide();
    Pages->setCurrentIndex(static_cast<int>(TPreviewPage::ppMessage));
}

void TPreviewForm::ShowHex(std::span<const unsigned char> bytes, const QString& reason) {
    HexView->SetBytes(bytes);
    reason_ = reason;
    ShowNotices();
    InfoLabel->setText(Bytes(static_cast<std::int64_t>(bytes.size())));
    ZoomLabel->hide();
    ZoomBox->hide();
    Pages->setCurrentIndex(static_cast<int>(TPreviewPage::ppHex));
}

void TPreviewForm::ShowText() {
    const std::size_t shown = TextShownLength(bytes_, kPreviewTextLimit);
    const std::string_view raw = AsChars(std::span(bytes_).first(shown));
    const bool utf8 = IsValidUtf8(raw);
    QString text = DecodeName(raw);
    // Lines end as they do on any system; other control characters show
    // as their symbols rather than as nothing.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QChar& c : text)
        if (c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\t'))
            c = QChar(static_cast<char16_t>(0x2400 + c.unicode()));
    TextView->setPlainText(text);
    if (shown < bytes_.size())
        AddNotice(tr("Only the first %1 MiB of the text are shown.").arg(kPreviewTextLimit >> 20));
    // Lines as the text has them: a last line end starts no line of its own.
    const auto lines = text.count(QLatin1Char('\n')) + (text.endsWith(QLatin1Char('\n')) ? 0 : 1);
    InfoLabel->setText(CountOf(lines, QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 line"),
                               QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "%1 lines")) +
                       (utf8 ? QStringLiteral(", UTF-8") : QStringLiteral(", Latin-1")));
    Pages->setCurrentIndex(static_cast<int>(TPreviewPage::ppText));
}

void TPreviewForm::ShowDescription() {
    // Quake II's models and sprites name their pictures, kept as files of
    // their own: what they hold is told as info tells it.
    const std::vector<std::string> lines = DescribeEntry(kind_, entryName_, bytes_);
    if (lines.size() > 1 && lines[1].starts_with("Cannot read: ")) {
        // "Quake II" keeps its capital.
        const QString kind = Text(EntryKindTitle(kind_, entryName_, bytes_));
        ShowHex(bytes_,
                tr("Cannot show this %1: %2.")
                    .arg(kind, Text(lines[1].substr(std::string_view("Cannot read: ").size()))));
        return;
    }
    QString text;
    for (std::size_t i = 1; i < lines.size(); ++i)
        text += DecodeName(lines[i]).trimmed() + QLatin1Char('\n');
    TextView->setPlainText(text);
    InfoLabel->setText(Text(lines[0]));
    Pages->setCurrentIndex(static_cast<int>(TPreviewPage::ppText));
}

void TPreviewForm::ShowSound() {
    try {
        wave_ = ReadWaveInfo(bytes_);
    } catch (const TFailure& failure) {
        ShowHex(bytes_, tr("Cannot read this sound: %1.").arg(Text(failure.what())));
        return;
    }
    QString loop = tr("none (plays once)");
    if (wave_.LoopStart)
        loop = tr("frame %1 (%2)")
                   .arg(Thousands(*wave_.LoopStart),
                        Seconds(static_cast<double>(*wave_.LoopStart) / wave_.SampleRate));
    SoundInfo->setText(tr("Rate: %1 Hz    Bits: %2    Channels: %3    Format: %4\n"
                          "Length: %5 (%6)    Loop start: %7")
                           .arg(Thousands(wave_.SampleRate))
                           .arg(wave_.BitsPerSample)
                           .arg(wave_.Channels)
                           .arg(Text(WaveFormatName(wave_.FormatTag)))
                           .arg(Seconds(wave_.Seconds))
                           .arg((wave_.SampleFrames == 1 ? tr("%1 frame", "of a sound")
                                                         : tr("%1 frames", "of a sound"))
                                    .arg(Thousands(static_cast<std::int64_t>(wave_.SampleFrames))))
                           .arg(loop));
    Pages->setCurrentIndex(static_cast<int>(TPreviewPage::ppSound));
    Waveform->SetSound(bytes_, wave_);
    InfoLabel->setText(Waveform->Problem());
    ButtonPlay->setVisible(player_ != nullptr);
    ButtonPlay->setEnabled(player_ != nullptr);
}

void TPreviewForm::ShowToolkitPicture() {
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes_.data()),
                                              static_cast<qsizetype>(bytes_.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    const std::string extension = LowerExtension(entryName_);
    // The extension is a hint: a reader that knows the bytes better wins.
    QImageReader reader(&buffer, QByteArray::fromStdString(extension));
    reader.setAllocationLimit(static_cast<int>(kMaxPictureRgbaBytes >> 20));
    const QSize size = reader.size();
    try {
        if (size.isValid())
            (void)CheckPictureSize(size.width(), size.height());
    } catch (const TFailure& failure) {
        ShowHex(bytes_, tr("Cannot show this picture: %1.").arg(Text(failure.what())));
        return;
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        const QString upper = QString::fromStdString(AsciiUpper(extension));
        if (!QImageReader::supportedImageFormats().contains(QByteArray::fromStdString(extension))) {
            ShowHex(bytes_,
                    tr("No reader for %1 pictures is installed: shown as bytes.").arg(upper));
            return;
        }
        QString why = reader.errorString();
        // Most TGA files of the time have no footer, which the toolkit's
        // reader insists on; said, so nobody takes the file for damaged.
        constexpr std::string_view kTgaFooter = "TRUEVISION-XFILE";
        const std::string_view all = AsChars(bytes_);
        if (extension == "tga" &&
            (all.size() < 18 || all.substr(all.size() - 18, kTgaFooter.size()) != kTgaFooter))
            why = tr("the toolkit reads only TGA 2.0 files, which end in their footer");
        ShowHex(bytes_, tr("Cannot read this %1 picture: %2.").arg(upper, why));
        return;
    }
    KindLabel->setText(
        tr("%1 picture, %2")
            .arg(QString::fromLatin1(reader.format()).toUpper(), Bytes(entryLength_)));
    save_ = TSaveKind::skPicture;
    savePicture_ = image;
    saveName_ = OfferedFileName(entryName_, QStringLiteral("png"));
    ShowPicture(image,
                QStringLiteral("%1 x %2, %3")
                    .arg(image.width())
                    .arg(image.height())
                    .arg(QString::fromLatin1(reader.format()).toUpper()),
                0);
}

void TPreviewForm::ShowPictures() {
    const TPalette colours = palette_ && UsesPalette(kind_) ? palette_->Colours : GreyPalette();
    try {
        struct TListing {
            TPreviewForm* Form;
            ~TListing() {
                Form->listing_ = false;
                Form->listingArchive_.reset();
            }
        } listing{this};
        listing_ = true;
        pictures_ = PicturesOf(
            kind_, entryName_, bytes_, colours,
            [this](std::string_view name, std::size_t most) { return FindEntry(name, most); });
    } catch (const TFailure& failure) {
        QString kind = Text(EntryKindTitle(kind_, entryName_, bytes_));
        const QString sentence = tr("Cannot show this %1: %2.");
        // English runs the kind into the sentence, "Quake II" keeping its
        // capital; a translation names it as its title (German capitalises
        // every noun).
        if (sentence == QLatin1String("Cannot show this %1: %2.") &&
            !kind.startsWith(QStringLiteral("Quake")))
            kind[0] = kind[0].toLower();
        ShowHex(bytes_, sentence.arg(kind, Text(failure.what())));
        return;
    }
    // Half-Life's pictures carry their colours: the palette is spoken of
    // only where a picture is drawn in it.
    usedPalette_ = std::any_of(pictures_.Parts.begin(), pictures_.Parts.end(),
                               [](const TPicturePart& part) { return part.InPalette; });
    if (usedPalette_ && palette_ && palette_->Source == TPaletteSource::psGrey)
        AddNotice(Text(palette_->Note) + QLatin1Char('.'));
    if (pictures_.List == TPartList::plNone) {
        ShowPart(0);
        return;
    }
    const TPartListTexts words = PartListTexts(pictures_.List);
    KindLabel->setText(
        KindLabel->text() + QStringLiteral(", ") +
        CountOf(static_cast<std::int64_t>(pictures_.TotalParts), words.One, words.Many));
    PartTitle->setText(tr(words.Title));
    {
        const QSignalBlocker blocker(PartList);
        for (const TPicturePart& part : pictures_.Parts)
            PartList->addItem(DecodeName(part.Name) +
                              (part.Detail.empty()
                                   ? QString()
                                   : QStringLiteral("  (") + Text(part.Detail) + QLatin1Char(')')));
    }
    PartPanel->show();
    if (pictures_.TotalParts > pictures_.Parts.size())
        AddNotice(tr("Only the first %1 of %2 are listed.")
                      .arg(Thousands(static_cast<std::int64_t>(pictures_.Parts.size())))
                      .arg(Thousands(static_cast<std::int64_t>(pictures_.TotalParts))));
    if (pictures_.Parts.empty()) {
        ShowMessagePage(tr(words.Empty));
        return;
    }
    {
        const QSignalBlocker blocker(PartList);
        PartList->setCurrentRow(0);
    }
    ShowPart(0);
}

void TPreviewForm::ShowPart(int i) {
    if (i < 0 || static_cast<std::size_t>(i) >= pictures_.Parts.size())
        return;
    const TPicturePart& part = pictures_.Parts[static_cast<std::size_t>(i)];
    const bool listed = pictures_.List != TPartList::plNone;
    reason_.clear();
    ShowNotices();
    // Unless the part says otherwise, Save As writes the entry.
    save_ = TSaveKind::skEntryBytes;
    saveName_ = OfferedFileName(entryName_);
    saveBytes_ = {};
    savePicture_ = {};
    saveIndexed_.reset();
    if (!part.Decode) {
        const QString problem = Text(part.Problem) + QLatin1Char('.');
        if (part.Bytes.empty()) {
            reason_ = problem;
            ShowNotices();
            ShowMessagePage(problem);
            return;
        }
        save_ = TSaveKind::skPartBytes;
        saveBytes_ = part.Bytes;
        saveName_ = OfferedFileName(part.Name);
        ShowHex(part.Bytes, problem);
        return;
    }
    TDecodedPicture picture;
    try {
        picture = part.Decode();
    } catch (const TFailure& failure) {
        if (!listed) {
            ShowHex(bytes_, tr("Cannot show this picture: %1.").arg(Text(failure.what())));
        } else {
            reason_ = tr("Cannot show %1: %2.").arg(DecodeName(part.Name), Text(failure.what()));
            ShowNotices();
            ShowMessagePage(reason_);
        }
        return;
    }
    const QImage image =
        ToImage(picture.Indexed ? ToRgba(picture.Indices, picture.Colours, picture.Transparent)
                                : picture.Rgba);
    save_ = TSaveKind::skPicture;
    savePicture_ = image;
    if (picture.Indexed)
        saveIndexed_ = std::move(picture);
    saveName_ = OfferedFileName(listed ? part.Name + ".png" : entryName_, QStringLiteral("png"));
    ShowPicture(image,
                QStringLiteral("%1 x %2, %3")
                        .arg(image.width())
                        .arg(image.height())
                        .arg(Text(part.Format)) +
                    (part.InPalette ? QStringLiteral(", ") + PaletteOrigin() : QString()),
                part.GridCell);
}

void TPreviewForm::ShowPicture(const QImage& picture, const QString& info, int gridCell) {
    PictureView->SetPicture(picture, gridCell);
    Pages->setCurrentIndex(static_cast<int>(TPreviewPage::ppPicture));
    ZoomLabel->show();
    ZoomBox->show();
    InfoLabel->setText(info);
    ApplyZoom();
}

void TPreviewForm::ApplyZoom() {
    const int chosen = ZoomBox->currentData().toInt();
    const int zoom =
        chosen == kZoomFit ? PictureView->FitZoom(PictureArea->viewport()->size()) : chosen;
    PictureView->SetZoom(zoom);
    ZoomBox->setItemText(0, tr("Fit (%1x)").arg(PictureView->Zoom()));
}

void TPreviewForm::ZoomBoxChange(QObject*) {
    ApplyZoom();
}

bool TPreviewForm::eventFilter(QObject* watched, QEvent* event) {
    // At "Fit" the zoom follows the room the picture has.
    if (watched == PictureArea->viewport() && event->type() == QEvent::Resize &&
        ZoomBox->currentData().toInt() == kZoomFit && !PictureView->Picture().isNull())
        ApplyZoom();
    return QWidget::eventFilter(watched, event);
}

void TPreviewForm::changeEvent(QEvent* event) {
    // The desktop's palette changed: so does the ground the notices are on.
    if (event->type() == QEvent::PaletteChange)
        ColourNotice();
    QWidget::changeEvent(event);
}

void TPreviewForm::ColourNotice() {
    // Only the text's colour of its own: the rest follows the window.
    QPalette notice;
    notice.setColor(QPalette::WindowText,
                    ReadableOn(QColor(0x80, 0x20, 0x00), palette().color(QPalette::Window), 4.5));
    NoticeLabel->setPalette(notice);
}

void TPreviewForm::ButtonPlayClick(QObject*) {
    if (player_ == nullptr || Page() != TPreviewPage::ppSound)
        return;
    // What is heard is what is shown: the entry as it was read for it.
    player_->Wave().LoadFromBytes(bytes_);
    player_->Play();
}

void TPreviewForm::ButtonSaveAsClick(QObject*) {
    if (save_ == TSaveKind::skNothing)
        return;
    const bool picture = save_ == TSaveKind::skPicture;
    TSaveFileRequest request;
    request.Title = tr("Save As");
    request.Filters = {picture ? tr("PNG pictures (*.png)") : tr("All files (*)")};
    request.DefaultSuffix = picture ? QStringLiteral("png") : QString();
    QString folder = LastFolder(kSaveAsFolder);
    if (folder.isEmpty())
        folder = FromFsPath(ToFsPath(archivePath_).parent_path());
    request.InitialFile = QDir(folder).filePath(saveName_);
    const std::optional<QString> chosen = FileDialogs().GetSaveFileName(this, request);
    if (!chosen)
        return;
    RememberFolder(kSaveAsFolder, QFileInfo(*chosen).absolutePath());
    const std::filesystem::path target = ToFsPath(*chosen);
    // Written beside and renamed over: the name would then be the archive's
    // no more, and its bytes gone.
    TFileIdentity there;
    if (IdentityAt(target, there, true) && there.SameFileAs(archiveIdentity_))
        throw TFailure(
            ArgBytes(tr("Entry %1 would overwrite the archive it is read from"), {entryName_}));
    switch (save_) {
    case TSaveKind::skPicture: {
        // A picture of palette indices keeps them; any other as it is seen.
        const std::vector<unsigned char> png =
            saveIndexed_ ? EncodePng(*saveIndexed_) : EncodePng(FromImage(savePicture_));
        TAtomicFile out(target);
        out.Write(png.data(), png.size());
        out.Commit();
        break;
    }
    case TSaveKind::skPartBytes: {
        TAtomicFile out(target);
        out.Write(saveBytes_.data(), saveBytes_.size());
        out.Commit();
        break;
    }
    case TSaveKind::skEntryBytes:
        SaveEntryBytes(*chosen);
        break;
    case TSaveKind::skNothing:
        break;
    }
}

void TPreviewForm::Button3DClick(QObject*) {
    if (!read_ || cut_ || !HoldsScene(kind_))
        return;
    const TPalette colours = palette_ ? palette_->Colours : GreyPalette();
    // Entries a Quake II model or map names are read once, while shown.
    auto found = std::make_shared<std::map<std::string, std::optional<TFoundEntry>>>();
    const TEntryLookup lookup = [this, found](std::string_view name, std::size_t most) {
        const auto [at, made] = found->try_emplace(std::string(name));
        if (made)
            at->second = FindEntry(name, most);
        return at->second;
    };
    const TEntryKind kind = kind_;
    try {
        TEntryScene first = EntrySceneOf(kind, bytes_, {}, colours, lookup);
        for (const std::string& note : first.Notes)
            AddNotice(Text(note) + QLatin1Char('.'));
        if (first.Map) {
            ScenePage->ShowMap(std::move(first));
        } else {
            const TModelInfo model = first.Model;
            ScenePage->ShowModel(model, [this, kind, colours, lookup](const TSceneChoice& choice) {
                return EntrySceneOf(kind, bytes_, choice, colours, lookup);
            });
        }
    } catch (const TFailure& failure) {
        ShowMessagePage(tr("Cannot show this in 3D: %1.").arg(Text(failure.what())));
        return;
    }
    InfoLabel->setText(tr("%1 triangles").arg(ScenePage->View->Shown().Scene.Triangles.size()));
    ZoomLabel->hide();
    ZoomBox->hide();
    Pages->setCurrentIndex(static_cast<int>(TPreviewPage::ppScene));
    ScenePage->View->setFocus();
}

std::optional<TFoundEntry> TPreviewForm::FindEntry(std::string_view name, std::size_t most) {
    if (entries_ == nullptr)
        return std::nullopt;
    const std::optional<std::size_t> found = FirstEntryNamed(*entries_, name);
    if (!found)
        return std::nullopt;
    const TPakEntry entry = (*entries_)[*found];
    const auto wanted = std::min<std::int64_t>(
        entry.FileLength,
        static_cast<std::int64_t>(std::min<std::uint64_t>(most, kPreviewReadLimit + 1)));
    if (wanted > kPreviewReadLimit)
        throw TFailure(ArgBytes(tr("%1 is larger than the preview reads (%2 MiB)"),
                                {entry.Name, std::to_string(kPreviewReadLimit >> 20)}));
    std::optional<TLockedFile> once;
    std::optional<TLockedFile>& held = listing_ ? listingArchive_ : once;
    if (!held) {
        OpenArchive(ToFsPath(archivePath_), held);
        CheckSameArchive(*held, archiveIdentity_);
    }
    CheckEntryBounds(entry, held->Size());
    TPakEntry head = entry;
    head.FileLength = static_cast<std::int32_t>(wanted);
    return TFoundEntry{static_cast<std::uint64_t>(entry.FilePos),
                       static_cast<std::uint64_t>(entry.FileLength), ReadEntryBytes(*held, head)};
}

void TPreviewForm::SaveEntryBytes(const QString& path) const {
    // The whole entry, also when only its head was read for showing: copied
    // from the archive in pieces, the archive held without sharing and only
    // while it is the one indexed.
    std::optional<TLockedFile> held;
    OpenArchive(ToFsPath(archivePath_), held);
    TLockedFile& archive = *held;
    CheckSameArchive(archive, archiveIdentity_);
    const TPakEntry entry{entryName_, entryPos_, entryLength_,
                          entryCoding_ ? &*entryCoding_ : nullptr};
    TAtomicFile out(ToFsPath(path));
    std::vector<unsigned char> buffer(kSaveChunk);
    ReadEntryPieces(archive, entry, buffer, [&out](std::span<const unsigned char> piece) {
        out.Write(piece.data(), piece.size());
        return true;
    });
    out.Commit();
}

void TPreviewForm::closeEvent(QCloseEvent* event) {
    // A maximised or minimised window is no place to come back to.
    if (isVisible() && windowState() == Qt::WindowNoState)
        SaveWindowPlace(kPlaceName, {pos(), size()});
    // Nothing is kept while it is closed; opened again, it reads afresh.
    Forget();
    QWidget::closeEvent(event);
    Q_EMIT Closed();
}

void TPreviewForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace zorvak
