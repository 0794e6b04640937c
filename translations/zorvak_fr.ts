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
</context>
<context>
    <name>zorvak::main</name>
    <message>
        <source>usage: zorvak [FILE]

Opens the Zorvak window, and the PAK archive FILE in it when one is named.

  --help      this text
  --version   the program&apos;s version

zorvak-pak does the same work from scripts; see &apos;zorvak-pak --help&apos;.
</source>
        <translation>usage&#xa0;: zorvak [FICHIER]

Ouvre la fenêtre de Zorvak, et dedans l&apos;archive PAK FICHIER quand elle est nommée.

  --help      ce texte
  --version   la version du programme

zorvak-pak fait le même travail depuis des scripts&#xa0;; voir «&#xa0;zorvak-pak --help&#xa0;».
</translation>
    </message>
    <message>
        <source>zorvak: unknown option %1
Try &apos;zorvak --help&apos;.
</source>
        <translation>zorvak&#xa0;: option inconnue %1
Essayez «&#xa0;zorvak --help&#xa0;».
</translation>
    </message>
</context>
</TS>
