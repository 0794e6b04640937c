#include "archive/PakPalette.h"

#include "archive/PakExtract.h"
#include "archive/PakNames.h"
#include "formats/Lmp.h"
#include "formats/Pcx.h"
#include "formats/Wad2.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>

namespace zorvak {

namespace {

// A colour map's picture is 256 x 320 or so; anything past this is no
// palette's carrier and is not read.
constexpr std::int32_t kMaxColormapPictureBytes = 4 * 1024 * 1024;

// Only the 768 bytes the palette needs are read, whatever the entry claims;
// of Quake II's colour map, the whole picture, whose palette closes it.
TPalette ReadPaletteEntry(const TLockedFile& archive, const TPakEntry& entry, TPaletteGame game) {
    CheckEntryBounds(entry, archive.Size());
    TPakEntry head = entry;
    if (game == TPaletteGame::pgQuake2) {
        if (entry.FileLength > kMaxColormapPictureBytes)
            throw TFailure(Tr("too large for a colour map's picture"));
        const TPcxPicture picture = ReadPcx(ReadEntryBytes(archive, entry));
        if (!picture.Indexed)
            throw TFailure(Tr("a 24-bit picture holds no palette"));
        return picture.Palette;
    }
    head.FileLength = std::min(entry.FileLength, static_cast<std::int64_t>(kPaletteBytes));
    return ReadPalette(ReadEntryBytes(archive, head));
}

// The pak0.pak in dir: that name, else one differing only in letter case;
// empty when there is none.
std::string BasePakNameIn(const TDirectory& dir) {
    TFileKind kind = TFileKind::fkUnknown;
    TFileIdentity identity;
    if (dir.StatusOf(kBasePakName, true, kind, identity) == 0)
        return kBasePakName;
    std::vector<TDirEntry> names;
    if (dir.List(names) != 0)
        return {};
    for (const TDirEntry& entry : names)
        if (SameTextAscii(entry.Name, kBasePakName))
            return entry.Name;
    return {};
}

// The palette entry of an archive, if it has a readable one; where is the
// archive's path in a problem, empty for the archive at hand.
bool PaletteIn(const TLockedFile& file, const TPakEntries& entries, const std::string& where,
               TFoundPalette& found, TPaletteSource source, TPaletteGame game) {
    auto entry = FirstEntryNamed(entries, found.EntryName);
    // A WAD opened as an archive (gfx.wad) keeps the palette as a lump.
    if (!entry && game == TPaletteGame::pgQuake) {
        entry = FirstEntryNamed(entries, kWadPaletteLumpName);
        if (entry) {
            const TEntryCoding* coding = entries[*entry].Coding;
            if (coding == nullptr || !coding->Lump || coding->LumpType != kWadTypePalette)
                entry.reset();
        }
    }
    if (!entry)
        return false;
    try {
        found.Colours = ReadPaletteEntry(file, entries[*entry], game);
        found.Source = source;
        return true;
    } catch (const TFailure& failure) {
        const std::string_view name = entries[*entry].Name;
        found.Problems.push_back(
            where.empty() ? FormatText(Tr("this archive's {1}: {2}"), name, failure.what())
                          : where + ": " + std::string(name) + ": " + failure.what());
        return false;
    }
}

} // namespace

TFoundPalette FindArchivePalette(const TLockedFile& archive, const TPakEntries& entries,
                                 const std::filesystem::path& archivePath, TShareMode baseMode,
                                 TPaletteGame game) {
    TFoundPalette found;
    found.EntryName = PaletteEntryNameOf(game);
    if (PaletteIn(archive, entries, "", found, TPaletteSource::psArchive, game))
        return found;
    const std::filesystem::path dirPath = archivePath.parent_path();
    std::string name;
    try {
        const TDirectory dir = TDirectory::Open(dirPath);
        name = BasePakNameIn(dir);
        // The archive itself has been looked in already; it is held open
        // meanwhile, so it is known by its identity before any open.
        TFileIdentity there;
        if (!name.empty() && IdentityAt(dir, name, there) &&
            !there.SameFileAs(archive.Identity())) {
            const std::string where = (dirPath / name).string();
            TLockedFile base(dir, name, where, baseMode);
            if (!HasPakSignature(base))
                throw TFailure(Tr(kNotAPakFile));
            const TPakIndex index = ReadPakIndex(base);
            if (PaletteIn(base, index.Entries, where, found, TPaletteSource::psBeside, game))
                return found;
        }
    } catch (const TFailure& failure) {
        // Held by another program or a run of ours: worth asking again later.
        found.Final = false;
        found.Problems.push_back((dirPath / (name.empty() ? kBasePakName : name)).string() + ": " +
                                 failure.what());
    }
    found.Colours = GreyPalette();
    found.Source = TPaletteSource::psGrey;
    return found;
}

std::string NoPaletteNote(const TFoundPalette& palette) {
    std::string why;
    for (const std::string& problem : palette.Problems)
        why += (why.empty() ? "" : "; ") + problem;
    if (why.empty())
        why = FormatText(Tr("{1} is in neither this archive nor a {2} beside it"),
                         palette.EntryName, kBasePakName);
    return FormatText(Tr("No palette found ({1}): shown in greys"), why);
}

} // namespace zorvak
