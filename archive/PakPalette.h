// The palette rule: where palette pictures take their colours from.
#pragma once

#include "archive/PakReader.h"
#include "formats/EntryKind.h"
#include "formats/Picture.h"
#include "framework/Files.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zorvak {

// The game's base archive, looked in beside the archive.
inline constexpr const char* kBasePakName = "pak0.pak";

enum class TPaletteSource { psArchive, psBeside, psGrey };

struct TFoundPalette {
    TPalette Colours;
    // The entry looked for, by the game whose palette was asked for.
    const char* EntryName = kPaletteEntryName;
    TPaletteSource Source = TPaletteSource::psGrey;
    // What could not be read on the way, one line each ("this archive's
    // gfx/palette.lmp: ...", "<path of pak0.pak>: ...").
    std::vector<std::string> Problems;
    // False when a file could not be opened just now (held by a run, say):
    // worth asking again later rather than remembering the greys.
    bool Final = true;
};

// gfx/palette.lmp of the open archive (archive, whose index is entries,
// found at archivePath), else of the pak0.pak beside it (that name, else one
// differing only in letter case; opened with baseMode; never the archive
// itself), else a grey ramp. Never throws a TFailure: what cannot be read is
// in Problems, and the search goes on. For Quake II's pictures the same,
// with the palette of pics/colormap.pcx.
TFoundPalette FindArchivePalette(const TLockedFile& archive, const TPakEntries& entries,
                                 const std::filesystem::path& archivePath, TShareMode baseMode,
                                 TPaletteGame game = TPaletteGame::pgQuake);

// The line that says greys are used and why.
std::string NoPaletteNote(const TFoundPalette& palette);

} // namespace zorvak
