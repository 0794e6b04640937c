#include "forms/Zorvmain.h"

#include "archive/PakExtract.h"
#include "archive/PakReader.h"
#include "controls/Gauges.h"
#include "controls/GlyphTopButton.h"
#include "controls/PakListBox.h"
#include "controls/PictureLabel.h"
#include "forms/Buildpak.h"
#include "forms/EditRun.h"
#include "forms/ExtractionRun.h"
#include "forms/Preview.h"
#include "forms/SelectMatching.h"
#include "forms/Veldlgs.h"
#include "forms/ZorvHelp.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/Streams.h"
#include "framework/Text.h"
#include "framework/Translate.h"
#include "framework/ui/Application.h"
#include "framework/ui/Colors.h"
#include "framework/ui/Describe.h"
#include "framework/ui/FormKit.h"
#include "framework/ui/Platform.h"
#include "framework/ui/Settings.h"
#include "framework/ui/Translations.h"
#include "resources/Pictures.h"
#include "sound/Waveplay.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <filesystem>
#include <ostream>
#include <utility>

namespace zorvak {

QPointer<TZorvakForm> ZorvakForm;

QStringList TDecimalList::ToStringList() const {
    QStringList texts;
    texts.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        texts.append(at(i));
    return texts;
}

void PrintTo(const TDecimalList& list, std::ostream* out) {
    *out << list.ToStringList().join(QLatin1Char(',')).toStdString();
}

namespace {

constexpr int kClientWidth = 512;
constexpr int kClientHeight = 354;
constexpr int kListItemHeight = 13;

QPushButton* MakeGlyphButton(QWidget* parent, const QRect& rect, const QString& caption,
                             TGlyph glyph) {
    auto* button = new QPushButton(GlyphIcon(glyph), caption, parent);
    button->setGeometry(rect);
    button->setIconSize(QSize(kGlyphSize, kGlyphSize));
    return button;
}

QFrame* MakePanel(QWidget* parent, const QRect& rect) {
    auto* panel = new QFrame(parent);
    panel->setGeometry(rect);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    return panel;
}

// The last three characters of a name, upper-cased, say whether it is a sound.
bool IsWaveName(std::string_view name) {
    const std::string_view tail = name.size() > 3 ? name.substr(name.size() - 3) : name;
    return AsciiUpper(tail) == "WAV";
}

} // namespace

TZorvakForm::TZorvakForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("ZorvakForm"));
    setWindowTitle(QStringLiteral("Zorvak"));
    // A fixed, single border: system menu and minimise box, no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // "MS Sans Serif" 8 points: 11 pixels high.
    setFont(FormFont(11));
    QPalette palette = DesignedPalette();
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);

    CreateControls();
    CreateMenu();
    const TRunControls controls{
        this, PakList, ButtonExtract, ButtonExtractAll, ExtractBox, ExName, ExGauge, LDone, Edit1};
    TRunWindow& window = *this;
    extraction_ = std::make_unique<TExtractionRun>(controls, window);
    edit_ = std::make_unique<TEditRun>(controls, window, *extraction_);
    CreateHistoryCommands();
    DescribeControls();
    // Archives and files to add may be dropped on the window; entries may be
    // dragged out of the list.
    setAcceptDrops(true);
    PakList->DragOut = [this] {
        QStringList files;
        RunGuarded([&] { files = ExtractForDrag(); });
        return files;
    };
    PakList->DragDone = [this] { RunGuarded([this] { DragDone(); }); };
    WAVPlayer = CreateWavPlayerFromDescription(this);
    About = CreateAboutFromDescription(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    FormCreate();
    adjustSize();
    CentreOnScreen(this);
    if (!ZorvakForm)
        ZorvakForm = this;
}

TZorvakForm::~TZorvakForm() {
    FormDestroy();
}

template <class Signal, class Sender>
void TZorvakForm::Bind(Sender* sender, Signal signal, THandler handler) {
    connect(sender, signal, this,
            [this, sender, handler] { RunGuarded([&] { (this->*handler)(sender); }); });
}

void TZorvakForm::CreateControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    Label1 = PlaceLabel(client, 8, 8, tr("Files:"));
    // The count stands right after "Files:"; a font wider than the one the
    // window was laid out for pushes it along rather than into the label.
    Offset = PlaceLabel(client, std::max(36, Label1->geometry().right() + 4), 8, QString());

    PakList = new TPakListBox(client);
    PakList->setGeometry(8, 24, 281, 325);
    PakList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    PakList->setUniformItemSizes(true);
    // Rows 13 pixels high, as the window was laid out for.
    PakList->setItemDelegate(new TFixedRowDelegate(kListItemHeight, PakList));

    ButtonExtract = MakeGlyphButton(client, {296, 24, 97, 33}, tr("Extract"), TGlyph::glExtract);
    ButtonExtractAll =
        MakeGlyphButton(client, {408, 24, 97, 33}, tr("Extract All"), TGlyph::glExtractAll);
    ButtonExtract->setEnabled(false);
    ButtonExtractAll->setEnabled(false);

    ExtractBox = new QGroupBox(tr("Extracting"), client);
    ExtractBox->setGeometry(296, 60, 209, 97);
    // As wide as the box leaves room for: a long name is cut at its edge, and
    // a new name needs no new size (a run sets thousands of them).
    ExName = PlaceLabel(ExtractBox, 8, 20, QString());
    ExName->resize(193, ExName->fontMetrics().height());
    ExGauge = new TGauge(ExtractBox);
    ExGauge->setGeometry(8, 36, 193, 40);
    ExGauge->SetForeColor(clRed);
    ExGauge->SetProgress(0);
    LDone = PlaceLabel(ExtractBox, 88, 48, tr("Done !"));
    QFont bold = LDone->font();
    bold.setBold(true);
    LDone->setFont(bold);
    LDone->adjustSize();
    LDone->raise();
    LDone->hide();
    ExSize = PlaceLabel(ExtractBox, 8, 80, QString());

    ButtonPlay = MakeGlyphButton(client, {296, 160, 97, 33}, tr("Play"), TGlyph::glPlay);
    ButtonPlay->setEnabled(false);

    ButtonBuild = new TGlyphTopButton(GlyphIcon(TGlyph::glBuild), tr("Build PAK"), client);
    ButtonBuild->setGeometry(400, 160, 105, 101);
    ButtonBuild->setIconSize(QSize(kGlyphSize, kGlyphSize));

    Panel1 = MakePanel(client, {296, 196, 97, 65});
    auto* picture = new TPictureLabel(Panel1);
    picture->setGeometry(32, 16, 32, 32);
    picture->SetIcon(ProgramIcon(), QSize(kProgramPictureSize, kProgramPictureSize));
    Image1 = picture;

    Panel2 = MakePanel(client, {296, 264, 209, 85});
    Label2 = PlaceLabel(Panel2, 8, 4, tr("Zorvak version 1.3"));
    QFont navy = Label2->font();
    navy.setBold(true);
    Label2->setFont(navy);
    SetTextColor(Label2, ToQColor(clNavy));
    Label2->adjustSize();
    Label3 = PlaceLabel(Panel2, 8, 28, tr("Made by the Zorvak developers."));
    Label4 = PlaceLabel(Panel2, 8, 40, tr("Press F1 for help."));
    Label5 = PlaceLabel(Panel2, 8, 64, tr("Comments, suggestions welcome."));

    const std::pair<QPushButton*, THandler> buttons[] = {
        {ButtonExtract, &TZorvakForm::ButtonExtractAllClick},
        {ButtonExtractAll, &TZorvakForm::ButtonExtractAllClick},
        {ButtonPlay, &TZorvakForm::ButtonPlayClick},
        {ButtonBuild, &TZorvakForm::ButtonBuildClick},
    };
    for (const auto& [button, handler] : buttons)
        Bind(button, &QPushButton::clicked, handler);
    // The list's click covers mouse and keyboard alike: a click on an item,
    // a move of the caret, a change of the selection.
    Bind(PakList, &TPakListBox::clicked, &TZorvakForm::PakListClick);
    Bind(PakList, &TPakListBox::currentRowChanged, &TZorvakForm::PakListClick);
    Bind(PakList, &TPakListBox::itemSelectionChanged, &TZorvakForm::PakListClick);
    Bind(PakList, &TPakListBox::itemDoubleClicked, &TZorvakForm::PakListDblClick);
    // On the selection model itself: the list's own signals are blocked
    // while it is refilled.
    connect(PakList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { selectionStale_ = true; });
    connect(PakList->model(), &QAbstractItemModel::modelReset, this,
            [this] { selectionStale_ = true; });
}

void TZorvakForm::ShowSelectionCommands() {
    Delete1->setEnabled(PakList->selectionModel()->hasSelection());
}

void TZorvakForm::CreateMenu() {
    File1 = menuBar()->addMenu(tr("&File"));
    OpenPakFile1 = File1->addAction(tr("&Open Pak File"));
    OpenPakFile1->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    ExtractTo1 = File1->addAction(tr("Extract &To..."));
    ExtractAllTo1 = File1->addAction(tr("Extract A&ll To..."));
    File1->addSeparator()->setObjectName(QStringLiteral("N1"));
    Exit1 = File1->addAction(tr("E&xit"));
    Exit1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    Edit1 = menuBar()->addMenu(tr("&Edit"));
    AddFiles1 = Edit1->addAction(tr("Add &Files..."));
    AddFolder1 = Edit1->addAction(tr("Add F&older..."));
    Edit1->addSeparator();
    Delete1 = Edit1->addAction(tr("&Delete"));
    Rename1 = Edit1->addAction(tr("&Rename..."));
    Rename1->setShortcut(QKeySequence(Qt::Key_F2));
    Edit1->addSeparator();
    Compact1 = Edit1->addAction(tr("&Compact"));
    Compact1->setToolTip(
        tr("Write the archive anew without the bytes that deleted and replaced entries left"));
    // Nothing to delete until entries are selected.
    Delete1->setEnabled(false);
    connect(PakList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ShowSelectionCommands(); });
    for (QAction* action : {OpenPakFile1, Exit1, Rename1}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    View1 = menuBar()->addMenu(tr("&View"));
    PreviewEntry1 = View1->addAction(tr("&Preview Entry"));
    PreviewEntry1->setCheckable(true);
    PreviewEntry1->setShortcut(QKeySequence(Qt::Key_F3));
    PreviewEntry1->setShortcutContext(Qt::WindowShortcut);
    addAction(PreviewEntry1);
    SelectMatching1 = View1->addAction(tr("&Select Matching..."));
    SelectMatching1->setShortcut(QKeySequence::Find);
    SelectMatching1->setShortcutContext(Qt::WindowShortcut);
    addAction(SelectMatching1);
    Help1 = menuBar()->addMenu(tr("&Help"));
    HelpFile1 = Help1->addAction(tr("&Help File"));
    Help1->addSeparator()->setObjectName(QStringLiteral("N2"));
    About1 = Help1->addAction(tr("&About"));
    // F1 opens the help file from anywhere in the window.
    HelpFile1->setShortcut(QKeySequence::HelpContents);
    HelpFile1->setShortcutContext(Qt::WindowShortcut);
    addAction(HelpFile1);

    const std::pair<QAction*, THandler> commands[] = {
        {OpenPakFile1, &TZorvakForm::OpenPakFile1Click},
        {ExtractTo1, &TZorvakForm::ExtractTo1Click},
        {ExtractAllTo1, &TZorvakForm::ExtractTo1Click},
        {Exit1, &TZorvakForm::Exit1Click},
        {AddFiles1, &TZorvakForm::AddFiles1Click},
        {AddFolder1, &TZorvakForm::AddFolder1Click},
        {Delete1, &TZorvakForm::Delete1Click},
        {Rename1, &TZorvakForm::Rename1Click},
        {Compact1, &TZorvakForm::Compact1Click},
        {PreviewEntry1, &TZorvakForm::PreviewEntry1Click},
        {SelectMatching1, &TZorvakForm::SelectMatching1Click},
        {HelpFile1, &TZorvakForm::Help1Click},
        {About1, &TZorvakForm::About1Click},
    };
    for (const auto& [action, handler] : commands)
        Bind(action, &QAction::triggered, handler);
    PakList->installEventFilter(this);

    ODlg.Filter = tr("Quake Pak Files (*.pak)") + QStringLiteral("|*.pak|") +
                  tr("All files (*.*) ") + QStringLiteral("|*.*");
    ODlg.FilterIndex = 1;
    ODlg.DefaultExt = QStringLiteral("PAK");
    // The archive chosen last, in this run or an earlier one.
    ODlg.FileName = LastChosenArchive();
    ShowRecentArchives();
    // Another window of the program may have opened archives meanwhile.
    connect(File1, &QMenu::aboutToShow, this, [this] { ShowRecentArchives(); });
}

void TZorvakForm::ShowRecentArchives() {
    // Later: the one chosen may be what is running now.
    for (QAction* action : std::as_const(RecentArchive1)) {
        File1->removeAction(action);
        action->deleteLater();
    }
    RecentArchive1.clear();
    if (RecentSeparator != nullptr) {
        File1->removeAction(RecentSeparator);
        RecentSeparator->deleteLater();
        RecentSeparator = nullptr;
    }
    const QStringList recent = RecentArchives();
    if (recent.isEmpty())
        return;
    RecentSeparator = new QAction(File1);
    RecentSeparator->setSeparator(true);
    File1->insertAction(Exit1, RecentSeparator);
    // A long path keeps its start and its name; "&" in it is no accelerator.
    const QFontMetrics metrics(File1->font());
    const int widest = metrics.averageCharWidth() * 80;
    for (qsizetype i = 0; i < recent.size(); ++i) {
        const QString& path = recent[i];
        const QString shown =
            metrics.elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle, widest);
        auto* action = new QAction(tr("&%1 %2").arg(i + 1).arg(QString(shown).replace(
                                       QLatin1Char('&'), QStringLiteral("&&"))),
                                   File1);
        action->setData(path);
        // The whole path, where the menu may show it shortened.
        DescribeCommand(action, tr("Open %1 again").arg(QDir::toNativeSeparators(path)));
        File1->insertAction(RecentSeparator, action);
        connect(action, &QAction::triggered, this,
                [this, path] { RunGuarded([&] { OpenRecentArchive(path); }); });
        RecentArchive1.append(action);
    }
}

void TZorvakForm::OpenRecentArchive(const QString& path) {
    std::error_code ec;
    if (std::filesystem::status(ToFsPath(path), ec).type() ==
        std::filesystem::file_type::not_found) {
        ForgetRecentArchive(path);
        ShowRecentArchives();
        ShowMessageBox(
            tr("%1 is not there any more. It is taken off the list of recent archives.").arg(path),
            ApplicationTitle(), TMsgIcon::mbiWarning);
        return;
    }
    OpenArchive(path);
}

void TZorvakForm::FormCreate() {
    // "Done !" shows as white text on a block of the gauge's colour.
    QPalette palette = LDone->palette();
    palette.setColor(QPalette::Window, ToQColor(ExGauge->ForeColor()));
    palette.setColor(QPalette::WindowText, Qt::white);
    LDone->setPalette(palette);
    LDone->setAutoFillBackground(true);
    PakPositions = std::make_unique<TDecimalList>(PakNames, TDecimalList::dfPositions);
    PakLengths = std::make_unique<TDecimalList>(PakNames, TDecimalList::dfLengths);
}

void TZorvakForm::FormDestroy() {
    PakPositions.reset();
    PakLengths.reset();
}

void TZorvakForm::closeEvent(QCloseEvent* event) {
    // Long work in progress sees this after its next pump and ends.
    closing_ = true;
    // The bytes kept for undoing its edits go with the archive.
    edit_->ForgetHistory();
    if (Preview != nullptr)
        Preview->close();
    if (SelectMatchingDialog != nullptr)
        SelectMatchingDialog->close();
    QMainWindow::closeEvent(event);
}

int TZorvakForm::CurrentIndex() const {
    return PakList->currentRow();
}

bool TZorvakForm::RowSelected(int row) {
    // Asking the list row by row walks every range of its selection each
    // time; a selection of many ranges (Select Matching makes them) would
    // make a run over a big archive quadratic.
    if (selectionStale_) {
        selectedRows_.assign(static_cast<std::size_t>(std::max(0, PakList->count())), false);
        for (const QItemSelectionRange& range : PakList->selectionModel()->selection())
            for (int r = std::max(0, range.top()); r <= range.bottom() && r < PakList->count(); ++r)
                selectedRows_[static_cast<std::size_t>(r)] = true;
        selectionStale_ = false;
    }
    return row >= 0 && static_cast<std::size_t>(row) < selectedRows_.size() &&
           selectedRows_[static_cast<std::size_t>(row)];
}

bool TZorvakForm::HoldsArchive() const {
    return extraction_->Running() || edit_->Running();
}

void TZorvakForm::SetPumpInterval(int milliseconds) {
    extraction_->SetPumpInterval(milliseconds);
}

int TZorvakForm::FindEntry(const std::string& name) {
    if (namesGeneration_ != indexGeneration_) {
        exactNames_ = std::make_unique<TNameTable>(TNameTable::Of(PakNames, false));
        foldedNames_.reset();
        namesGeneration_ = indexGeneration_;
    }
    // The exact name first: on a case-sensitive disk "Sound/X.wav" and
    // "sound/x.wav" are two entries. Only then the first case-blind match.
    if (const std::int64_t exact = exactNames_->Find(name); exact >= 0)
        return static_cast<int>(exact);
    if (!foldedNames_)
        foldedNames_ = std::make_unique<TNameTable>(TNameTable::Of(PakNames, true));
    return static_cast<int>(foldedNames_->Find(name));
}

void TZorvakForm::OpenPakFile1Click(QObject*) {
    if (!ODlg.Execute(this))
        return;
    RememberChosenArchive(ODlg.FileName);
    OpenArchive(ODlg.FileName);
}

void TZorvakForm::OpenArchive(const QString& path) {
    const QString candidate = CandidateArchivePath(path);
    if (!HasArchiveSignature(ToFsPath(candidate))) {
        ShowMessage(QString::fromUtf8(Tr(kNotAPakFile)));
        return;
    }
    PakPath = candidate;
    edit_->ArchiveOpened();
    setWindowTitle(QStringLiteral("Zorvak [") + PakPath + QLatin1Char(']'));
    {
        // Refilling is not a click: the buttons keep their states.
        const QSignalBlocker blocker(PakList);
        PakList->clear();
    }
    // The lengths and positions are views of the same index.
    PakNames.clear();
    PakIdentity = {};
    extraction_->IndexRefilled();
    ++indexGeneration_;
    // The windows that show the index follow it, also when it could not be
    // read and stays empty.
    struct TIndexShown {
        TZorvakForm* Form;
        ~TIndexShown() {
            RunGuarded([this] { Form->IndexChanged(); });
        }
    } shown{this};
    // A new list has no selection, whatever the last one had; also when it
    // could not be read.
    ShowSelectionCommands();
    BuildIndex();
    RememberRecentArchive(PakPath);
    ShowRecentArchives();
    // A new list starts at its top, whatever the last one showed.
    PakList->scrollToTop();
    ButtonExtractAll->setEnabled(PakList->count() > 0);
}

void TZorvakForm::IndexChanged() {
    if (SelectMatchingDialog != nullptr)
        SelectMatchingDialog->Refresh();
    FollowWithPreview();
}

TPakIndex TZorvakForm::IndexToEdit() const {
    TPakIndex index;
    index.Count = PakCount;
    index.Entries = PakNames;
    index.Complete = PakComplete;
    index.Identity = PakIdentity;
    index.Kind = PakKind;
    return index;
}

TPreviewArchive TZorvakForm::PreviewSource() const {
    return {PakPath, PakIdentity, &PakNames, indexGeneration_};
}

void TZorvakForm::FollowWithPreview() {
    if (Preview != nullptr && Preview->isVisible())
        Preview->ShowEntry(PreviewSource(), CurrentIndex());
}

bool TZorvakForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PakList && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        // Ctrl+Space still toggles the entry's selection, as in any list.
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            PreviewEntry1->trigger();
            return true;
        }
        // Return acts as the double click; Delete as Edit, Delete.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers() == Qt::NoModifier) {
            RunGuarded([this] { PakListDblClick(PakList); });
            return true;
        }
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            Delete1->trigger();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TZorvakForm::BuildIndex() {
    TLockedFile file(ToFsPath(PakPath));
    TPakIndex index = ReadPakIndex(file);
    PakIdentity = index.Identity;
    PakKind = index.Kind;
    PakComplete = index.Complete;
    PakCount = index.Count;
    SetLabelText(Offset, QString::number(PakCount));

    PakNames = std::move(index.Entries);
    const QSignalBlocker blocker(PakList);
    PakList->SetEntries(&PakNames);
}

void TZorvakForm::PakListClick(QObject*) {
    const int k = CurrentIndex();
    if (k >= 0 && k < static_cast<int>(PakNames.size())) {
        ButtonPlay->setEnabled(IsWaveName(PakNames[static_cast<std::size_t>(k)].Name));
        SetLabelText(ExSize, tr("%1 bytes").arg(FormatCount(PakLengths->Value(k))));
        ExName->setText(PakList->item(k)->text());
        ExGauge->SetProgress(0);
        extraction_->ShowDone(false);
    }
    extraction_->GiveButtonsBack();
    FollowWithPreview();
}

void TZorvakForm::PakListDblClick(QObject*) {
    if (CurrentIndex() >= 0 && ButtonPlay->isEnabled())
        ButtonPlayClick(ButtonPlay);
}

void TZorvakForm::ButtonExtractAllClick(QObject* sender) {
    const bool all = sender == ButtonExtractAll;
    extraction_->Run([this, all](int i) { return all || RowSelected(i); });
}

void TZorvakForm::ExtractFile(const std::string& name) {
    extraction_->ExtractFile(name);
}

void TZorvakForm::ButtonPlayClick(QObject*) {
    // Held without sharing until the sound has ended.
    TLockedFile archive(ToFsPath(PakPath));
    CheckSameArchive(archive, PakIdentity);
    const int k = CurrentIndex();
    if (k < 0 || k >= static_cast<int>(PakNames.size()))
        throw TListIndexFailure();
    const TPakEntry entry = PakNames[static_cast<std::size_t>(k)];
    TMemoryStream bytes(ReadEntryBytes(archive, entry));
    WAVPlayer->Wave().LoadFromStream(bytes);
    WAVPlayer->Play();
}

void TZorvakForm::ButtonBuildClick(QObject*) {
    // Its result is not used, and the list is not refreshed afterwards.
    if (BuildPakDialog != nullptr)
        BuildPakDialog->ShowModal();
}

void TZorvakForm::PreviewEntry1Click(QObject*) {
    if (Preview != nullptr && Preview->isVisible()) {
        Preview->close();
        return;
    }
    if (Preview == nullptr) {
        Preview = new TPreviewForm(this, WAVPlayer);
        Preview->HeldByOwner = [this] { return HoldsArchive(); };
        // F3 closes it again from its own window.
        Preview->addAction(PreviewEntry1);
        connect(Preview, &TPreviewForm::Closed, this, [this] {
            PreviewEntry1->setChecked(false);
            // Closed from its own window, the keys go back to the list.
            if (Preview->isActiveWindow() && isVisible() && !closing_)
                KeepKeysInList();
        });
        // Beside the main window where the screen has room, else where the
        // window system puts it.
        const QRect outer = frameGeometry();
        const QRect room = screen() != nullptr ? screen()->availableGeometry() : QRect();
        const QRect beside(outer.right() + 8, outer.top(), Preview->width(), Preview->height());
        if (room.contains(beside))
            Preview->move(beside.topLeft());
        // Where it was left last time, unless no screen shows its title bar
        // now; and never larger than the screen it is on.
        Preview->RestorePlace();
        FitOnScreen(Preview);
    }
    PreviewEntry1->setChecked(true);
    Preview->show();
    Preview->raise();
    Preview->ShowEntry(PreviewSource(), CurrentIndex());
    // The preview follows the list: the arrow keys stay with it, whatever
    // the window system does with a window shown beside.
    if (isVisible())
        KeepKeysInList();
}

void TZorvakForm::KeepKeysInList() {
    activateWindow();
    if (focusWidget() == nullptr || !focusWidget()->isVisible())
        PakList->setFocus(Qt::ActiveWindowFocusReason);
}

void TZorvakForm::SelectMatching1Click(QObject*) {
    if (SelectMatchingDialog == nullptr)
        SelectMatchingDialog = new TSelectMatchingDialog(this, PakNames, PakList);
    SelectMatchingDialog->Open();
}

void TZorvakForm::Help1Click(QObject*) {
    RunHelpWindow(this);
}

void TZorvakForm::About1Click(QObject*) {
    About->Execute();
}

void TZorvakForm::Exit1Click(QObject*) {
    close();
}

} // namespace zorvak
