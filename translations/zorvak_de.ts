<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>zorvak::RunGuarded</name>
    <message>
        <source>Out of memory</source>
        <translation>Zu wenig Arbeitsspeicher</translation>
    </message>
    <message>
        <source>Unknown failure</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>zorvak::TAboutBox</name>
    <message>
        <source>Copyright © the Zorvak makers</source>
        <translation>Copyright © die Macher von Zorvak</translation>
    </message>
    <message>
        <source>A tool for Quake PAK archives</source>
        <translation>Ein Werkzeug für die PAK-Archive von Quake</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info über Zorvak</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>dddd d MMMM yyyy, h:mm AP</source>
        <comment>the program file&apos;s date, as QLocale writes it; English has its own way</comment>
        <translation>dddd, d. MMMM yyyy, HH:mm</translation>
    </message>
    <message>
        <source>About Zorvak</source>
        <translation>Info über Zorvak</translation>
    </message>
    <message>
        <source>The program&apos;s name, version and date</source>
        <translation>Name, Version und Datum des Programms</translation>
    </message>
    <message>
        <source>The program&apos;s name</source>
        <translation>Name des Programms</translation>
    </message>
    <message>
        <source>The program&apos;s version</source>
        <translation>Version des Programms</translation>
    </message>
    <message>
        <source>When the program file was made</source>
        <translation>Wann die Programmdatei erstellt wurde</translation>
    </message>
    <message>
        <source>Who holds the copyright</source>
        <translation>Wer das Copyright innehat</translation>
    </message>
    <message>
        <source>What the program is for</source>
        <translation>Wofür das Programm gedacht ist</translation>
    </message>
    <message>
        <source>Double-click to see the tools the program was built with</source>
        <translation>Doppelklicken Sie, um die Werkzeuge zu sehen, mit denen das Programm erstellt wurde</translation>
    </message>
    <message>
        <source>Program icon</source>
        <translation>Programmsymbol</translation>
    </message>
    <message>
        <source>Close this box</source>
        <translation>Diesen Dialog schließen</translation>
    </message>
</context>
<context>
    <name>zorvak::TBuildPakDialog</name>
    <message>
        <source>Build PAK File</source>
        <translation>PAK-Datei erstellen</translation>
    </message>
    <message>
        <source>Start build from :-</source>
        <translation>Erstellen aus Ordner:</translation>
    </message>
    <message>
        <source>PAK Name:</source>
        <translation>PAK-Name:</translation>
    </message>
    <message>
        <source>Build PAK</source>
        <translation>Erstellen</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>Choose the folder whose tree goes into the archive</source>
        <translation>Wählen Sie den Ordner, dessen Verzeichnisbaum ins Archiv kommt</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Laufwerk</translation>
    </message>
    <message>
        <source>The drive to build from</source>
        <translation>Das Laufwerk, aus dem erstellt wird</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>The folder to build from: double-click a folder to go into it</source>
        <translation>Der Ordner, aus dem erstellt wird: Doppelklicken Sie auf einen Ordner, um ihn zu öffnen</translation>
    </message>
    <message>
        <source>The archive&apos;s name, up to eight letters and digits; it is written as a .PAK file in the folder built from</source>
        <translation>Der Name des Archivs, bis zu acht Buchstaben und Ziffern; es wird als .PAK-Datei in den Ordner geschrieben, aus dem erstellt wird</translation>
    </message>
    <message>
        <source>Pack the folder&apos;s tree into the archive</source>
        <translation>Den Verzeichnisbaum des Ordners ins Archiv packen</translation>
    </message>
    <message>
        <source>Close this window</source>
        <translation>Dieses Fenster schließen</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>The files that go into the archive, as they are stored</source>
        <translation>Die Dateien, die ins Archiv kommen, so wie sie abgelegt werden</translation>
    </message>
</context>
<context>
    <name>zorvak::TEditRun</name>
    <message>
        <source>An extraction is running: edit the archive when it has ended</source>
        <translation>Eine Extraktion läuft: Bearbeiten Sie das Archiv, wenn sie beendet ist</translation>
    </message>
    <message>
        <source>An edit is running: make the next one when it has ended</source>
        <translation>Eine Bearbeitung läuft: Nehmen Sie die nächste vor, wenn sie beendet ist</translation>
    </message>
    <message>
        <source>Cannot change %1: there is no write access to %2</source>
        <translation>%1 kann nicht geändert werden: Kein Schreibzugriff auf %2</translation>
    </message>
    <message>
        <source>Writing %1</source>
        <translation>%1 wird geschrieben</translation>
    </message>
    <message>
        <source>Cannot undo: %1 has changed outside Zorvak since it was edited, so its edits can no longer be undone or redone</source>
        <translation>Rückgängig machen nicht möglich: %1 wurde seit der Bearbeitung außerhalb von Zorvak geändert, daher lassen sich die Bearbeitungen daran weder rückgängig machen noch wiederherstellen</translation>
    </message>
    <message>
        <source>Cannot redo: %1 has changed outside Zorvak since it was edited, so its edits can no longer be undone or redone</source>
        <translation>Wiederherstellen nicht möglich: %1 wurde seit der Bearbeitung außerhalb von Zorvak geändert, daher lassen sich die Bearbeitungen daran weder rückgängig machen noch wiederherstellen</translation>
    </message>
    <message>
        <source>This edit could not be undone: %1.

Make it all the same? The edits before it could then no longer be undone either.</source>
        <translation>Diese Bearbeitung ließe sich nicht rückgängig machen: %1.

Möchten Sie sie trotzdem vornehmen? Auch die Bearbeitungen davor ließen sich dann nicht mehr rückgängig machen.</translation>
    </message>
</context>
<context>
    <name>zorvak::TExtractionRun</name>
    <message>
        <source>(an empty name)</source>
        <translation>(ein leerer Name)</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>und %1 weitere</translation>
    </message>
    <message>
        <source>1 entry was left out, as its name would not make a file inside the folder:</source>
        <translation>1 Eintrag wurde ausgelassen, da sein Name keine Datei innerhalb des Ordners ergeben würde:</translation>
    </message>
    <message>
        <source>%1 entries were left out, as their names would not make files inside the folder:</source>
        <translation>%1 Einträge wurden ausgelassen, da ihre Namen keine Dateien innerhalb des Ordners ergeben würden:</translation>
    </message>
    <message>
        <source>1 entry was passed over, as it names the same file as an earlier entry on this system:</source>
        <translation>1 Eintrag wurde übergangen, da er auf diesem System dieselbe Datei bezeichnet wie ein früherer Eintrag:</translation>
    </message>
    <message>
        <source>%1 entries were passed over, as each names the same file as an earlier entry on this system:</source>
        <translation>%1 Einträge wurden übergangen, da jeder auf diesem System dieselbe Datei bezeichnet wie ein früherer Eintrag:</translation>
    </message>
    <message>
        <source>%1 (as %2)</source>
        <translation>%1 (als %2)</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>zorvak::TGauge</name>
    <message>
        <source>Value must be between %1 and %2</source>
        <translation>Der Wert muss zwischen %1 und %2 liegen</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1&#xa0;%</translation>
    </message>
</context>
<context>
    <name>zorvak::THelpForm</name>
    <message>
        <source>Failed to Load Stream</source>
        <translation>Die Datei konnte nicht geladen werden</translation>
    </message>
    <message>
        <source>Cannot find ZorvHelp.rtf</source>
        <translation>ZorvHelp.rtf wurde nicht gefunden</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>The help file: the arrow keys and Page Up and Page Down scroll it</source>
        <translation>Die Hilfedatei: Mit den Pfeiltasten sowie Bild auf und Bild ab blättern Sie darin</translation>
    </message>
</context>
<context>
    <name>zorvak::TOpenDialog</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
</context>
<context>
    <name>zorvak::TPreviewForm</name>
    <message>
        <source>%1 byte</source>
        <translation>%1 Byte</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Byte</translation>
    </message>
    <message>
        <source>Lumps</source>
        <translation>Lumps</translation>
    </message>
    <message>
        <source>%1 lump</source>
        <translation>%1 Lump</translation>
    </message>
    <message>
        <source>%1 lumps</source>
        <translation>%1 Lumps</translation>
    </message>
    <message>
        <source>The picture container holds no lumps.</source>
        <translation>Der Bildcontainer enthält keine Lumps.</translation>
    </message>
    <message>
        <source>Textures</source>
        <translation>Texturen</translation>
    </message>
    <message>
        <source>%1 texture</source>
        <translation>%1 Textur</translation>
    </message>
    <message>
        <source>%1 textures</source>
        <translation>%1 Texturen</translation>
    </message>
    <message>
        <source>The map holds no textures.</source>
        <translation>Die Karte enthält keine Texturen.</translation>
    </message>
    <message>
        <source>Skins</source>
        <translation>Skins</translation>
    </message>
    <message>
        <source>%1 skin</source>
        <translation>%1 Skin</translation>
    </message>
    <message>
        <source>%1 skins</source>
        <translation>%1 Skins</translation>
    </message>
    <message>
        <source>The model holds no skins.</source>
        <translation>Das Modell enthält keine Skins.</translation>
    </message>
    <message>
        <source>Frames</source>
        <translation>Frames</translation>
    </message>
    <message>
        <source>%1 frame</source>
        <translation>%1 Frame</translation>
    </message>
    <message>
        <source>%1 frames</source>
        <translation>%1 Frames</translation>
    </message>
    <message>
        <source>The sprite holds no frames.</source>
        <translation>Das Sprite enthält keine Frames.</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>&amp;Zoom:</source>
        <translation>&amp;Zoom:</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>Einpassen</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Abspielen</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>&amp;3D View</source>
        <translation>&amp;3D-Ansicht</translation>
    </message>
    <message>
        <source>Show the model or the map in 3D</source>
        <translation>Das Modell oder die Karte in 3D zeigen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>No entry is chosen: click one in the list.</source>
        <translation>Kein Eintrag gewählt: Klicken Sie einen in der Liste an.</translation>
    </message>
    <message>
        <source>No entry to show.</source>
        <translation>Kein Eintrag zum Anzeigen.</translation>
    </message>
    <message>
        <source>Preview - %1</source>
        <translation>Vorschau - %1</translation>
    </message>
    <message>
        <source>Cannot read the entry: %1.</source>
        <translation>Der Eintrag kann nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>Cannot read the entry: Out of memory.</source>
        <translation>Der Eintrag kann nicht gelesen werden: Zu wenig Arbeitsspeicher.</translation>
    </message>
    <message>
        <source>in greys</source>
        <translation>in Graustufen</translation>
    </message>
    <message>
        <source>colours of %1</source>
        <translation>Farben aus %1</translation>
    </message>
    <message>
        <source>colours of this archive</source>
        <translation>Farben dieses Archivs</translation>
    </message>
    <message>
        <source>The entry is larger than the preview reads (%1 MiB): its first %2 MiB are shown as bytes.</source>
        <translation>Der Eintrag ist größer, als die Vorschau liest (%1 MiB): Seine ersten %2 MiB werden als Bytes gezeigt.</translation>
    </message>
    <message>
        <source>The entry is empty.</source>
        <translation>Der Eintrag ist leer.</translation>
    </message>
    <message>
        <source>Text, %1</source>
        <translation>Text, %1</translation>
    </message>
    <message>
        <source>Not a text, picture or sound entry: shown as bytes.</source>
        <translation>Kein Text-, Bild- oder Sound-Eintrag: als Bytes gezeigt.</translation>
    </message>
    <message>
        <source>Only the first %1 MiB of the text are shown.</source>
        <translation>Nur die ersten %1 MiB des Textes werden gezeigt.</translation>
    </message>
    <message>
        <source>%1 line</source>
        <translation>%1 Zeile</translation>
    </message>
    <message>
        <source>%1 lines</source>
        <translation>%1 Zeilen</translation>
    </message>
    <message>
        <source>Cannot show this %1: %2.</source>
        <translation>Dieser Eintrag (%1) kann nicht gezeigt werden: %2.</translation>
    </message>
    <message>
        <source>Cannot read this sound: %1.</source>
        <translation>Dieser Sound kann nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>none (plays once)</source>
        <translation>keiner (spielt einmal)</translation>
    </message>
    <message>
        <source>frame %1 (%2)</source>
        <translation>Frame %1 (%2)</translation>
    </message>
    <message>
        <source>Rate: %1 Hz    Bits: %2    Channels: %3    Format: %4
Length: %5 (%6)    Loop start: %7</source>
        <translation>Rate: %1 Hz    Bits: %2    Kanäle: %3    Format: %4
Länge: %5 (%6)    Schleifenbeginn: %7</translation>
    </message>
    <message>
        <source>Cannot show this picture: %1.</source>
        <translation>Dieses Bild kann nicht gezeigt werden: %1.</translation>
    </message>
    <message>
        <source>No reader for %1 pictures is installed: shown as bytes.</source>
        <translation>Für %1-Bilder ist kein Lesemodul installiert: als Bytes gezeigt.</translation>
    </message>
    <message>
        <source>the toolkit reads only TGA 2.0 files, which end in their footer</source>
        <translation>das Toolkit liest nur TGA-2.0-Dateien, die mit ihrer Fußzeile enden</translation>
    </message>
    <message>
        <source>Cannot read this %1 picture: %2.</source>
        <translation>Dieses %1-Bild kann nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>%1 picture, %2</source>
        <translation>%1-Bild, %2</translation>
    </message>
    <message>
        <source>Only the first %1 of %2 are listed.</source>
        <translation>Nur die ersten %1 von %2 werden aufgeführt.</translation>
    </message>
    <message>
        <source>Cannot show %1: %2.</source>
        <translation>%1 kann nicht gezeigt werden: %2.</translation>
    </message>
    <message>
        <source>Fit (%1x)</source>
        <translation>Einpassen (%1x)</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>PNG pictures (*.png)</source>
        <translation>PNG-Bilder (*.png)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Entry %1 would overwrite the archive it is read from</source>
        <translation>Eintrag %1 würde das Archiv überschreiben, aus dem er gelesen wird</translation>
    </message>
    <message>
        <source>Cannot show this in 3D: %1.</source>
        <translation>Dies kann nicht in 3D gezeigt werden: %1.</translation>
    </message>
    <message>
        <source>%1 triangles</source>
        <translation>%1 Dreiecke</translation>
    </message>
    <message>
        <source>%1 is larger than the preview reads (%2 MiB)</source>
        <translation>%1 ist größer, als die Vorschau liest (%2 MiB)</translation>
    </message>
    <message>
        <source>not in the archive</source>
        <translation>nicht im Archiv</translation>
    </message>
    <message>
        <source>damaged</source>
        <translation>beschädigt</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>fehlt</translation>
    </message>
    <message>
        <source>type %1</source>
        <translation>Typ %1</translation>
    </message>
    <message>
        <source>256 colours</source>
        <translation>256 Farben</translation>
    </message>
    <message>
        <source>skin %1</source>
        <translation>Skin %1</translation>
    </message>
    <message>
        <source>frame %1</source>
        <translation>Frame %1</translation>
    </message>
    <message>
        <source>texture %1</source>
        <translation>Textur %1</translation>
    </message>
    <message>
        <source>%1 frame</source>
        <comment>of a sound</comment>
        <translation>%1 Frame</translation>
    </message>
    <message>
        <source>%1 frames</source>
        <comment>of a sound</comment>
        <translation>%1 Frames</translation>
    </message>
    <message>
        <source>The entry&apos;s name</source>
        <translation>Der Name des Eintrags</translation>
    </message>
    <message>
        <source>What the entry is, and its size</source>
        <translation>Art und Größe des Eintrags</translation>
    </message>
    <message>
        <source>What is left out, or why the entry is shown as it is</source>
        <translation>Was ausgelassen wird oder warum der Eintrag so gezeigt wird</translation>
    </message>
    <message>
        <source>What the list below holds</source>
        <translation>Was die Liste darunter enthält</translation>
    </message>
    <message>
        <source>Parts</source>
        <translation>Teile</translation>
    </message>
    <message>
        <source>The lumps, textures, skins or frames the entry holds: choose one to show it</source>
        <translation>Die Lumps, Texturen, Skins oder Frames des Eintrags: Wählen Sie einen Teil aus, um ihn zu zeigen</translation>
    </message>
    <message>
        <source>Why nothing else is shown</source>
        <translation>Warum nichts anderes gezeigt wird</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>The entry as text: the mouse selects, Ctrl+C copies, Ctrl+A selects all</source>
        <translation>Der Eintrag als Text: Die Maus wählt aus, Strg+C kopiert, Strg+A wählt alles aus</translation>
    </message>
    <message>
        <source>Copy the selected text</source>
        <translation>Den ausgewählten Text kopieren</translation>
    </message>
    <message>
        <source>Select all the text</source>
        <translation>Den ganzen Text auswählen</translation>
    </message>
    <message>
        <source>The picture, at the zoom chosen below</source>
        <translation>Das Bild, im darunter gewählten Zoom</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>The sound&apos;s format and length</source>
        <translation>Format und Länge des Sounds</translation>
    </message>
    <message>
        <source>Waveform</source>
        <translation>Wellenform</translation>
    </message>
    <message>
        <source>The sound&apos;s samples; a mark shows where its loop starts</source>
        <translation>Die Samples des Sounds; eine Markierung zeigt, wo seine Schleife beginnt</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>The entry&apos;s bytes, in hex and as ASCII</source>
        <translation>Die Bytes des Eintrags, hexadezimal und als ASCII</translation>
    </message>
    <message>
        <source>The model or the map in 3D; the line below says which keys and mouse moves it takes</source>
        <translation>Das Modell oder die Karte in 3D; die Zeile darunter nennt die Tasten und Mausbewegungen dafür</translation>
    </message>
    <message>
        <source>Play or pause</source>
        <translation>Abspielen oder anhalten</translation>
    </message>
    <message>
        <source>The frame shown and its name</source>
        <translation>Der gezeigte Frame und sein Name</translation>
    </message>
    <message>
        <source>The keys and mouse moves the 3D view takes</source>
        <translation>Die Tasten und Mausbewegungen der 3D-Ansicht</translation>
    </message>
    <message>
        <source>The picture&apos;s size and format, the text&apos;s lines, or the count of bytes</source>
        <translation>Größe und Format des Bildes, die Zeilen des Textes oder die Anzahl der Bytes</translation>
    </message>
    <message>
        <source>How large the picture is drawn; Fit takes the room there is</source>
        <translation>Wie groß das Bild gezeichnet wird; Einpassen nutzt den vorhandenen Platz</translation>
    </message>
    <message>
        <source>Play the sound</source>
        <translation>Den Sound abspielen</translation>
    </message>
    <message>
        <source>Save what is shown: a picture as PNG, anything else as its bytes</source>
        <translation>Speichern, was gezeigt wird: ein Bild als PNG, alles andere als seine Bytes</translation>
    </message>
    <message>
        <source>Close the preview</source>
        <translation>Die Vorschau schließen</translation>
    </message>
</context>
<context>
    <name>zorvak::TScenePage</name>
    <message>
        <source>The skin the model is drawn in</source>
        <translation>Die Skin, mit der das Modell gezeichnet wird</translation>
    </message>
    <message>
        <source>Skin</source>
        <translation>Skin</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Play or pause the model&apos;s frames</source>
        <translation>Die Frames des Modells abspielen oder anhalten</translation>
    </message>
    <message>
        <source>The frame shown</source>
        <translation>Der gezeigte Frame</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Skin %1</source>
        <translation>Skin %1</translation>
    </message>
    <message>
        <source>Drag to turn, wheel to zoom, R to start again, X for wireframe</source>
        <translation>Ziehen zum Drehen, Mausrad zum Zoomen, R zum Zurücksetzen, X für Drahtgitter</translation>
    </message>
    <message>
        <source>W A S D to move, E and Q up and down, Shift to hurry, drag to look, X for wireframe, R to start again</source>
        <translation>W A S D zum Bewegen, E und Q auf und ab, Umschalt für schneller, Ziehen zum Umsehen, X für Drahtgitter, R zum Zurücksetzen</translation>
    </message>
    <message>
        <source>Frame %1: %2</source>
        <translation>Frame %1: %2</translation>
    </message>
</context>
<context>
    <name>zorvak::TSceneView</name>
    <message>
        <source>3D view</source>
        <translation>3D-Ansicht</translation>
    </message>
</context>
<context>
    <name>zorvak::TSelectMatchingDialog</name>
    <message>
        <source>%1 entry</source>
        <translation>%1 Eintrag</translation>
    </message>
    <message>
        <source>%1 entries</source>
        <translation>%1 Einträgen</translation>
    </message>
    <message>
        <source>Select Matching</source>
        <translation>Passende auswählen</translation>
    </message>
    <message>
        <source>&amp;Pattern:</source>
        <translation>&amp;Muster:</translation>
    </message>
    <message>
        <source>Part of a name, or a pattern with * (any characters) and ? (one character).
Letter case is ignored.</source>
        <translation>Ein Teil eines Namens oder ein Muster mit * (beliebige Zeichen) und ? (ein Zeichen).
Groß- und Kleinschreibung wird nicht beachtet.</translation>
    </message>
    <message>
        <source>&amp;Select</source>
        <translation>&amp;Auswählen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>No entry matches</source>
        <translation>Kein Eintrag passt</translation>
    </message>
    <message>
        <source>%1 match of %2</source>
        <translation>%1 Treffer von %2</translation>
    </message>
    <message>
        <source>%1 matches of %2</source>
        <translation>%1 Treffer von %2</translation>
    </message>
    <message>
        <source>Selected %1 of %2</source>
        <translation>%1 von %2 ausgewählt</translation>
    </message>
    <message>
        <source>The names to select: part of a name, or a pattern with * and ?</source>
        <translation>Die auszuwählenden Namen: ein Teil eines Namens oder ein Muster mit * und ?</translation>
    </message>
    <message>
        <source>How a pattern is written</source>
        <translation>Wie ein Muster geschrieben wird</translation>
    </message>
    <message>
        <source>How many entries the pattern matches</source>
        <translation>Wie viele Einträge zum Muster passen</translation>
    </message>
    <message>
        <source>Select the matching entries in the list</source>
        <translation>Die passenden Einträge in der Liste auswählen</translation>
    </message>
    <message>
        <source>Close this window</source>
        <translation>Dieses Fenster schließen</translation>
    </message>
</context>
<context>
    <name>zorvak::TTextView</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
</context>
<context>
    <name>zorvak::TVelAboutBox</name>
    <message>
        <source>Version: </source>
        <translation>Version: </translation>
    </message>
    <message>
        <source>Some sort of Error Occurred!</source>
        <translation>Ein Fehler ist aufgetreten!</translation>
    </message>
</context>
<context>
    <name>zorvak::TWave</name>
    <message>
        <source>Out of memory while expanding memory stream</source>
        <translation>Zu wenig Arbeitsspeicher beim Vergrößern des Speicherstroms</translation>
    </message>
</context>
<context>
    <name>zorvak::TWaveformView</name>
    <message>
        <source>loop</source>
        <translation>Schleife</translation>
    </message>
</context>
<context>
    <name>zorvak::TZorvakForm</name>
    <message>
        <source>Files:</source>
        <translation>Dateien:</translation>
    </message>
    <message>
        <source>Extract</source>
        <translation>Extrahieren</translation>
    </message>
    <message>
        <source>Extract All</source>
        <translation>Alle
extrahieren</translation>
    </message>
    <message>
        <source>Extracting</source>
        <translation>Extraktion</translation>
    </message>
    <message>
        <source>Done !</source>
        <translation>Fertig!</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Build PAK</source>
        <translation>PAK erstellen</translation>
    </message>
    <message>
        <source>Zorvak version 1.3</source>
        <translation>Zorvak Version 1.3</translation>
    </message>
    <message>
        <source>Made by the Zorvak developers.</source>
        <translation>Von den Zorvak-Entwicklern.</translation>
    </message>
    <message>
        <source>Press F1 for help.</source>
        <translation>Drücken Sie F1 für die Hilfe.</translation>
    </message>
    <message>
        <source>Comments, suggestions welcome.</source>
        <translation>Anregungen sind willkommen.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open Pak File</source>
        <translation>PAK-Datei ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Extract &amp;To...</source>
        <translation>Extrahieren &amp;nach...</translation>
    </message>
    <message>
        <source>Extract A&amp;ll To...</source>
        <translation>&amp;Alle extrahieren nach...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Add &amp;Files...</source>
        <translation>&amp;Dateien hinzufügen...</translation>
    </message>
    <message>
        <source>Add F&amp;older...</source>
        <translation>&amp;Ordner hinzufügen...</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>&amp;Rename...</source>
        <translation>&amp;Umbenennen...</translation>
    </message>
    <message>
        <source>&amp;Compact</source>
        <translation>&amp;Verdichten</translation>
    </message>
    <message>
        <source>Write the archive anew without the bytes that deleted and replaced entries left</source>
        <translation>Das Archiv neu schreiben, ohne die Bytes, die gelöschte und ersetzte Einträge hinterlassen haben</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Preview Entry</source>
        <translation>&amp;Vorschau des Eintrags</translation>
    </message>
    <message>
        <source>&amp;Select Matching...</source>
        <translation>&amp;Passende auswählen...</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Help File</source>
        <translation>&amp;Hilfedatei</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Info über Zorvak</translation>
    </message>
    <message>
        <source>Quake Pak Files (*.pak)</source>
        <translation>Quake-PAK-Dateien (*.pak)</translation>
    </message>
    <message>
        <source>All files (*.*) </source>
        <translation>Alle Dateien (*.*) </translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Byte</translation>
    </message>
    <message>
        <source>Extract All To</source>
        <translation>Alle extrahieren nach</translation>
    </message>
    <message>
        <source>Extract To</source>
        <translation>Extrahieren nach</translation>
    </message>
    <message>
        <source>Add to Archive</source>
        <translation>Zum Archiv hinzufügen</translation>
    </message>
    <message>
        <source>Store under the folder:</source>
        <translation>Im Ordner ablegen:</translation>
    </message>
    <message>
        <source>Open an archive to add files to it</source>
        <translation>Öffnen Sie ein Archiv, um ihm Dateien hinzuzufügen</translation>
    </message>
    <message>
        <source>Add Files</source>
        <translation>Dateien hinzufügen</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Store its files under the folder:</source>
        <translation>Seine Dateien im Ordner ablegen:</translation>
    </message>
    <message>
        <source>Delete 1 entry from %1?</source>
        <translation>1 Eintrag aus %1 löschen?</translation>
    </message>
    <message>
        <source>Delete %1 entries from %2?</source>
        <translation>%1 Einträge aus %2 löschen?</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>New name:</source>
        <translation>Neuer Name:</translation>
    </message>
    <message>
        <source>Open an archive to compact it</source>
        <translation>Öffnen Sie ein Archiv, um es zu verdichten</translation>
    </message>
    <message>
        <source>How many entries the open archive holds</source>
        <translation>Wie viele Einträge das geöffnete Archiv enthält</translation>
    </message>
    <message>
        <source>Entries</source>
        <translation>Einträge</translation>
    </message>
    <message>
        <source>The entries of the open archive: click to choose, Space to preview, drag out to extract</source>
        <translation>Die Einträge des geöffneten Archivs: Klicken zum Wählen, Leertaste für die Vorschau, Herausziehen zum Extrahieren</translation>
    </message>
    <message>
        <source>Extract the selected entries into the archive&apos;s folder</source>
        <translation>Die ausgewählten Einträge in den Ordner des Archivs extrahieren</translation>
    </message>
    <message>
        <source>Extract every entry into the archive&apos;s folder</source>
        <translation>Alle Einträge in den Ordner des Archivs extrahieren</translation>
    </message>
    <message>
        <source>The entry chosen or being extracted, and how far the extraction has got</source>
        <translation>Der gewählte oder gerade extrahierte Eintrag und wie weit die Extraktion ist</translation>
    </message>
    <message>
        <source>The entry chosen or being extracted</source>
        <translation>Der gewählte oder gerade extrahierte Eintrag</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>How much of the entry has been extracted</source>
        <translation>Wie viel vom Eintrag schon extrahiert ist</translation>
    </message>
    <message>
        <source>The extraction has finished</source>
        <translation>Die Extraktion ist beendet</translation>
    </message>
    <message>
        <source>The size of the entry</source>
        <translation>Die Größe des Eintrags</translation>
    </message>
    <message>
        <source>Play the chosen entry, a sound</source>
        <translation>Den gewählten Eintrag abspielen, einen Sound</translation>
    </message>
    <message>
        <source>Pack a folder&apos;s tree into a new archive</source>
        <translation>Den Verzeichnisbaum eines Ordners in ein neues Archiv packen</translation>
    </message>
    <message>
        <source>Zorvak, the tool for PAK archives</source>
        <translation>Zorvak, das Werkzeug für PAK-Archive</translation>
    </message>
    <message>
        <source>Program picture</source>
        <translation>Programmbild</translation>
    </message>
    <message>
        <source>About Zorvak</source>
        <translation>Info über Zorvak</translation>
    </message>
    <message>
        <source>The program&apos;s version, and where to find help</source>
        <translation>Die Version des Programms und wo Sie Hilfe finden</translation>
    </message>
    <message>
        <source>The program&apos;s name and version</source>
        <translation>Name und Version des Programms</translation>
    </message>
    <message>
        <source>Who made the program</source>
        <translation>Wer das Programm entwickelt hat</translation>
    </message>
    <message>
        <source>F1 opens the help file</source>
        <translation>F1 öffnet die Hilfedatei</translation>
    </message>
    <message>
        <source>The makers welcome comments and suggestions</source>
        <translation>Die Entwickler freuen sich über Kommentare und Vorschläge</translation>
    </message>
    <message>
        <source>Open an archive and list its entries</source>
        <translation>Ein Archiv öffnen und seine Einträge auflisten</translation>
    </message>
    <message>
        <source>Extract the selected entries into a folder you choose</source>
        <translation>Die ausgewählten Einträge in einen Ordner Ihrer Wahl extrahieren</translation>
    </message>
    <message>
        <source>Extract every entry into a folder you choose</source>
        <translation>Alle Einträge in einen Ordner Ihrer Wahl extrahieren</translation>
    </message>
    <message>
        <source>Close Zorvak</source>
        <translation>Zorvak beenden</translation>
    </message>
    <message>
        <source>Add files to the open archive</source>
        <translation>Dem geöffneten Archiv Dateien hinzufügen</translation>
    </message>
    <message>
        <source>Add a folder, with everything in it, to the open archive</source>
        <translation>Dem geöffneten Archiv einen Ordner mit seinem ganzen Inhalt hinzufügen</translation>
    </message>
    <message>
        <source>Delete the selected entries from the archive</source>
        <translation>Die ausgewählten Einträge aus dem Archiv löschen</translation>
    </message>
    <message>
        <source>Give the chosen entry a new name</source>
        <translation>Dem gewählten Eintrag einen neuen Namen geben</translation>
    </message>
    <message>
        <source>Show the chosen entry in the preview window, or close it</source>
        <translation>Den gewählten Eintrag im Vorschaufenster zeigen oder das Fenster schließen</translation>
    </message>
    <message>
        <source>Select the entries whose names match a pattern</source>
        <translation>Die Einträge auswählen, deren Namen zu einem Muster passen</translation>
    </message>
    <message>
        <source>Open the help file</source>
        <translation>Die Hilfedatei öffnen</translation>
    </message>
    <message>
        <source>Show the program&apos;s version and date</source>
        <translation>Version und Datum des Programms zeigen</translation>
    </message>
    <message>
        <source>Give back the archive as it was before the last edit</source>
        <translation>Das Archiv in den Zustand vor der letzten Bearbeitung zurückversetzen</translation>
    </message>
    <message>
        <source>Make the edit that was undone again</source>
        <translation>Die rückgängig gemachte Bearbeitung erneut vornehmen</translation>
    </message>
    <message>
        <source>&amp;%1 %2</source>
        <translation>&amp;%1 %2</translation>
    </message>
    <message>
        <source>Open %1 again</source>
        <translation>%1 erneut öffnen</translation>
    </message>
    <message>
        <source>%1 is not there any more. It is taken off the list of recent archives.</source>
        <translation>%1 ist nicht mehr vorhanden und wird aus der Liste der zuletzt geöffneten Archive entfernt.</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>&amp;Undo %1</source>
        <translation>&amp;Rückgängig: %1</translation>
    </message>
    <message>
        <source>&amp;Redo %1</source>
        <translation>&amp;Wiederherstellen: %1</translation>
    </message>
</context>
<context>
    <name>zorvak::main</name>
    <message>
        <source>zorvak: unknown option %1
Try &apos;zorvak --help&apos;.
</source>
        <translation>zorvak: unbekannte Option %1
Versuchen Sie „zorvak --help“.
</translation>
    </message>
    <message>
        <source>usage: zorvak [FILE]

Opens the Zorvak window, and the PAK archive FILE in it when one is named.

  --help            this text
  --version         the program&apos;s version
  --reset-settings  forget the recent archives, the folders and the window
                    places this program remembers, then start as usual

zorvak-pak does the same work from scripts; see &apos;zorvak-pak --help&apos;.
</source>
        <translation>Aufruf: zorvak [DATEI]

Öffnet das Zorvak-Fenster und darin das PAK-Archiv DATEI, falls angegeben.

  --help            dieser Text
  --version         die Version des Programms
  --reset-settings  die zuletzt geöffneten Archive, die Ordner und die
                    Fensterpositionen vergessen, die sich dieses Programm
                    merkt, dann wie gewohnt starten

zorvak-pak leistet dasselbe für Skripte; siehe „zorvak-pak --help“.
</translation>
    </message>
    <message>
        <source>zorvak: option %1 needs a value
Try &apos;zorvak --help&apos;.
</source>
        <translation>zorvak: Option %1 erfordert einen Wert
Versuchen Sie „zorvak --help“.
</translation>
    </message>
</context>
</TS>
