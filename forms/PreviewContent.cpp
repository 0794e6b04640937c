#include "forms/PreviewContent.h"

#include "framework/Failures.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace zorvak {

namespace {

constexpr std::size_t kTextSniffBytes = 64 * 1024;

std::string Size(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

std::string PartName(const char* what, const TEntryPart& part) {
    return std::string(what) + " " + std::to_string(part.Index) +
           (part.InGroup ? "." + std::to_string(part.Member) : "");
}

// What the list shows beside a part's name.
std::string Detail(TPartList list, const TEntryPart& part) {
    switch (list) {
    case TPartList::plNone:
        return {};
    case TPartList::plTextures:
        if (part.NotFound)
            return "not in the archive";
        if (part.Damaged)
            return "damaged";
        return part.Picture ? Size(part.Width, part.Height) : "missing";
    case TPartList::plLumps:
        break;
    default:
        return Size(part.Width, part.Height);
    }
    if (part.Damaged)
        return "damaged";
    if (!part.Picture) {
        char type[8];
        std::snprintf(type, sizeof type, "0x%02X", part.LumpType);
        return "type " + std::string(type);
    }
    if (part.Source.Coding == TPartCoding::pcPalette)
        return "256 colours";
    return Size(part.Width, part.Height);
}

std::string Named(TPartList list, const TEntryPart& part) {
    switch (list) {
    case TPartList::plSkins:
        return PartName("skin", part);
    case TPartList::plFrames:
        return PartName("frame", part);
    case TPartList::plTextures:
        return part.Picture ? part.Name : "texture " + std::to_string(part.Index);
    default:
        return part.Name;
    }
}

} // namespace

TPreviewPalette FindPreviewPalette(const TLockedFile& archive, const TPakEntries& entries,
                                   const std::filesystem::path& archivePath, TPaletteGame game) {
    const TFoundPalette found =
        FindArchivePalette(archive, entries, archivePath, TShareMode::smExclusive, game);
    return {found.Colours, found.Source,
            found.Source == TPaletteSource::psGrey ? NoPaletteNote(found) : std::string(),
            found.Final};
}

bool UsesPalette(TEntryKind kind) {
    return NeedsPalette(kind);
}

bool LooksLikeText(std::span<const unsigned char> bytes) {
    if (bytes.empty())
        return false;
    const auto sample = bytes.first(std::min(bytes.size(), kTextSniffBytes));
    return std::none_of(sample.begin(), sample.end(), [](unsigned char c) {
        return (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 0x7F;
    });
}

std::size_t TextShownLength(std::span<const unsigned char> bytes, std::size_t limit) {
    if (bytes.size() <= limit)
        return bytes.size();
    std::size_t n = limit;
    // Back over continuation bytes to the start of the character cut.
    for (int i = 0; i < 3 && n > 0 && (bytes[n] & 0xC0) == 0x80; ++i)
        --n;
    return n;
}

TPictureSet PicturesOf(TEntryKind kind, std::string_view name, std::span<const unsigned char> bytes,
                       const TPalette& colours, const TEntryLookup& lookup) {
    const TEntryParts parts = ListEntryParts(kind, name, bytes, {}, lookup);
    TPictureSet set;
    set.List = parts.List;
    set.TotalParts = parts.Total;
    // Shared by the parts' decoders, which may outlive the caller's palette.
    const auto palette = std::make_shared<const TPalette>(colours);
    for (const TEntryPart& part : parts.Parts) {
        // A PCX or TGA picture that cannot be read is no picture at all to
        // show.
        if ((kind == TEntryKind::ekPcx || kind == TEntryKind::ekTga) && !part.Problem.empty())
            throw TFailure(part.Problem);
        TPicturePart shown;
        shown.Name = Named(parts.List, part);
        shown.Detail = Detail(parts.List, part);
        shown.Format = part.Format;
        shown.InPalette = part.InPalette;
        shown.GridCell = part.GridCell;
        if (part.Picture) {
            shown.Decode = [bytes, part, palette, lookup] {
                return DecodePartPicture(bytes, part, *palette, lookup);
            };
        } else {
            shown.Problem = part.Problem;
            shown.Bytes = PartBytes(bytes, part);
        }
        set.Parts.push_back(std::move(shown));
    }
    return set;
}

} // namespace zorvak
