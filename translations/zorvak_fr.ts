<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>zorvak::RunGuarded</name>
    <message>
        <source>Out of memory</source>
        <translation>Mémoire insuffisante</translation>
    </message>
    <message>
        <source>Unknown failure</source>
        <translation>Erreur inconnue</translation>
    </message>
</context>
<context>
    <name>zorvak::TAboutBox</name>
    <message>
        <source>Copyright © the Zorvak makers</source>
        <translation>Copyright © les créateurs de Zorvak</translation>
    </message>
    <message>
        <source>A tool for Quake PAK archives</source>
        <translation>Un outil pour les archives PAK de Quake</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos de Zorvak</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>dddd d MMMM yyyy, h:mm AP</source>
        <comment>the program file&apos;s date, as QLocale writes it; English has its own way</comment>
        <translation>dddd d MMMM yyyy, HH:mm</translation>
    </message>
    <message>
        <source>About Zorvak</source>
        <translation>À propos de Zorvak</translation>
    </message>
    <message>
        <source>The program&apos;s name, version and date</source>
        <translation>Nom, version et date du programme</translation>
    </message>
    <message>
        <source>The program&apos;s name</source>
        <translation>Nom du programme</translation>
    </message>
    <message>
        <source>The program&apos;s version</source>
        <translation>Version du programme</translation>
    </message>
    <message>
        <source>When the program file was made</source>
        <translation>Date de création du fichier du programme</translation>
    </message>
    <message>
        <source>Who holds the copyright</source>
        <translation>Qui détient le copyright</translation>
    </message>
    <message>
        <source>What the program is for</source>
        <translation>À quoi sert le programme</translation>
    </message>
    <message>
        <source>Double-click to see the tools the program was built with</source>
        <translation>Double-cliquez pour voir les outils qui ont servi à compiler le programme</translation>
    </message>
    <message>
        <source>Program icon</source>
        <translation>Icône du programme</translation>
    </message>
    <message>
        <source>Close this box</source>
        <translation>Fermer cette boîte de dialogue</translation>
    </message>
</context>
<context>
    <name>zorvak::TBuildPakDialog</name>
    <message>
        <source>Build PAK File</source>
        <translation>Créer un fichier PAK</translation>
    </message>
    <message>
        <source>Start build from :-</source>
        <translation>Créer à partir de&#xa0;:</translation>
    </message>
    <message>
        <source>PAK Name:</source>
        <translation>Nom du PAK&#xa0;:</translation>
    </message>
    <message>
        <source>Build PAK</source>
        <translation>Créer</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Fermer</translation>
    </message>
    <message>
        <source>Choose the folder whose tree goes into the archive</source>
        <translation>Choisissez le dossier dont l&apos;arborescence va dans l&apos;archive</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Lecteur</translation>
    </message>
    <message>
        <source>The drive to build from</source>
        <translation>Le lecteur à partir duquel créer</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Dossiers</translation>
    </message>
    <message>
        <source>The folder to build from: double-click a folder to go into it</source>
        <translation>Le dossier à partir duquel créer&#xa0;: double-cliquez sur un dossier pour y entrer</translation>
    </message>
    <message>
        <source>The archive&apos;s name, up to eight letters and digits; it is written as a .PAK file in the folder built from</source>
        <translation>Le nom de l&apos;archive, jusqu&apos;à huit lettres et chiffres&#xa0;; elle est écrite en fichier .PAK dans le dossier à partir duquel elle est créée</translation>
    </message>
    <message>
        <source>Pack the folder&apos;s tree into the archive</source>
        <translation>Empaqueter l&apos;arborescence du dossier dans l&apos;archive</translation>
    </message>
    <message>
        <source>Close this window</source>
        <translation>Fermer cette fenêtre</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Fichiers</translation>
    </message>
    <message>
        <source>The files that go into the archive, as they are stored</source>
        <translation>Les fichiers qui vont dans l&apos;archive, tels qu&apos;ils y sont rangés</translation>
    </message>
</context>
<context>
    <name>zorvak::TEditRun</name>
    <message>
        <source>An extraction is running: edit the archive when it has ended</source>
        <translation>Une extraction est en cours&#xa0;: modifiez l&apos;archive quand elle sera terminée</translation>
    </message>
    <message>
        <source>An edit is running: make the next one when it has ended</source>
        <translation>Une modification est en cours&#xa0;: faites la suivante quand elle sera terminée</translation>
    </message>
    <message>
        <source>Cannot change %1: there is no write access to %2</source>
        <translation>Impossible de modifier %1&#xa0;: pas d&apos;accès en écriture à %2</translation>
    </message>
    <message>
        <source>Writing %1</source>
        <translation>Écriture de %1</translation>
    </message>
    <message>
        <source>Cannot undo: %1 has changed outside Zorvak since it was edited, so its edits can no longer be undone or redone</source>
        <translation>Impossible d&apos;annuler&#xa0;: %1 a changé hors de Zorvak depuis sa modification&#xa0;; ses modifications ne peuvent donc plus être annulées ni rétablies</translation>
    </message>
    <message>
        <source>Cannot redo: %1 has changed outside Zorvak since it was edited, so its edits can no longer be undone or redone</source>
        <translation>Impossible de rétablir&#xa0;: %1 a changé hors de Zorvak depuis sa modification&#xa0;; ses modifications ne peuvent donc plus être annulées ni rétablies</translation>
    </message>
    <message>
        <source>This edit could not be undone: %1.

Make it all the same? The edits before it could then no longer be undone either.</source>
        <translation>Cette modification ne pourrait pas être annulée&#xa0;: %1.

La faire quand même&#xa0;? Les modifications précédentes ne pourraient alors plus être annulées non plus.</translation>
    </message>
</context>
<context>
    <name>zorvak::TExtractionRun</name>
    <message>
        <source>(an empty name)</source>
        <translation>(un nom vide)</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>et %1 de plus</translation>
    </message>
    <message>
        <source>1 entry was left out, as its name would not make a file inside the folder:</source>
        <translation>1 entrée a été omise, car son nom ne donnerait pas de fichier dans le dossier&#xa0;:</translation>
    </message>
    <message>
        <source>%1 entries were left out, as their names would not make files inside the folder:</source>
        <translation>%1 entrées ont été omises, car leurs noms ne donneraient pas de fichiers dans le dossier&#xa0;:</translation>
    </message>
    <message>
        <source>1 entry was passed over, as it names the same file as an earlier entry on this system:</source>
        <translation>1 entrée a été ignorée, car elle désigne sur ce système le même fichier qu&apos;une entrée précédente&#xa0;:</translation>
    </message>
    <message>
        <source>%1 entries were passed over, as each names the same file as an earlier entry on this system:</source>
        <translation>%1 entrées ont été ignorées, car chacune désigne sur ce système le même fichier qu&apos;une entrée précédente&#xa0;:</translation>
    </message>
    <message>
        <source>%1 (as %2)</source>
        <translation>%1 (comme %2)</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1&#xa0;: %2</translation>
    </message>
</context>
<context>
    <name>zorvak::TGauge</name>
    <message>
        <source>Value must be between %1 and %2</source>
        <translation>La valeur doit être comprise entre %1 et %2</translation>
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
        <translation>Impossible de charger le fichier</translation>
    </message>
    <message>
        <source>Cannot find ZorvHelp.rtf</source>
        <translation>ZorvHelp.rtf est introuvable</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>The help file: the arrow keys and Page Up and Page Down scroll it</source>
        <translation>Le fichier d&apos;aide&#xa0;: les touches fléchées, Pg préc et Pg suiv le font défiler</translation>
    </message>
</context>
<context>
    <name>zorvak::TOpenDialog</name>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
</context>
<context>
    <name>zorvak::TPreviewForm</name>
    <message>
        <source>%1 byte</source>
        <translation>%1 octet</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 octets</translation>
    </message>
    <message>
        <source>Lumps</source>
        <translation>Lumps</translation>
    </message>
    <message>
        <source>%1 lump</source>
        <translation>%1 lump</translation>
    </message>
    <message>
        <source>%1 lumps</source>
        <translation>%1 lumps</translation>
    </message>
    <message>
        <source>The picture container holds no lumps.</source>
        <translation>Le conteneur d&apos;images ne contient aucun lump.</translation>
    </message>
    <message>
        <source>Textures</source>
        <translation>Textures</translation>
    </message>
    <message>
        <source>%1 texture</source>
        <translation>%1 texture</translation>
    </message>
    <message>
        <source>%1 textures</source>
        <translation>%1 textures</translation>
    </message>
    <message>
        <source>The map holds no textures.</source>
        <translation>La carte ne contient aucune texture.</translation>
    </message>
    <message>
        <source>Skins</source>
        <translation>Skins</translation>
    </message>
    <message>
        <source>%1 skin</source>
        <translation>%1 skin</translation>
    </message>
    <message>
        <source>%1 skins</source>
        <translation>%1 skins</translation>
    </message>
    <message>
        <source>The model holds no skins.</source>
        <translation>Le modèle ne contient aucun skin.</translation>
    </message>
    <message>
        <source>Frames</source>
        <translation>Images</translation>
    </message>
    <message>
        <source>%1 frame</source>
        <translation>%1 image</translation>
    </message>
    <message>
        <source>%1 frames</source>
        <translation>%1 images</translation>
    </message>
    <message>
        <source>The sprite holds no frames.</source>
        <translation>Le sprite ne contient aucune image.</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>&amp;Zoom:</source>
        <translation>&amp;Zoom&#xa0;:</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>Ajuster</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Lire</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>&amp;Enregistrer sous...</translation>
    </message>
    <message>
        <source>&amp;3D View</source>
        <translation>Vue &amp;3D</translation>
    </message>
    <message>
        <source>Show the model or the map in 3D</source>
        <translation>Afficher le modèle ou la carte en 3D</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>No entry is chosen: click one in the list.</source>
        <translation>Aucune entrée choisie&#xa0;: cliquez sur une entrée de la liste.</translation>
    </message>
    <message>
        <source>No entry to show.</source>
        <translation>Aucune entrée à afficher.</translation>
    </message>
    <message>
        <source>Preview - %1</source>
        <translation>Aperçu - %1</translation>
    </message>
    <message>
        <source>Cannot read the entry: %1.</source>
        <translation>Impossible de lire l&apos;entrée&#xa0;: %1.</translation>
    </message>
    <message>
        <source>Cannot read the entry: Out of memory.</source>
        <translation>Impossible de lire l&apos;entrée&#xa0;: mémoire insuffisante.</translation>
    </message>
    <message>
        <source>in greys</source>
        <translation>en niveaux de gris</translation>
    </message>
    <message>
        <source>colours of %1</source>
        <translation>couleurs de %1</translation>
    </message>
    <message>
        <source>colours of this archive</source>
        <translation>couleurs de cette archive</translation>
    </message>
    <message>
        <source>The entry is larger than the preview reads (%1 MiB): its first %2 MiB are shown as bytes.</source>
        <translation>L&apos;entrée dépasse ce que l&apos;aperçu lit (%1&#xa0;Mio)&#xa0;: ses premiers %2&#xa0;Mio sont affichés en octets.</translation>
    </message>
    <message>
        <source>The entry is empty.</source>
        <translation>L&apos;entrée est vide.</translation>
    </message>
    <message>
        <source>Text, %1</source>
        <translation>Texte, %1</translation>
    </message>
    <message>
        <source>Not a text, picture or sound entry: shown as bytes.</source>
        <translation>Ni texte, ni image, ni son&#xa0;: affiché en octets.</translation>
    </message>
    <message>
        <source>Only the first %1 MiB of the text are shown.</source>
        <translation>Seuls les %1 premiers Mio du texte sont affichés.</translation>
    </message>
    <message>
        <source>%1 line</source>
        <translation>%1 ligne</translation>
    </message>
    <message>
        <source>%1 lines</source>
        <translation>%1 lignes</translation>
    </message>
    <message>
        <source>Cannot show this %1: %2.</source>
        <translation>Impossible d&apos;afficher cette entrée (%1)&#xa0;: %2.</translation>
    </message>
    <message>
        <source>Cannot read this sound: %1.</source>
        <translation>Impossible de lire ce son&#xa0;: %1.</translation>
    </message>
    <message>
        <source>none (plays once)</source>
        <translation>aucun (lu une fois)</translation>
    </message>
    <message>
        <source>frame %1 (%2)</source>
        <translation>trame %1 (%2)</translation>
    </message>
    <message>
        <source>Rate: %1 Hz    Bits: %2    Channels: %3    Format: %4
Length: %5 (%6)    Loop start: %7</source>
        <translation>Fréquence&#xa0;: %1 Hz    Bits&#xa0;: %2    Canaux&#xa0;: %3    Format&#xa0;: %4
Durée&#xa0;: %5 (%6)    Début de boucle&#xa0;: %7</translation>
    </message>
    <message>
        <source>Cannot show this picture: %1.</source>
        <translation>Impossible d&apos;afficher cette image&#xa0;: %1.</translation>
    </message>
    <message>
        <source>No reader for %1 pictures is installed: shown as bytes.</source>
        <translation>Aucun lecteur d&apos;images %1 n&apos;est installé&#xa0;: affiché en octets.</translation>
    </message>
    <message>
        <source>the toolkit reads only TGA 2.0 files, which end in their footer</source>
        <translation>la bibliothèque ne lit que les fichiers TGA 2.0, qui se terminent par leur pied de page</translation>
    </message>
    <message>
        <source>Cannot read this %1 picture: %2.</source>
        <translation>Impossible de lire cette image %1&#xa0;: %2.</translation>
    </message>
    <message>
        <source>%1 picture, %2</source>
        <translation>Image %1, %2</translation>
    </message>
    <message>
        <source>Only the first %1 of %2 are listed.</source>
        <translation>Seuls les %1 premiers sur %2 sont listés.</translation>
    </message>
    <message>
        <source>Cannot show %1: %2.</source>
        <translation>Impossible d&apos;afficher %1&#xa0;: %2.</translation>
    </message>
    <message>
        <source>Fit (%1x)</source>
        <translation>Ajuster (%1x)</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Enregistrer sous</translation>
    </message>
    <message>
        <source>PNG pictures (*.png)</source>
        <translation>Images PNG (*.png)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Entry %1 would overwrite the archive it is read from</source>
        <translation>L&apos;entrée %1 écraserait l&apos;archive d&apos;où elle est lue</translation>
    </message>
    <message>
        <source>Cannot show this in 3D: %1.</source>
        <translation>Impossible d&apos;afficher ceci en 3D&#xa0;: %1.</translation>
    </message>
    <message>
        <source>%1 triangles</source>
        <translation>%1 triangles</translation>
    </message>
    <message>
        <source>%1 is larger than the preview reads (%2 MiB)</source>
        <translation>%1 dépasse ce que l&apos;aperçu lit (%2&#xa0;Mio)</translation>
    </message>
    <message>
        <source>not in the archive</source>
        <translation>hors de l&apos;archive</translation>
    </message>
    <message>
        <source>damaged</source>
        <translation>endommagé</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>manquant</translation>
    </message>
    <message>
        <source>type %1</source>
        <translation>type %1</translation>
    </message>
    <message>
        <source>256 colours</source>
        <translation>256 couleurs</translation>
    </message>
    <message>
        <source>skin %1</source>
        <translation>skin %1</translation>
    </message>
    <message>
        <source>frame %1</source>
        <translation>image %1</translation>
    </message>
    <message>
        <source>texture %1</source>
        <translation>texture %1</translation>
    </message>
    <message>
        <source>%1 frame</source>
        <comment>of a sound</comment>
        <translation>%1 trame</translation>
    </message>
    <message>
        <source>%1 frames</source>
        <comment>of a sound</comment>
        <translation>%1 trames</translation>
    </message>
    <message>
        <source>The entry&apos;s name</source>
        <translation>Le nom de l&apos;entrée</translation>
    </message>
    <message>
        <source>What the entry is, and its size</source>
        <translation>Nature et taille de l&apos;entrée</translation>
    </message>
    <message>
        <source>What is left out, or why the entry is shown as it is</source>
        <translation>Ce qui est omis, ou pourquoi l&apos;entrée est affichée ainsi</translation>
    </message>
    <message>
        <source>What the list below holds</source>
        <translation>Ce que contient la liste ci-dessous</translation>
    </message>
    <message>
        <source>Parts</source>
        <translation>Parties</translation>
    </message>
    <message>
        <source>The lumps, textures, skins or frames the entry holds: choose one to show it</source>
        <translation>Les lumps, textures, skins ou images de l&apos;entrée&#xa0;: choisissez un élément pour l&apos;afficher</translation>
    </message>
    <message>
        <source>Why nothing else is shown</source>
        <translation>Pourquoi rien d&apos;autre n&apos;est affiché</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Texte</translation>
    </message>
    <message>
        <source>The entry as text: the mouse selects, Ctrl+C copies, Ctrl+A selects all</source>
        <translation>L&apos;entrée en texte&#xa0;: la souris sélectionne, Ctrl+C copie, Ctrl+A sélectionne tout</translation>
    </message>
    <message>
        <source>Copy the selected text</source>
        <translation>Copier le texte sélectionné</translation>
    </message>
    <message>
        <source>Select all the text</source>
        <translation>Sélectionner tout le texte</translation>
    </message>
    <message>
        <source>The picture, at the zoom chosen below</source>
        <translation>L&apos;image, au zoom choisi ci-dessous</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>The sound&apos;s format and length</source>
        <translation>Format et durée du son</translation>
    </message>
    <message>
        <source>Waveform</source>
        <translation>Forme d&apos;onde</translation>
    </message>
    <message>
        <source>The sound&apos;s samples; a mark shows where its loop starts</source>
        <translation>Les échantillons du son&#xa0;; une marque indique où commence sa boucle</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>Octets</translation>
    </message>
    <message>
        <source>The entry&apos;s bytes, in hex and as ASCII</source>
        <translation>Les octets de l&apos;entrée, en hexadécimal et en ASCII</translation>
    </message>
    <message>
        <source>The model or the map in 3D; the line below says which keys and mouse moves it takes</source>
        <translation>Le modèle ou la carte en 3D&#xa0;; la ligne ci-dessous indique les touches et mouvements de souris acceptés</translation>
    </message>
    <message>
        <source>Play or pause</source>
        <translation>Lire ou mettre en pause</translation>
    </message>
    <message>
        <source>The frame shown and its name</source>
        <translation>L&apos;image affichée et son nom</translation>
    </message>
    <message>
        <source>The keys and mouse moves the 3D view takes</source>
        <translation>Les touches et mouvements de souris de la vue 3D</translation>
    </message>
    <message>
        <source>The picture&apos;s size and format, the text&apos;s lines, or the count of bytes</source>
        <translation>Taille et format de l&apos;image, lignes du texte ou nombre d&apos;octets</translation>
    </message>
    <message>
        <source>How large the picture is drawn; Fit takes the room there is</source>
        <translation>Taille à laquelle l&apos;image est dessinée&#xa0;; Ajuster prend la place disponible</translation>
    </message>
    <message>
        <source>Play the sound</source>
        <translation>Lire le son</translation>
    </message>
    <message>
        <source>Save what is shown: a picture as PNG, anything else as its bytes</source>
        <translation>Enregistrer ce qui est affiché&#xa0;: une image en PNG, tout le reste en octets</translation>
    </message>
    <message>
        <source>Close the preview</source>
        <translation>Fermer l&apos;aperçu</translation>
    </message>
</context>
<context>
    <name>zorvak::TScenePage</name>
    <message>
        <source>The skin the model is drawn in</source>
        <translation>Le skin avec lequel le modèle est dessiné</translation>
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
        <translation>Lire ou mettre en pause les images du modèle</translation>
    </message>
    <message>
        <source>The frame shown</source>
        <translation>L&apos;image affichée</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Lire</translation>
    </message>
    <message>
        <source>Skin %1</source>
        <translation>Skin %1</translation>
    </message>
    <message>
        <source>Drag to turn, wheel to zoom, R to start again, X for wireframe</source>
        <translation>Faites glisser pour tourner, molette pour zoomer, R pour recommencer, X pour le fil de fer</translation>
    </message>
    <message>
        <source>W A S D to move, E and Q up and down, Shift to hurry, drag to look, X for wireframe, R to start again</source>
        <translation>W A S D pour se déplacer, E et Q pour monter et descendre, Maj pour accélérer, glisser pour regarder, X pour le fil de fer, R pour recommencer</translation>
    </message>
    <message>
        <source>Frame %1: %2</source>
        <translation>Image %1&#xa0;: %2</translation>
    </message>
</context>
<context>
    <name>zorvak::TSceneView</name>
    <message>
        <source>3D view</source>
        <translation>Vue 3D</translation>
    </message>
</context>
<context>
    <name>zorvak::TSelectMatchingDialog</name>
    <message>
        <source>%1 entry</source>
        <translation>%1 entrée</translation>
    </message>
    <message>
        <source>%1 entries</source>
        <translation>%1 entrées</translation>
    </message>
    <message>
        <source>Select Matching</source>
        <translation>Sélectionner par motif</translation>
    </message>
    <message>
        <source>&amp;Pattern:</source>
        <translation>&amp;Motif&#xa0;:</translation>
    </message>
    <message>
        <source>Part of a name, or a pattern with * (any characters) and ? (one character).
Letter case is ignored.</source>
        <translation>Une partie d&apos;un nom, ou un motif avec * (des caractères quelconques) et ? (un caractère).
La casse est ignorée.</translation>
    </message>
    <message>
        <source>&amp;Select</source>
        <translation>&amp;Sélectionner</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>No entry matches</source>
        <translation>Aucune entrée ne correspond</translation>
    </message>
    <message>
        <source>%1 match of %2</source>
        <translation>%1 correspondance sur %2</translation>
    </message>
    <message>
        <source>%1 matches of %2</source>
        <translation>%1 correspondances sur %2</translation>
    </message>
    <message>
        <source>Selected %1 of %2</source>
        <translation>Sélection&#xa0;: %1 sur %2</translation>
    </message>
    <message>
        <source>The names to select: part of a name, or a pattern with * and ?</source>
        <translation>Les noms à sélectionner&#xa0;: une partie d&apos;un nom, ou un motif avec * et ?</translation>
    </message>
    <message>
        <source>How a pattern is written</source>
        <translation>Comment écrire un motif</translation>
    </message>
    <message>
        <source>How many entries the pattern matches</source>
        <translation>Nombre d&apos;entrées correspondant au motif</translation>
    </message>
    <message>
        <source>Select the matching entries in the list</source>
        <translation>Sélectionner les entrées correspondantes dans la liste</translation>
    </message>
    <message>
        <source>Close this window</source>
        <translation>Fermer cette fenêtre</translation>
    </message>
</context>
<context>
    <name>zorvak::TTextView</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copier</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>&amp;Tout sélectionner</translation>
    </message>
</context>
<context>
    <name>zorvak::TVelAboutBox</name>
    <message>
        <source>Version: </source>
        <translation>Version&#xa0;: </translation>
    </message>
    <message>
        <source>Some sort of Error Occurred!</source>
        <translation>Une erreur s&apos;est produite&#xa0;!</translation>
    </message>
</context>
<context>
    <name>zorvak::TWave</name>
    <message>
        <source>Out of memory while expanding memory stream</source>
        <translation>Mémoire insuffisante lors de l&apos;agrandissement du flux mémoire</translation>
    </message>
</context>
<context>
    <name>zorvak::TWaveformView</name>
    <message>
        <source>loop</source>
        <translation>boucle</translation>
    </message>
</context>
<context>
    <name>zorvak::TZorvakForm</name>
    <message>
        <source>Files:</source>
        <translation>Fichiers&#xa0;:</translation>
    </message>
    <message>
        <source>Extract</source>
        <translation>Extraire</translation>
    </message>
    <message>
        <source>Extract All</source>
        <translation>Tout
extraire</translation>
    </message>
    <message>
        <source>Extracting</source>
        <translation>Extraction</translation>
    </message>
    <message>
        <source>Done !</source>
        <translation>Terminé&#xa0;!</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Lire</translation>
    </message>
    <message>
        <source>Build PAK</source>
        <translation>Créer un PAK</translation>
    </message>
    <message>
        <source>Zorvak version 1.3</source>
        <translation>Zorvak version 1.3</translation>
    </message>
    <message>
        <source>Made by the Zorvak developers.</source>
        <translation>Par les développeurs de Zorvak.</translation>
    </message>
    <message>
        <source>Press F1 for help.</source>
        <translation>Appuyez sur F1 pour l&apos;aide.</translation>
    </message>
    <message>
        <source>Comments, suggestions welcome.</source>
        <translation>Remarques et idées bienvenues.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Open Pak File</source>
        <translation>&amp;Ouvrir un fichier PAK</translation>
    </message>
    <message>
        <source>Extract &amp;To...</source>
        <translation>&amp;Extraire vers...</translation>
    </message>
    <message>
        <source>Extract A&amp;ll To...</source>
        <translation>Extraire &amp;tout vers...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>É&amp;dition</translation>
    </message>
    <message>
        <source>Add &amp;Files...</source>
        <translation>Ajouter des &amp;fichiers...</translation>
    </message>
    <message>
        <source>Add F&amp;older...</source>
        <translation>Ajouter un &amp;dossier...</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>&amp;Rename...</source>
        <translation>&amp;Renommer...</translation>
    </message>
    <message>
        <source>&amp;Compact</source>
        <translation>&amp;Compacter</translation>
    </message>
    <message>
        <source>Write the archive anew without the bytes that deleted and replaced entries left</source>
        <translation>Réécrire l&apos;archive sans les octets laissés par les entrées supprimées ou remplacées</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Affichage</translation>
    </message>
    <message>
        <source>&amp;Preview Entry</source>
        <translation>&amp;Aperçu de l&apos;entrée</translation>
    </message>
    <message>
        <source>&amp;Select Matching...</source>
        <translation>&amp;Sélectionner par motif...</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Aid&amp;e</translation>
    </message>
    <message>
        <source>&amp;Help File</source>
        <translation>&amp;Fichier d&apos;aide</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>À &amp;propos de Zorvak</translation>
    </message>
    <message>
        <source>Quake Pak Files (*.pak)</source>
        <translation>Fichiers PAK de Quake (*.pak)</translation>
    </message>
    <message>
        <source>All files (*.*) </source>
        <translation>Tous les fichiers (*.*) </translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 octets</translation>
    </message>
    <message>
        <source>Extract All To</source>
        <translation>Tout extraire vers</translation>
    </message>
    <message>
        <source>Extract To</source>
        <translation>Extraire vers</translation>
    </message>
    <message>
        <source>Add to Archive</source>
        <translation>Ajouter à l&apos;archive</translation>
    </message>
    <message>
        <source>Store under the folder:</source>
        <translation>Ranger dans le dossier&#xa0;:</translation>
    </message>
    <message>
        <source>Open an archive to add files to it</source>
        <translation>Ouvrez une archive pour y ajouter des fichiers</translation>
    </message>
    <message>
        <source>Add Files</source>
        <translation>Ajouter des fichiers</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ajouter un dossier</translation>
    </message>
    <message>
        <source>Store its files under the folder:</source>
        <translation>Ranger ses fichiers dans le dossier&#xa0;:</translation>
    </message>
    <message>
        <source>Delete 1 entry from %1?</source>
        <translation>Supprimer 1 entrée de %1&#xa0;?</translation>
    </message>
    <message>
        <source>Delete %1 entries from %2?</source>
        <translation>Supprimer %1 entrées de %2&#xa0;?</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Renommer</translation>
    </message>
    <message>
        <source>New name:</source>
        <translation>Nouveau nom&#xa0;:</translation>
    </message>
    <message>
        <source>Open an archive to compact it</source>
        <translation>Ouvrez une archive pour la compacter</translation>
    </message>
    <message>
        <source>How many entries the open archive holds</source>
        <translation>Nombre d&apos;entrées de l&apos;archive ouverte</translation>
    </message>
    <message>
        <source>Entries</source>
        <translation>Entrées</translation>
    </message>
    <message>
        <source>The entries of the open archive: click to choose, Space to preview, drag out to extract</source>
        <translation>Les entrées de l&apos;archive ouverte&#xa0;: cliquez pour choisir, Espace pour l&apos;aperçu, glissez hors de la fenêtre pour extraire</translation>
    </message>
    <message>
        <source>Extract the selected entries into the archive&apos;s folder</source>
        <translation>Extraire les entrées sélectionnées dans le dossier de l&apos;archive</translation>
    </message>
    <message>
        <source>Extract every entry into the archive&apos;s folder</source>
        <translation>Extraire toutes les entrées dans le dossier de l&apos;archive</translation>
    </message>
    <message>
        <source>The entry chosen or being extracted, and how far the extraction has got</source>
        <translation>L&apos;entrée choisie ou en cours d&apos;extraction, et l&apos;avancement de l&apos;extraction</translation>
    </message>
    <message>
        <source>The entry chosen or being extracted</source>
        <translation>L&apos;entrée choisie ou en cours d&apos;extraction</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progression</translation>
    </message>
    <message>
        <source>How much of the entry has been extracted</source>
        <translation>Part de l&apos;entrée déjà extraite</translation>
    </message>
    <message>
        <source>The extraction has finished</source>
        <translation>L&apos;extraction est terminée</translation>
    </message>
    <message>
        <source>The size of the entry</source>
        <translation>La taille de l&apos;entrée</translation>
    </message>
    <message>
        <source>Play the chosen entry, a sound</source>
        <translation>Lire l&apos;entrée choisie, un son</translation>
    </message>
    <message>
        <source>Pack a folder&apos;s tree into a new archive</source>
        <translation>Empaqueter l&apos;arborescence d&apos;un dossier dans une nouvelle archive</translation>
    </message>
    <message>
        <source>Zorvak, the tool for PAK archives</source>
        <translation>Zorvak, l&apos;outil pour les archives PAK</translation>
    </message>
    <message>
        <source>Program picture</source>
        <translation>Image du programme</translation>
    </message>
    <message>
        <source>About Zorvak</source>
        <translation>À propos de Zorvak</translation>
    </message>
    <message>
        <source>The program&apos;s version, and where to find help</source>
        <translation>La version du programme, et où trouver de l&apos;aide</translation>
    </message>
    <message>
        <source>The program&apos;s name and version</source>
        <translation>Nom et version du programme</translation>
    </message>
    <message>
        <source>Who made the program</source>
        <translation>Qui a réalisé le programme</translation>
    </message>
    <message>
        <source>F1 opens the help file</source>
        <translation>F1 ouvre le fichier d&apos;aide</translation>
    </message>
    <message>
        <source>The makers welcome comments and suggestions</source>
        <translation>Les créateurs accueillent volontiers commentaires et suggestions</translation>
    </message>
    <message>
        <source>Open an archive and list its entries</source>
        <translation>Ouvrir une archive et lister ses entrées</translation>
    </message>
    <message>
        <source>Extract the selected entries into a folder you choose</source>
        <translation>Extraire les entrées sélectionnées dans un dossier de votre choix</translation>
    </message>
    <message>
        <source>Extract every entry into a folder you choose</source>
        <translation>Extraire toutes les entrées dans un dossier de votre choix</translation>
    </message>
    <message>
        <source>Close Zorvak</source>
        <translation>Quitter Zorvak</translation>
    </message>
    <message>
        <source>Add files to the open archive</source>
        <translation>Ajouter des fichiers à l&apos;archive ouverte</translation>
    </message>
    <message>
        <source>Add a folder, with everything in it, to the open archive</source>
        <translation>Ajouter un dossier, avec tout son contenu, à l&apos;archive ouverte</translation>
    </message>
    <message>
        <source>Delete the selected entries from the archive</source>
        <translation>Supprimer de l&apos;archive les entrées sélectionnées</translation>
    </message>
    <message>
        <source>Give the chosen entry a new name</source>
        <translation>Donner un nouveau nom à l&apos;entrée choisie</translation>
    </message>
    <message>
        <source>Show the chosen entry in the preview window, or close it</source>
        <translation>Afficher l&apos;entrée choisie dans la fenêtre d&apos;aperçu, ou fermer celle-ci</translation>
    </message>
    <message>
        <source>Select the entries whose names match a pattern</source>
        <translation>Sélectionner les entrées dont le nom correspond à un motif</translation>
    </message>
    <message>
        <source>Open the help file</source>
        <translation>Ouvrir le fichier d&apos;aide</translation>
    </message>
    <message>
        <source>Show the program&apos;s version and date</source>
        <translation>Afficher la version et la date du programme</translation>
    </message>
    <message>
        <source>Give back the archive as it was before the last edit</source>
        <translation>Rendre l&apos;archive telle qu&apos;elle était avant la dernière modification</translation>
    </message>
    <message>
        <source>Make the edit that was undone again</source>
        <translation>Refaire la modification annulée</translation>
    </message>
    <message>
        <source>&amp;%1 %2</source>
        <translation>&amp;%1 %2</translation>
    </message>
    <message>
        <source>Open %1 again</source>
        <translation>Rouvrir %1</translation>
    </message>
    <message>
        <source>%1 is not there any more. It is taken off the list of recent archives.</source>
        <translation>%1 n&apos;existe plus. Ce fichier est retiré de la liste des archives récentes.</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>Ré&amp;tablir</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Ajouter</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Remplacer</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>&amp;Undo %1</source>
        <translation>&amp;Annuler&#xa0;: %1</translation>
    </message>
    <message>
        <source>&amp;Redo %1</source>
        <translation>Ré&amp;tablir&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>zorvak::main</name>
    <message>
        <source>zorvak: unknown option %1
Try &apos;zorvak --help&apos;.
</source>
        <translation>zorvak&#xa0;: option inconnue %1
Essayez «&#xa0;zorvak --help&#xa0;».
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
        <translation>utilisation&#xa0;: zorvak [FICHIER]

Ouvre la fenêtre de Zorvak et, si FICHIER est donné, l&apos;archive PAK FICHIER.

  --help            ce texte
  --version         la version du programme
  --reset-settings  oublier les archives récentes, les dossiers et les
                    positions des fenêtres que ce programme mémorise,
                    puis démarrer normalement

zorvak-pak fait de même pour les scripts&#xa0;; voir «&#xa0;zorvak-pak --help&#xa0;».
</translation>
    </message>
    <message>
        <source>zorvak: option %1 needs a value
Try &apos;zorvak --help&apos;.
</source>
        <translation>zorvak&#xa0;: l&apos;option %1 attend une valeur
Essayez «&#xa0;zorvak --help&#xa0;».
</translation>
    </message>
</context>
</TS>
