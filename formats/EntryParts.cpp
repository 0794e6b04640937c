#include "formats/EntryParts.h"

#include "formats/Bsp.h"
#include "formats/Layout.h"
#include "formats/Lmp.h"
#include "formats/Mdl.h"
#include "formats/MipTexture.h"
#include "formats/Pcx.h"
#include "formats/Quake2Map.h"
#include "formats/Spr.h"
#include "formats/Tga.h"
#include "formats/Wad2.h"
#include "formats/Wal.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace zorvak {

namespace {

// Loose pictures are drawn over the screen as the status bar's are: 255 is
// left out.
constexpr int kLmpTransparentIndex = 255;

constexpr const char* kNotAPicture = TrMark("Not a picture");

// The failure a step throws, as the decoder would tell it; empty for none.
template <class Step> std::string ProblemOf(Step step) {
    try {
        step();
    } catch (const TFailure& failure) {
        return failure.what();
    }
    return {};
}

// Adds parts up to the cap and counts them all.
class TCollector {
public:
    TCollector(TEntryParts& parts, const std::function<bool()>& stop, const TEntryLookup& lookup)
        : parts_(parts), poll_(stop), lookup_(lookup) {}
    // Other entries of the archive, for parts kept there.
    const TEntryLookup& Lookup() const { return lookup_; }
    // Whether another part is listed: false once the cap is reached.
    bool Room() const { return parts_.Parts.size() < kMaxListedParts; }
    void Add(TEntryPart part) { parts_.Parts.push_back(std::move(part)); }
    // Parts held, listed or not.
    void Count(std::size_t n) { parts_.Total += n; }
    // False once a stop request came: the walk ends there.
    bool Go() {
        if (poll_())
            parts_.Stopped = true;
        return !parts_.Stopped;
    }

private:
    TEntryParts& parts_;
    TStopPoll poll_;
    const TEntryLookup& lookup_;
};

TEntryPart Single(std::string_view name, const char* format, bool inPalette) {
    TEntryPart part;
    part.Name = std::string(name);
    part.Format = format;
    part.InPalette = inPalette;
    return part;
}

// The size a picture's own header gives, unchecked; none (Damaged) when the
// header is cut short.
void TakeLmpSize(TEntryPart& part, std::span<const unsigned char> bytes) {
    part.Damaged = bytes.size() < kLmpHeaderBytes;
    if (part.Damaged)
        return;
    TByteReader reader(bytes);
    part.Width = reader.ReadInt32();
    part.Height = reader.ReadInt32();
}

// A skin or a sprite frame: width x height pixels alone at offset.
TEntryPart RawPart(const char* format, std::size_t index, std::size_t member, bool group, int width,
                   int height, std::uint64_t offset) {
    TEntryPart part;
    part.Index = index;
    part.Member = member;
    part.InGroup = group;
    part.Format = format;
    part.InPalette = true;
    part.Width = width;
    part.Height = height;
    part.Source.Coding = TPartCoding::pcRawPixels;
    part.Source.Offset = offset;
    part.Source.Length = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    part.Source.Width = width;
    part.Source.Height = height;
    return part;
}

TPartSource Whole(TPartCoding coding, std::span<const unsigned char> bytes,
                  int transparent = kOpaque) {
    TPartSource source;
    source.Coding = coding;
    source.Length = bytes.size();
    source.Transparent = transparent;
    return source;
}

// How a TGA part's format is told: its type, and whether it is run-length
// coded (the depth goes in the kind's description).
const char* TgaPartFormat(const TTgaInfo& info) {
    static constexpr const char* kFormats[3][2] = {
        {"TGA, colour-mapped", "TGA, colour-mapped, run-length coded"},
        {"TGA, true-colour", "TGA, true-colour, run-length coded"},
        {"TGA, greyscale", "TGA, greyscale, run-length coded"}};
    return kFormats[info.Type - kTgaColourMapped][info.RunLength ? 1 : 0];
}

void ListSingle(TEntryKind kind, std::string_view name, std::span<const unsigned char> bytes,
                TEntryParts& parts) {
    TEntryPart part;
    switch (kind) {
    case TEntryKind::ekPalette:
        part = Single(name, "palette, 256 colours", false);
        part.Width = part.Height = kPaletteSwatchSide;
        part.Problem = ProblemOf([&] { (void)ReadPalette(bytes); });
        part.Source = Whole(TPartCoding::pcPalette, bytes);
        break;
    case TEntryKind::ekColormap:
        part = Single(name, "light table, 64 levels", true);
        part.Width = kPaletteColours;
        part.Height = kColormapLevels;
        part.Problem = ProblemOf([&] { CheckColormap(bytes); });
        part.Source = Whole(TPartCoding::pcColormap, bytes);
        break;
    case TEntryKind::ekLmpPicture:
        part = Single(name, "palette picture (.lmp)", true);
        TakeLmpSize(part, bytes);
        part.Problem = ProblemOf([&] { (void)LmpPictureSize(bytes); });
        part.Source = Whole(TPartCoding::pcLmp, bytes, kLmpTransparentIndex);
        break;
    case TEntryKind::ekWal:
        part = Single(name, "Quake II texture (.wal)", true);
        part.Problem = ProblemOf([&] {
            const TPictureSize size = WalSize(bytes);
            part.Width = size.Width;
            part.Height = size.Height;
        });
        part.Damaged = !part.Problem.empty();
        part.Source = Whole(TPartCoding::pcWal, bytes);
        break;
    case TEntryKind::ekTga:
        part = Single(name, EntryKindName(TEntryKind::ekTga), false);
        part.Problem = ProblemOf([&] {
            const TTgaInfo info = ReadTgaInfo(bytes);
            part.Format = TgaPartFormat(info);
            part.Width = info.Size.Width;
            part.Height = info.Size.Height;
        });
        part.Damaged = !part.Problem.empty();
        part.Source = Whole(TPartCoding::pcTga, bytes);
        break;
    default: { // a PCX picture
        part = Single(name, EntryKindName(TEntryKind::ekPcx), false);
        part.Problem = ProblemOf([&] {
            const TPcxInfo info = ReadPcxInfo(bytes);
            part.Format = info.Indexed ? "PCX, 8-bit with its palette" : "PCX, 24-bit";
            part.Width = info.Size.Width;
            part.Height = info.Size.Height;
        });
        part.Damaged = !part.Problem.empty();
        part.Source = Whole(TPartCoding::pcPcx, bytes);
        break;
    }
    }
    ++parts.Total;
    parts.Parts.push_back(std::move(part));
}

TEntryPart WadPart(std::span<const unsigned char> wad, const TWadLump& lump, std::size_t index) {
    const TWadLumpKind kind = KindOfLump(lump);
    TEntryPart part;
    part.Name = lump.Name;
    part.Index = index;
    part.Format = LumpKindName(kind);
    part.Picture = kind != TWadLumpKind::wlkOther;
    part.InPalette = kind != TWadLumpKind::wlkPalette;
    part.LumpType = lump.Type;
    std::span<const unsigned char> stored;
    try {
        stored = WadLumpBytes(wad, lump);
    } catch (const TFailure& failure) {
        // Nothing to decode, nor to show as bytes.
        part.Damaged = true;
        part.Problem = failure.what();
        return part;
    }
    part.Source.Offset = lump.Offset;
    part.Source.Length = stored.size();
    part.Source.Transparent = TransparentIndexOf(lump);
    const bool own = HasOwnPalette(lump);
    part.InPalette = part.InPalette && !own;
    switch (kind) {
    case TWadLumpKind::wlkOther:
        part.Problem =
            "Lump " + lump.Name + " is not a picture (type " + LumpTypeText(lump.Type) + ")";
        return part;
    case TWadLumpKind::wlkPalette:
        part.Source.Coding = TPartCoding::pcPalette;
        part.Width = part.Height = kPaletteSwatchSide;
        break;
    case TWadLumpKind::wlkConsoleFont:
        part.Source.Coding = TPartCoding::pcRawPixels;
        part.Source.Width = part.Source.Height = kConsoleFontSide;
        part.Width = part.Height = kConsoleFontSide;
        part.GridCell = kConsoleCharSide;
        break;
    case TWadLumpKind::wlkMipTexture:
        part.Source.Coding = own ? TPartCoding::pcMipTextureOwnPalette : TPartCoding::pcMipTexture;
        part.Damaged = stored.size() < kMipTextureHeaderBytes;
        if (!part.Damaged) {
            const TMipTextureHeader header = ReadMipTextureHeader(stored);
            part.Width = header.Width;
            part.Height = header.Height;
        }
        break;
    case TWadLumpKind::wlkStatusPicture:
        part.Source.Coding = own ? TPartCoding::pcLmpOwnPalette : TPartCoding::pcLmp;
        TakeLmpSize(part, stored);
        break;
    }
    part.Problem = ProblemOf([&] {
        (void)WadPictureSize(wad, lump);
        if (own)
            (void)WadLumpPalette(wad, lump);
    });
    return part;
}

void ListWad(std::span<const unsigned char> wad, TCollector& collect) {
    const TWadDirectory directory = ReadWadHeader(wad);
    collect.Count(directory.Count);
    for (std::size_t i = 0; i < directory.Count && collect.Room(); ++i) {
        if (!collect.Go())
            return;
        collect.Add(WadPart(wad, ReadWadLump(wad, directory, i), i));
    }
}

void ListMap(std::span<const unsigned char> bsp, TCollector& collect) {
    const TBspInfo info = ReadBspInfo(bsp);
    collect.Count(info.Textures.size());
    const TBspLump& lump = info.Lumps[kBspTexturesLump];
    for (std::size_t i = 0; i < info.Textures.size() && collect.Room(); ++i) {
        if (!collect.Go())
            return;
        const TBspTexture& texture = info.Textures[i];
        TEntryPart part;
        part.Index = i;
        part.Format = "texture";
        part.InPalette = true;
        if (texture.Missing) {
            part.Picture = false;
            part.Problem = MissingTextureMessage(i);
        } else {
            part.Name = texture.Name;
            part.Width = texture.Width;
            part.Height = texture.Height;
            // The texture's bytes run to the lump's end: its levels may lie
            // anywhere after its header.
            part.Source.Coding =
                info.HalfLife ? TPartCoding::pcMipTextureOwnPalette : TPartCoding::pcMipTexture;
            part.Source.Offset = std::uint64_t{lump.Offset} + texture.Offset;
            part.Source.Length = lump.Length - texture.Offset;
            if (info.HalfLife) {
                part.InPalette = false;
                part.Source.Transparent = HalfLifeTransparentIndex(texture.Name);
            }
            part.Problem = ProblemOf([&] {
                const auto stored = bsp.subspan(static_cast<std::size_t>(part.Source.Offset),
                                                static_cast<std::size_t>(part.Source.Length));
                (void)MipTextureSize(stored);
                if (info.HalfLife)
                    (void)ReadMipTexturePalette(stored);
            });
        }
        collect.Add(std::move(part));
    }
}

// The entry of a Quake II map's texture: its first most bytes, or nullopt
// when it is not there to be found.
std::optional<TFoundEntry> FindTexture(const TEntryLookup& lookup, const std::string& entry,
                                       std::size_t most) {
    return lookup ? lookup(entry, most) : std::nullopt;
}

std::string NotInTheArchive(const std::string& entry) {
    return FormatText(Tr("Not in the archive: {1}"), entry);
}

// Each texture the map names, once, from its .wal entry's header.
void ListQuake2Textures(std::span<const unsigned char> bsp, TCollector& collect) {
    const TQuake2Map map = ReadQuake2Map(bsp, kMaxListedParts);
    collect.Count(map.TextureCount);
    for (std::size_t i = 0; i < map.Textures.size() && collect.Room(); ++i) {
        if (!collect.Go())
            return;
        TEntryPart part;
        part.Name = map.Textures[i];
        part.Index = i;
        part.Format = "Quake II texture (.wal)";
        part.InPalette = true;
        const std::string entry = Quake2TextureEntry(part.Name);
        part.Problem = ProblemOf([&] {
            const std::optional<TFoundEntry> found =
                FindTexture(collect.Lookup(), entry, kWalHeaderBytes);
            if (!found) {
                part.NotFound = true;
                throw TFailure(NotInTheArchive(entry));
            }
            const TPictureSize size = WalSize(found->Bytes, found->Length);
            part.Width = size.Width;
            part.Height = size.Height;
            part.Source.Coding = TPartCoding::pcWalEntry;
            part.Source.Offset = found->Position;
            part.Source.Length = found->Length;
        });
        part.Damaged = !part.Problem.empty();
        if (part.Damaged)
            part.Source = {};
        collect.Add(std::move(part));
    }
}

// A Quake II map's texture, read whole from its entry.
TDecodedPicture DecodeTextureEntry(const TEntryPart& part, const TPalette& palette,
                                   const TEntryLookup& lookup) {
    const std::string entry = Quake2TextureEntry(part.Name);
    const std::optional<TFoundEntry> found =
        FindTexture(lookup, entry, std::numeric_limits<std::size_t>::max());
    if (!found)
        throw TFailure(NotInTheArchive(entry));
    if (found->Position != part.Source.Offset || found->Length != part.Source.Length)
        throw TFailure(
            FormatText(Tr("{1} is not the entry it was when the map was listed"), entry));
    return IndexedPicture(ReadWal(found->Bytes), palette, part.Source.Transparent);
}

void ListSkins(std::span<const unsigned char> mdl, TCollector& collect) {
    (void)WalkMdl(mdl,
                  [&](const TMdlSkin& skin) {
                      const auto pixels = static_cast<std::size_t>(skin.Width) *
                                          static_cast<std::size_t>(skin.Height);
                      collect.Count(skin.Pictures);
                      for (std::size_t p = 0; p < skin.Pictures && collect.Room(); ++p)
                          collect.Add(RawPart("skin", skin.Index, p, skin.Group, skin.Width,
                                              skin.Height, skin.Pixels + p * pixels));
                      return collect.Go();
                  },
                  {});
}

// How a sprite's frames are told: Half-Life's say how they are drawn.
const char* SpriteFrameFormat(const TSprHeader& header) {
    static constexpr const char* kHalfLife[] = {"sprite frame, normal", "sprite frame, additive",
                                                "sprite frame, index alpha",
                                                "sprite frame, alpha test"};
    if (!header.HalfLife || header.TextureFormat < 0 ||
        header.TextureFormat >= static_cast<std::int32_t>(std::size(kHalfLife)))
        return "sprite frame";
    return kHalfLife[header.TextureFormat];
}

void ListFrames(std::span<const unsigned char> spr, TCollector& collect) {
    const TSprHeader header = ReadSprHeader(spr);
    (void)WalkSpr(spr, {}, [&](const TSprPicture& picture) {
        collect.Count(1);
        if (collect.Room()) {
            TEntryPart part = RawPart(SpriteFrameFormat(header), picture.Frame, picture.Member,
                                      picture.Group, picture.Width, picture.Height, picture.Pixels);
            part.Source.Transparent = SprTransparentIndex(header);
            // Half-Life's frames are drawn in the colours the sprite carries.
            if (header.HalfLife) {
                part.InPalette = false;
                part.Source.Coding = TPartCoding::pcRawPixelsSpritePalette;
            }
            collect.Add(std::move(part));
        }
        return collect.Go();
    });
}

// The kinds that are one picture each.
constexpr TEntryKind kSinglePictures[] = {TEntryKind::ekPalette,    TEntryKind::ekColormap,
                                          TEntryKind::ekLmpPicture, TEntryKind::ekPcx,
                                          TEntryKind::ekTga,        TEntryKind::ekWal};

// The kinds that list many parts: what they list, how, and how it is told.
struct TListing {
    TEntryKind Kind;
    TPartList List;
    void (*Walk)(std::span<const unsigned char>, TCollector&);
    TPartListWords Words;
};
// The counted words are English, marked for the catalogue: messages translate
// them where they show them.
constexpr TListing kListings[] = {
    {TEntryKind::ekWad2,
     TPartList::plLumps,
     ListWad,
     {"Lumps", TrMark("lumps"), "picture container"}},
    {TEntryKind::ekBsp, TPartList::plTextures, ListMap, {"Textures", TrMark("textures"), "map"}},
    {TEntryKind::ekQuake2Map,
     TPartList::plTextures,
     ListQuake2Textures,
     {"Textures", TrMark("textures"), "map"}},
    {TEntryKind::ekModel,
     TPartList::plSkins,
     ListSkins,
     {"Skins", TrMark("skin pictures"), "model"}},
    {TEntryKind::ekSprite,
     TPartList::plFrames,
     ListFrames,
     {"Frames", TrMark("frame pictures"), "sprite"}},
};

const TListing* ListingOf(TEntryKind kind) {
    for (const TListing& listing : kListings)
        if (listing.Kind == kind)
            return &listing;
    return nullptr;
}

} // namespace

bool HoldsPictures(TEntryKind kind) {
    return ListingOf(kind) != nullptr || kind == TEntryKind::ekWadLump ||
           std::find(std::begin(kSinglePictures), std::end(kSinglePictures), kind) !=
               std::end(kSinglePictures);
}

bool PicturesInFolder(TEntryKind kind) {
    return ListingOf(kind) != nullptr;
}

TPartListWords PartListWords(TPartList list) {
    for (const TListing& listing : kListings)
        if (listing.List == list)
            return listing.Words;
    return {};
}

bool NeedsPalette(TEntryKind kind) {
    // These carry their own colours.
    return HoldsPictures(kind) && kind != TEntryKind::ekPalette && kind != TEntryKind::ekPcx &&
           kind != TEntryKind::ekTga;
}

TEntryParts ListEntryParts(TEntryKind kind, std::string_view name,
                           std::span<const unsigned char> bytes, const std::function<bool()>& stop,
                           const TEntryLookup& lookup) {
    TEntryParts parts;
    if (const TListing* listing = ListingOf(kind)) {
        TCollector collect(parts, stop, lookup);
        parts.List = listing->List;
        listing->Walk(bytes, collect);
    } else if (kind == TEntryKind::ekWadLump) {
        // One picture: the one lump of the WAD it is held as.
        TCollector collect(parts, stop, lookup);
        ListWad(bytes, collect);
    } else if (HoldsPictures(kind)) {
        ListSingle(kind, name, bytes, parts);
    }
    return parts;
}

TDecodedPicture DecodePartPicture(std::span<const unsigned char> bytes, const TEntryPart& part,
                                  const TPalette& palette, const TEntryLookup& lookup) {
    const TPartSource& source = part.Source;
    if (source.Coding == TPartCoding::pcNone)
        throw TFailure(part.Problem.empty() ? Tr(kNotAPicture) : part.Problem);
    // Kept in another entry: its place is the archive's, not these bytes'.
    if (source.Coding == TPartCoding::pcWalEntry)
        return DecodeTextureEntry(part, palette, lookup);
    // A part of other bytes than its own entry's must not lead past them.
    const auto stored = SliceOf(bytes, source.Offset, source.Length, TrMark("Picture"));
    const int clear = source.Transparent;
    switch (source.Coding) {
    case TPartCoding::pcPalette:
        return IndexedPicture(PaletteSwatch(), ReadPalette(stored));
    case TPartCoding::pcColormap:
        return IndexedPicture(ReadColormap(stored), palette, clear);
    case TPartCoding::pcLmp:
        return IndexedPicture(ReadLmpPicture(stored), palette, clear);
    case TPartCoding::pcMipTexture:
        return IndexedPicture(ReadMipTexture(stored), palette, clear);
    case TPartCoding::pcRawPixels: {
        TByteReader reader(stored);
        return IndexedPicture(ReadIndexedPixels(reader, source.Width, source.Height), palette,
                              clear);
    }
    case TPartCoding::pcRawPixelsSpritePalette: {
        TByteReader reader(stored);
        TIndexedPicture picture = ReadIndexedPixels(reader, source.Width, source.Height);
        return IndexedPicture(std::move(picture), ReadSprPalette(bytes), clear);
    }
    case TPartCoding::pcPcx:
        return ReadPcxPicture(stored);
    case TPartCoding::pcTga:
        return TrueColourPicture(ReadTga(stored));
    case TPartCoding::pcWal:
        return IndexedPicture(ReadWal(stored), palette, clear);
    case TPartCoding::pcMipTextureOwnPalette:
        return IndexedPicture(ReadMipTexture(stored), ReadMipTexturePalette(stored), clear);
    case TPartCoding::pcLmpOwnPalette: {
        TIndexedPicture picture = ReadLmpPicture(stored);
        const std::size_t end = kLmpHeaderBytes + picture.Pixels.size();
        const TPalette own = ReadPaletteAfter(stored, end, "picture " + part.Name);
        return IndexedPicture(std::move(picture), own, clear);
    }
    case TPartCoding::pcNone:
    case TPartCoding::pcWalEntry:
        break;
    }
    throw TFailure(Tr(kNotAPicture));
}

TRgbaPicture DecodePart(std::span<const unsigned char> bytes, const TEntryPart& part,
                        const TPalette& palette, const TEntryLookup& lookup) {
    return ToRgba(DecodePartPicture(bytes, part, palette, lookup));
}

std::span<const unsigned char> PartBytes(std::span<const unsigned char> bytes,
                                         const TEntryPart& part) {
    const TPartSource& source = part.Source;
    if (part.Damaged || source.Coding == TPartCoding::pcWalEntry || source.Offset > bytes.size() ||
        source.Length > bytes.size() - source.Offset)
        return {};
    return bytes.subspan(static_cast<std::size_t>(source.Offset),
                         static_cast<std::size_t>(source.Length));
}

} // namespace zorvak
