#include "cli/HelpTexts.h"

namespace zorvak {

const char* const kUsage =
    "usage: zorvak-pak COMMAND ...\n"
    "\n"
    "  list ARCHIVE [-l]                  names of the entries; -l adds position,\n"
    "                                     length and a total line\n"
    "  extract ARCHIVE [-C DIR] [-i PATTERN]... [--no-clobber] [--png] [NAME...]\n"
    "                                     all, the named or the matching entries\n"
    "                                     into DIR (default: the current directory);\n"
    "                                     --png adds their pictures as PNG files\n"
    "  cat ARCHIVE NAME                   one entry's bytes to standard output\n"
    "  info ARCHIVE NAME...               what the named entries hold\n"
    "  build DIR -o ARCHIVE [--sorted]    pack the tree below DIR; --sorted stores\n"
    "                                     files in name order, byte for byte the\n"
    "                                     same archive whatever the disk's order\n"
    "  verify ARCHIVE                     report what would break in a game engine\n"
    "  add ARCHIVE FILE... [--as NAME] [--prefix DIR/] [--dry-run] [--compact]\n"
    "                                     store files (a folder: its tree) in it\n"
    "  rm ARCHIVE PATTERN... [--dry-run] [--compact]\n"
    "                                     delete the matching entries\n"
    "  mv ARCHIVE OLD NEW [--dry-run] [--compact]\n"
    "                                     rename an entry\n"
    "  compact ARCHIVE [--dry-run]        rewrite it without the bytes that edits\n"
    "                                     left unused\n"
    "\n"
    "An ARCHIVE is a PAK (Quake's, SiN's or Daikatana's), a ZIP (.pk3, .zip) or\n"
    "a WAD2/WAD3 file, known by its first bytes; the edits take PAKs and ZIPs.\n"
    "\n"
    "'zorvak-pak COMMAND --help' tells more of one command; --version prints\n"
    "the version.\n"
    "\n"
    "Exit status: 0 done and clean, 1 failures or problems found (an archive in\n"
    "use by another program too), 2 bad usage or input that is no archive at all,\n"
    "130/143 stopped by SIGINT/SIGTERM (nothing half-written is left). Messages\n"
    "go to standard error.\n";

const char* const kListHelp =
    "usage: zorvak-pak list ARCHIVE [-l] [-0]\n"
    "\n"
    "Writes the names of the entries, one a line, in the archive's order.\n"
    "\n"
    "  -l         each line starts with the entry's position and length; a\n"
    "             last line counts the entries and their bytes\n"
    "  -0, --null end each line with a NUL byte instead of a newline and write\n"
    "             names as stored, control characters too, for scripts (a\n"
    "             terminal still sees them escaped)\n";

const char* const kExtractHelp =
    "usage: zorvak-pak extract ARCHIVE [-C DIR] [-i PATTERN]... [--no-clobber] [--png]\n"
    "                          [--sync] [NAME...]\n"
    "\n"
    "Writes entries into files below DIR, making the directories their names\n"
    "need: every entry, or those named and those matching a pattern.\n"
    "\n"
    "  -C DIR         write below DIR (default: the current directory)\n"
    "  -i PATTERN     the entries whose names match PATTERN, ignoring the case of\n"
    "                 ASCII letters; may be given more than once. * matches any\n"
    "                 run of bytes, \"/\" included (so 'sound/*.wav' matches\n"
    "                 sound/ambience/wind.wav too), ? one byte, [...] one byte of\n"
    "                 a set ([!...] one not in it), \\ takes the next byte as it\n"
    "                 is. Quote patterns so the shell leaves them alone.\n"
    "  --no-clobber   keep files that exist already and name each one on\n"
    "                 standard error; a kept file is no failure\n"
    "  --sync         every file written is on the disk when the run ends\n"
    "  --png          also write the pictures an entry holds as PNG files beside\n"
    "                 its file: NAME.png for a picture (gfx/conback.lmp.png),\n"
    "                 NAME.png.d/PICTURE.png for each of a picture container's\n"
    "                 lumps, a map's textures, a model's skins and a sprite's\n"
    "                 frames, bytes of their names other than letters, digits,\n"
    "                 \"-\", \"_\", \"+\" and \".\" written %HH. Colours come from the\n"
    "                 archive's gfx/palette.lmp, else from the pak0.pak beside it,\n"
    "                 else grey levels (said once). The first 10,000 pictures of\n"
    "                 an entry are written (said when it holds more), none when\n"
    "                 the disk may not have room for them all\n"
    "  NAME           an entry by its exact name\n"
    "\n"
    "Of a name stored more than once, the first entry is written, as the game\n"
    "reads it. An entry whose name would land outside DIR is refused. A file\n"
    "that is there is replaced only by a complete copy. A file a stopped run\n"
    "left incomplete in DIR is removed (and said) before the next run there.\n";

const char* const kCatHelp =
    "usage: zorvak-pak cat ARCHIVE NAME\n"
    "\n"
    "Writes the bytes of one entry to standard output and nothing else: the\n"
    "first entry named exactly NAME, else the first whose name differs from it\n"
    "only in the case of ASCII letters.\n";

const char* const kInfoHelp =
    "usage: zorvak-pak info ARCHIVE NAME...\n"
    "\n"
    "Tells what each named entry holds, as the preview does: a line with its\n"
    "name, length and position, then its kind and size (a picture's width and\n"
    "height, a sound's format and length) and, below it, a picture container's\n"
    "lumps, a map's textures, a model's skins and frames or a sprite's frames,\n"
    "each list cut after 10,000 lines with one that counts the rest. Only\n"
    "headers are read: no picture is decoded to tell its size. NAME is found\n"
    "as cat finds it.\n";

const char* const kBuildHelp =
    "usage: zorvak-pak build DIR -o ARCHIVE [--sorted]\n"
    "\n"
    "Packs the files below DIR into a new archive, named by their paths below\n"
    "DIR in lower case. An archive already at ARCHIVE is replaced only once the\n"
    "new one is complete, and is never packed into it. An ARCHIVE ending in\n"
    ".pk3 or .zip is a ZIP, each file deflated (stored when that saves nothing).\n"
    "\n"
    "  -o ARCHIVE   the archive to write\n"
    "  --sorted     store the files in name order (in a ZIP, all at one time):\n"
    "               byte for byte the same archive whatever order the disk\n"
    "               lists them in\n";

const char* const kAddHelp =
    "usage: zorvak-pak add ARCHIVE FILE... [--as NAME] [--prefix DIR/] [--dry-run]\n"
    "                      [--compact]\n"
    "\n"
    "Stores files in the archive under their own names, A-Z in lower case; a\n"
    "folder stores the files of its tree under their paths below it, passing\n"
    "over what build passes over. A name stored already is replaced in place.\n"
    "Prints one line per change (\"added NAME\", \"replaced NAME\").\n"
    "\n"
    "  --as NAME      store the one FILE under NAME, exactly as typed\n"
    "  --prefix DIR/  store every name below DIR/\n"
    "  --dry-run      print what would change (\"would add NAME\") and change\n"
    "                 nothing\n"
    "  --compact      write the archive anew without the bytes it no longer uses\n"
    "\n"
    "An edit appends the new bytes and a new directory to the archive and\n"
    "then points its header at them: at every moment the archive is the old\n"
    "one or the new one. Bytes it no longer uses (deleted or replaced\n"
    "entries' data, old directories) stay in the file until it is compacted,\n"
    "which an edit does by itself once they would pass half the file, and\n"
    "which --compact forces. A compacting edit, and any edit of an archive\n"
    "another hard link leads to, writes the archive anew beside the old one,\n"
    "which it replaces only when complete. While an edit runs no other\n"
    "program may open the archive. When any part of the request cannot be\n"
    "done, nothing is changed and the status is 1.\n";

const char* const kRmHelp =
    "usage: zorvak-pak rm ARCHIVE PATTERN... [--dry-run] [--compact]\n"
    "\n"
    "Deletes every entry whose name matches a PATTERN, as extract -i matches\n"
    "(letter case ignored, * crossing \"/\"), a name stored twice included.\n"
    "Prints \"deleted NAME\" for each. A pattern that matches nothing changes\n"
    "nothing and the status is 1.\n"
    "\n"
    "  --dry-run   print what would change and change nothing\n"
    "  --compact   write the archive anew without the bytes it no longer uses:\n"
    "              the deleted entries' bytes are gone from the file at once\n"
    "\n"
    "Without --compact the deleted entries' bytes stay in the file, unused,\n"
    "until it is compacted: use it when what is deleted must not be read\n"
    "again from the file.\n";

const char* const kMvHelp =
    "usage: zorvak-pak mv ARCHIVE OLD NEW [--dry-run] [--compact]\n"
    "\n"
    "Renames the entry OLD, found as cat finds it, to NEW, stored exactly as\n"
    "typed. Prints \"renamed OLD -> NEW\". A NEW that another entry has\n"
    "already (letter case ignored) changes nothing and the status is 1.\n"
    "\n"
    "  --dry-run   print what would change and change nothing\n"
    "  --compact   write the archive anew without the bytes it no longer uses\n";

const char* const kCompactHelp =
    "usage: zorvak-pak compact ARCHIVE [--dry-run]\n"
    "\n"
    "Writes the archive anew in the layout build gives, without the bytes\n"
    "that edits left unused, and says how many it freed (\"compacted ARCHIVE:\n"
    "N bytes freed\"). The new archive takes the old one's place only when\n"
    "complete. An archive with nothing unused is left as it is.\n"
    "\n"
    "  --dry-run   say how many bytes it would free and change nothing\n";

const char* const kVerifyHelp =
    "usage: zorvak-pak verify ARCHIVE\n"
    "\n"
    "Reports, one line each on standard error, what would break in a game\n"
    "engine: a directory that does not fit the file, data outside it, names\n"
    "the engine cannot store or find, duplicates, overlapping entries, more\n"
    "entries than it loads. Then one line on standard output counts the\n"
    "entries and the problems, and the bytes no entry uses when there are\n"
    "any: what edits left behind, no damage, freed by compact. The status is\n"
    "1 when there are problems.\n";

} // namespace zorvak
