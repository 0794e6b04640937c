// Tooltips and accessible names of every window's controls and menu
// commands, a function a window, each called once its controls are made.
// They take no room: the windows look as they did.
#include "controls/DirectoryListBox.h"
#include "controls/Gauges.h"
#include "controls/Gradbtn.h"
#include "controls/PakListBox.h"
#include "controls/PictureLabel.h"
#include "forms/Buildpak.h"
#include "forms/Genabout.h"
#include "forms/Preview.h"
#include "forms/PreviewScene.h"
#include "forms/PreviewViews.h"
#include "forms/SelectMatching.h"
#include "forms/ZorvHelp.h"
#include "forms/Zorvmain.h"
#include "framework/ui/Describe.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTextEdit>

namespace zorvak {

namespace {

// A button or a group box is named by its own text.
void DescribeByText(QPushButton* button, const QString& tip) {
    Describe(button, VisibleName(button->text()), tip);
}

} // namespace

void TZorvakForm::DescribeControls() {
    const QString count = tr("How many entries the open archive holds");
    DescribeShown(Label1, count);
    DescribeShown(Offset, count);
    Describe(PakList, tr("Entries"),
             tr("The entries of the open archive: click to choose, Space to preview, drag out to "
                "extract"));
    DescribeByText(ButtonExtract, tr("Extract the selected entries into the archive's folder"));
    DescribeByText(ButtonExtractAll, tr("Extract every entry into the archive's folder"));
    Describe(ExtractBox, VisibleName(ExtractBox->title()),
             tr("The entry chosen or being extracted, and how far the extraction has got"));
    DescribeShown(ExName, tr("The entry chosen or being extracted"));
    Describe(ExGauge, tr("Progress"), tr("How much of the entry has been extracted"));
    DescribeShown(LDone, tr("The extraction has finished"));
    DescribeShown(ExSize, tr("The size of the entry"));
    DescribeByText(ButtonPlay, tr("Play the chosen entry, a sound"));
    DescribeByText(ButtonBuild, tr("Pack a folder's tree into a new archive"));
    const QString picture = tr("Zorvak, the tool for PAK archives");
    Describe(Panel1, tr("Program picture"), picture);
    Describe(Image1, tr("Program picture"), picture);
    Describe(Panel2, tr("About Zorvak"), tr("The program's version, and where to find help"));
    DescribeShown(Label2, tr("The program's name and version"));
    DescribeShown(Label3, tr("Who made the program"));
    DescribeShown(Label4, tr("F1 opens the help file"));
    DescribeShown(Label5, tr("The makers welcome comments and suggestions"));

    DescribeCommand(OpenPakFile1, tr("Open an archive and list its entries"));
    DescribeCommand(ExtractTo1, tr("Extract the selected entries into a folder you choose"));
    DescribeCommand(ExtractAllTo1, tr("Extract every entry into a folder you choose"));
    DescribeCommand(Exit1, tr("Close Zorvak"));
    DescribeCommand(AddFiles1, tr("Add files to the open archive"));
    DescribeCommand(AddFolder1, tr("Add a folder, with everything in it, to the open archive"));
    DescribeCommand(Delete1, tr("Delete the selected entries from the archive"));
    DescribeCommand(Rename1, tr("Give the chosen entry a new name"));
    DescribeCommand(Compact1, Compact1->toolTip());
    DescribeCommand(Undo1, tr("Give back the archive as it was before the last edit"));
    DescribeCommand(Redo1, tr("Make the edit that was undone again"));
    DescribeCommand(PreviewEntry1, tr("Show the chosen entry in the preview window, or close it"));
    DescribeCommand(SelectMatching1, tr("Select the entries whose names match a pattern"));
    DescribeCommand(HelpFile1, tr("Open the help file"));
    DescribeCommand(About1, tr("Show the program's version and date"));
    for (QMenu* menu : {File1, Edit1, View1, Help1})
        menu->setToolTipsVisible(true);
}

void TBuildPakDialog::DescribeControls() {
    DescribeShown(Label1, tr("Choose the folder whose tree goes into the archive"));
    Describe(DriveComboBox1, tr("Drive"), tr("The drive to build from"));
    Describe(DirList, tr("Folders"),
             tr("The folder to build from: double-click a folder to go into it"));
    const QString name = tr("The archive's name, up to eight letters and digits; it is written "
                            "as a .PAK file in the folder built from");
    DescribeShown(Label2, name);
    Describe(PAKName, VisibleName(Label2->text()), name);
    DescribeByText(ButtonOk, tr("Pack the folder's tree into the archive"));
    DescribeByText(ButtonClose, tr("Close this window"));
    Describe(Files, tr("Files"), tr("The files that go into the archive, as they are stored"));
}

void TAboutBox::DescribeControls() {
    Describe(Panel2, tr("About Zorvak"), tr("The program's name, version and date"));
    DescribeShown(ProductName, tr("The program's name"));
    DescribeShown(Version, tr("The program's version"));
    DescribeShown(VDate, tr("When the program file was made"));
    DescribeShown(Copyright, tr("Who holds the copyright"));
    DescribeShown(Comments, tr("What the program is for"));
    const QString icon = tr("Double-click to see the tools the program was built with");
    Describe(ProgIcon1, tr("Program icon"), icon);
    Describe(ProgIcon2, tr("Program icon"), icon);
    Describe(ButtonOk, VisibleName(ButtonOk->Caption()), tr("Close this box"));
}

void THelpForm::DescribeControls() {
    Describe(HelpViewer, tr("Help"),
             tr("The help file: the arrow keys and Page Up and Page Down scroll it"));
}

void TSelectMatchingDialog::DescribeControls() {
    const QString pattern = tr("The names to select: part of a name, or a pattern with * and ?");
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->buddy() == PatternEdit)
            Describe(PatternEdit, VisibleName(label->text()), pattern);
        else if (label != CountLabel) // the line that explains the patterns
            DescribeShown(label, tr("How a pattern is written"));
    }
    DescribeShown(CountLabel, tr("How many entries the pattern matches"));
    DescribeByText(ButtonSelect, tr("Select the matching entries in the list"));
    DescribeByText(ButtonClose, tr("Close this window"));
}

void TPreviewForm::DescribeControls() {
    DescribeShown(NameLabel, tr("The entry's name"));
    DescribeShown(KindLabel, tr("What the entry is, and its size"));
    DescribeShown(NoticeLabel, tr("What is left out, or why the entry is shown as it is"));
    DescribeShown(PartTitle, tr("What the list below holds"));
    Describe(PartList, tr("Parts"),
             tr("The lumps, textures, skins or frames the entry holds: choose one to show it"));
    DescribeShown(MessageLabel, tr("Why nothing else is shown"));
    Describe(TextView, tr("Text"),
             tr("The entry as text: the mouse selects, Ctrl+C copies, Ctrl+A selects all"));
    for (QAction* action : TextView->actions()) {
        if (action->shortcut() == QKeySequence::Copy)
            DescribeCommand(action, tr("Copy the selected text"));
        else if (action->shortcut() == QKeySequence::SelectAll)
            DescribeCommand(action, tr("Select all the text"));
    }
    const QString picture = tr("The picture, at the zoom chosen below");
    Describe(PictureArea, tr("Picture"), picture);
    Describe(PictureView, tr("Picture"), picture);
    DescribeShown(SoundInfo, tr("The sound's format and length"));
    Describe(Waveform, tr("Waveform"),
             tr("The sound's samples; a mark shows where its loop starts"));
    Describe(HexView, tr("Bytes"), tr("The entry's bytes, in hex and as ASCII"));
    ScenePage->View->setToolTip(
        tr("The model or the map in 3D; the line below says which keys and mouse moves it takes"));
    Describe(ScenePage->ButtonPlayPause, tr("Play or pause"),
             ScenePage->ButtonPlayPause->toolTip());
    DescribeShown(ScenePage->FrameLabel, tr("The frame shown and its name"));
    DescribeShown(ScenePage->KeysLabel, tr("The keys and mouse moves the 3D view takes"));
    DescribeShown(InfoLabel,
                  tr("The picture's size and format, the text's lines, or the count of bytes"));
    Describe(ZoomBox, VisibleName(ZoomLabel->text()),
             tr("How large the picture is drawn; Fit takes the room there is"));
    DescribeByText(ButtonPlay, tr("Play the sound"));
    DescribeByText(ButtonSaveAs,
                   tr("Save what is shown: a picture as PNG, anything else as its bytes"));
    Describe(Button3D, VisibleName(Button3D->text()), Button3D->toolTip());
    DescribeByText(ButtonClose, tr("Close the preview"));
}

} // namespace zorvak
