// The pictures an entry holds, as the preview lists them, `info` tells them
// and `extract --png` writes them: listed from headers alone, each decoded
// only when asked for, so that a directory of a million records naming one
// big picture costs a million records, never a million pictures.
#pragma once

#include "formats/EntryKind.h"
#include "formats/Picture.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

// At most this many parts of one entry are listed, and as many lines of one
// list in a description: a directory may claim millions, each a row, a line
// or a file.
inline constexpr std::size_t kMaxListedParts = 10000;

// Kinds that hold pictures: the palette, the light table, .lmp pictures,
// picture containers, maps (Quake II's too), models, sprites, PCX, TGA and
// .wal pictures.
bool HoldsPictures(TEntryKind kind);
// Of those, the kinds whose pictures are many, each with a name of its own
// (lumps, textures, skins, frames), so written into a folder.
bool PicturesInFolder(TEntryKind kind);
// Of those, the kinds drawn in the palette's colours: all but the palette
// and a PCX picture, which bring their own.
bool NeedsPalette(TEntryKind kind);

// What an entry lists: nothing (it is one picture), or its lumps, textures,
// skins or frames.
enum class TPartList { plNone, plLumps, plTextures, plSkins, plFrames };

// How a list is told: its heading ("Skins"), what is counted of it in
// messages ("skin pictures") and what holds it ("model"). All empty for
// plNone, which lists nothing.
struct TPartListWords {
    const char* Title = "";
    const char* Counted = "";
    const char* Holder = "";
};
TPartListWords PartListWords(TPartList list);

// How a part's pixels are stored, which says how they are decoded.
enum class TPartCoding {
    pcNone,       // nothing to decode: no picture, or its bytes are not there
    pcPalette,    // 768 bytes of colours, shown as their swatch
    pcColormap,   // the light table
    pcLmp,        // width, height, then the pixels
    pcMipTexture, // a texture's header and its full-size level
    pcRawPixels,  // Width x Height pixels alone (the console font, skins, sprite frames)
    pcPcx,
    pcTga,
    // Half-Life's: in the colours that follow their pixels.
    pcMipTextureOwnPalette,
    pcLmpOwnPalette,
    // Half-Life's sprite frames: raw pixels in the colours after the
    // sprite's header.
    pcRawPixelsSpritePalette,
    pcWal,
    // Quake II's maps' textures: a .wal entry of the archive, found by name.
    pcWalEntry,
};

// Where a part's picture comes from. Two parts of one entry with equal
// sources decode to the same picture: a directory may name one stored
// picture many times over, and it need be decoded only once.
struct TPartSource {
    TPartCoding Coding = TPartCoding::pcNone;
    // In the entry: the bytes decoding reads. Of a picture kept in another
    // entry: where that entry lies in the archive, and its length.
    std::uint64_t Offset = 0;
    std::uint64_t Length = 0;
    int Width = 0; // of raw pixels
    int Height = 0;
    int Transparent = kOpaque; // the index drawn see-through
    auto operator<=>(const TPartSource&) const = default;
};

struct TEntryPart {
    // As stored (a lump's or texture's name may hold any byte); the entry's
    // own name when it is one picture; empty for skins, frames and missing
    // textures, which have none.
    std::string Name;
    std::size_t Index = 0;  // its place: lump, texture slot, skin or frame
    std::size_t Member = 0; // a skin's or frame's picture in its group
    bool InGroup = false;
    const char* Format = ""; // "texture", "skin", "console font", ...
    // False for a part that is no picture: a lump of another type, a
    // texture slot the map leaves empty.
    bool Picture = true;
    // Width and Height as its headers give them (checked only when Problem
    // is empty); unknown when its header cannot be read.
    bool Damaged = false;
    // Kept in another entry (a Quake II map's texture), which the archive
    // lacks.
    bool NotFound = false;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    bool InPalette = false; // drawn in the palette's colours
    int GridCell = 0;       // the console font: the cell of its characters
    std::uint8_t LumpType = 0;
    // Why decoding fails, as the decoder would say, told from the headers;
    // empty when it will not. For a part that is no picture: why not.
    std::string Problem;
    TPartSource Source;
};

struct TEntryParts {
    TPartList List = TPartList::plNone;
    std::vector<TEntryPart> Parts; // the first kMaxListedParts
    std::size_t Total = 0;         // more than Parts.size() when the list was cut
    bool Stopped = false;          // stop asked for it while it was listed
};

// Another entry of the archive, as a part kept there is found: where its
// bytes lie in the archive (entries at one place are one stored picture,
// however many names they have), its length, and its first bytes.
struct TFoundEntry {
    std::uint64_t Position = 0;
    std::uint64_t Length = 0;
    std::vector<unsigned char> Bytes; // as many of the first as were asked for, or all
};
// Finds the entry named name as every look-up of this program does (the
// first of that name, else the first differing only in letter case) and
// reads at most most of its first bytes; nullopt when the archive has no
// entry of that name. Throws TFailure when it cannot be read.
using TEntryLookup =
    std::function<std::optional<TFoundEntry>(std::string_view name, std::size_t most)>;

// The parts of an entry of kind named name (a kind that holds no pictures
// has none). Only headers are read, the whole layout checked as its reader
// checks it; of a picture kept in another entry, that entry's header, found
// with lookup (may be empty: none is found). Throws TFailure when the
// entry's own header or directory cannot be read; a damaged part is listed
// with its Problem. Views nothing: the parts hold offsets into bytes. stop
// (may be empty) is asked now and then; true ends the listing with what it
// has.
TEntryParts ListEntryParts(TEntryKind kind, std::string_view name,
                           std::span<const unsigned char> bytes,
                           const std::function<bool()>& stop = {}, const TEntryLookup& lookup = {});

// The picture of part of bytes (the entry it was listed from), in palette's
// colours unless it brings its own: its indices with the colours and the
// see-through index it is drawn with, or RGBA for a true-colour picture.
// A picture kept in another entry is read whole with lookup. Throws
// TFailure: the part's Problem when there is nothing to decode, else the
// decoder's own message.
TDecodedPicture DecodePartPicture(std::span<const unsigned char> bytes, const TEntryPart& part,
                                  const TPalette& palette, const TEntryLookup& lookup = {});
// The same as it is seen, in RGBA.
TRgbaPicture DecodePart(std::span<const unsigned char> bytes, const TEntryPart& part,
                        const TPalette& palette, const TEntryLookup& lookup = {});

// The stored bytes of a part that is no picture (a lump of another type, to
// show or save as such); empty when they are not there.
std::span<const unsigned char> PartBytes(std::span<const unsigned char> bytes,
                                         const TEntryPart& part);

} // namespace zorvak
