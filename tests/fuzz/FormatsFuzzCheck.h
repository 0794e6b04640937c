// What the formats' fuzz targets demand of each decoder, shared with the
// ordinary tests that replay their corpora and crashes. A TFailure is a fine
// answer to bad input; a wrong picture, a broken bound or any other
// exception is a fault.
#pragma once

#include "../formats/PngCheck.h"
#include "formats/Bsp.h"
#include "formats/EntryKind.h"
#include "formats/EntryParts.h"
#include "formats/Lmp.h"
#include "formats/Md2.h"
#include "formats/Mdl.h"
#include "formats/Pcx.h"
#include "formats/Png.h"
#include "formats/Quake2Map.h"
#include "formats/Spr.h"
#include "formats/Tga.h"
#include "formats/Wad2.h"
#include "formats/Wal.h"
#include "formats/WaveInfo.h"
#include "framework/Failures.h"

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace zorvak::test {

// Entries past this are not what the decoders are fuzzed for.
inline constexpr std::size_t kFormatFuzzMaxInput = 1 << 20;

inline std::string PictureFault(int width, int height, std::size_t bytes, std::size_t perPixel) {
    if (width <= 0 || height <= 0)
        return "picture without a size";
    const auto pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (pixels * 4 > kMaxPictureRgbaBytes)
        return "picture past the bound";
    if (bytes != pixels * perPixel)
        return "pixels do not match the size";
    return "";
}
inline std::string PictureFault(const TIndexedPicture& p) {
    return PictureFault(p.Width, p.Height, p.Pixels.size(), 1);
}
inline std::string PictureFault(const TRgbaPicture& p) {
    return PictureFault(p.Width, p.Height, p.Pixels.size(), 4);
}

// Runs step; a TFailure counts as an answer.
inline std::string Tolerant(const std::function<std::string()>& step) {
    try {
        return step();
    } catch (const TFailure&) {
        return "";
    }
}

// The parts the model lists of in as kind: each decodes exactly when its
// headers said it would (with the message they gave), to the size they
// gave, and parts of one source to one picture.
inline std::string PartsFault(TEntryKind kind, std::string_view name,
                              std::span<const unsigned char> in, const TEntryLookup& lookup = {}) {
    return Tolerant([&] {
        const TEntryParts parts = ListEntryParts(kind, name, in, {}, lookup);
        if (parts.Parts.size() > kMaxListedParts || parts.Total < parts.Parts.size())
            return std::string("part count past the cap or the total");
        if (!HoldsPictures(kind) && !parts.Parts.empty())
            return std::string("parts of a kind that holds no pictures");
        std::map<TPartSource, std::vector<unsigned char>> bySource;
        for (const TEntryPart& part : parts.Parts) {
            const std::string what =
                "part " + std::to_string(part.Index) + "." + std::to_string(part.Member) + ": ";
            std::string problem;
            TDecodedPicture decoded;
            try {
                decoded = DecodePartPicture(in, part, GreyPalette(), lookup);
            } catch (const TFailure& failure) {
                problem = failure.what();
            }
            // A TGA's runs and colour indices show only in its pixels: a
            // picture listed as whole may still fail there, and only there.
            const bool pixelsOnly = part.Source.Coding == TPartCoding::pcTga &&
                                    part.Problem.empty() &&
                                    (problem.find("outside its colour map") != std::string::npos ||
                                     problem == "TGA pixels run past the end of the entry");
            if (problem != part.Problem && !pixelsOnly)
                return what + "listed as \"" + part.Problem + "\", decoded as \"" + problem + "\"";
            if (!problem.empty())
                continue;
            if (decoded.Indexed) {
                if (const std::string fault = PictureFault(decoded.Indices); !fault.empty())
                    return what + "indices: " + fault;
            }
            const TRgbaPicture picture = ToRgba(decoded);
            if (const std::string fault = PictureFault(picture); !fault.empty())
                return what + fault;
            if (picture.Width != part.Width || picture.Height != part.Height)
                return what + "size differs from the list";
            const auto [at, fresh] = bySource.emplace(part.Source, picture.Pixels);
            if (!fresh && at->second != picture.Pixels)
                return what + "one source, two pictures";
            if (!fresh)
                continue;
            // What --png writes of it is what is seen, within its bound.
            const std::vector<unsigned char> png = EncodePng(decoded);
            TPngRead back;
            if (const std::string fault = PngFault(png, back); !fault.empty())
                return what + "PNG " + fault;
            if (back.Rgba.Pixels != picture.Pixels || back.Indices.empty() == decoded.Indexed)
                return what + "PNG differs from the picture";
            if (png.size() > PngSizeBound(picture.Width, picture.Height))
                return what + "PNG past its bound";
        }
        return std::string();
    });
}

inline std::string LmpFault(std::span<const unsigned char> in) {
    std::string fault =
        Tolerant([&] { return PictureFault(ToRgba(ReadLmpPicture(in), GreyPalette())); });
    if (fault.empty())
        fault = Tolerant([&] { return PictureFault(ReadColormap(in)); });
    (void)Tolerant([&] { return ReadPalette(in).Colours.size() == 256 ? "" : "palette"; });
    for (const TEntryKind kind :
         {TEntryKind::ekLmpPicture, TEntryKind::ekColormap, TEntryKind::ekPalette})
        if (fault.empty())
            fault = PartsFault(kind, "a.lmp", in);
    return fault;
}

inline std::string Wad2Fault(std::span<const unsigned char> in) {
    const std::string fault = Tolerant([&] {
        for (const TWadLump& lump : ReadWadDirectory(in)) {
            const std::string fault = Tolerant([&] {
                const TIndexedPicture picture = ReadWadPicture(in, lump);
                if (KindOfLump(lump) == TWadLumpKind::wlkConsoleFont)
                    return PictureFault(ConsoleCharacter(picture, lump.Name.empty() ? 0 : 200));
                return PictureFault(picture);
            });
            if (!fault.empty())
                return lump.Name + ": " + fault;
        }
        return std::string();
    });
    return fault.empty() ? PartsFault(TEntryKind::ekWad2, "gfx.wad", in) : fault;
}

// The other entries of an archive a Quake II map's textures are found in:
// a name of even length is a 2 x 2 texture at a place its length gives
// (so names meet there), cut short when it starts "textures/c"; one that
// starts "textures/h" cannot be read; the rest are not there.
inline std::optional<TFoundEntry> FuzzArchiveEntry(std::string_view name, std::size_t most) {
    if (name.starts_with("textures/h"))
        throw TFailure("The archive is in use by another program");
    if (name.size() % 2 != 0)
        return std::nullopt;
    std::vector<unsigned char> wal(kWalHeaderBytes + 4, 7);
    for (std::size_t i = 32; i < 56; ++i)
        wal[i] = 0;
    wal[32] = wal[36] = 2;            // 2 x 2
    wal[40] = kWalHeaderBytes & 0xFF; // the full level right after the header
    if (name.starts_with("textures/c"))
        wal.resize(kWalHeaderBytes + 3);
    const std::size_t length = wal.size();
    wal.resize(std::min(most, wal.size()));
    return TFoundEntry{name.size() * 1000, length, wal};
}

inline std::string BspFault(std::span<const unsigned char> in) {
    const std::string fault = Tolerant([&] {
        const TBspInfo info = ReadBspInfo(in);
        for (std::size_t i = 0; i < info.Textures.size(); ++i) {
            const std::string fault = Tolerant([&] {
                const TIndexedPicture texture = ReadBspTexture(in, info, i);
                if (texture.Width != static_cast<int>(info.Textures[i].Width))
                    return std::string("texture size differs from the list");
                return PictureFault(texture);
            });
            if (!fault.empty())
                return fault;
        }
        return std::string();
    });
    if (!fault.empty())
        return fault;
    const std::string quake2 = Tolerant([&] {
        const TQuake2Map map = ReadQuake2Map(in, kMaxListedParts);
        if (map.Textures.size() > map.TextureCount || map.TextureCount > map.Records ||
            map.Records * kQuake2TexinfoBytes > in.size())
            return std::string("Quake II map's counts do not hold together");
        return std::string();
    });
    if (!quake2.empty())
        return quake2;
    const std::string parts = PartsFault(TEntryKind::ekBsp, "a.bsp", in);
    return parts.empty() ? PartsFault(TEntryKind::ekQuake2Map, "a.bsp", in, FuzzArchiveEntry)
                         : parts;
}

// Whether count pictures of width x height from offset lie inside in.
inline bool Inside(std::span<const unsigned char> in, std::size_t offset, std::size_t count,
                   int width, int height) {
    const std::uint64_t bytes = std::uint64_t{count} * static_cast<std::uint64_t>(width) *
                                static_cast<std::uint64_t>(height);
    return offset <= in.size() && bytes <= in.size() - offset;
}

inline std::string MdlFault(std::span<const unsigned char> in) {
    const std::string fault = Tolerant([&] {
        std::string found;
        (void)WalkMdl(
            in,
            [&](const TMdlSkin& skin) {
                const auto pixels =
                    static_cast<std::size_t>(skin.Width) * static_cast<std::size_t>(skin.Height);
                if (!skin.Group && skin.Pictures != 1)
                    found = "single skin of several pictures";
                else if (const std::string size = PictureFault(skin.Width, skin.Height, pixels, 1);
                         !size.empty())
                    found = "skin: " + size;
                else if (!Inside(in, skin.Pixels, skin.Pictures, skin.Width, skin.Height))
                    found = "skin pixels outside the entry";
                return found.empty();
            },
            [&](const TMdlFrame& frame) {
                if (!frame.Group && frame.Members != 1)
                    found = "single frame of several names";
                return found.empty();
            });
        return found;
    });
    return fault.empty() ? PartsFault(TEntryKind::ekModel, "a.mdl", in) : fault;
}

inline std::string SprFault(std::span<const unsigned char> in) {
    const std::string fault = Tolerant([&] {
        std::string found;
        (void)WalkSpr(in, {}, [&](const TSprPicture& picture) {
            const auto pixels =
                static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height);
            found = PictureFault(picture.Width, picture.Height, pixels, 1);
            if (found.empty() && !Inside(in, picture.Pixels, 1, picture.Width, picture.Height))
                found = "frame pixels outside the entry";
            return found.empty();
        });
        return found;
    });
    return fault.empty() ? PartsFault(TEntryKind::ekSprite, "a.spr", in) : fault;
}

inline std::string PcxFault(std::span<const unsigned char> in) {
    const std::string fault = Tolerant([&] {
        const TPcxPicture picture = ReadPcx(in);
        if (picture.Indexed && (picture.Indexed->Width != picture.Rgba.Width ||
                                !PictureFault(*picture.Indexed).empty()))
            return std::string("indexed and RGBA pictures differ");
        return PictureFault(picture.Rgba);
    });
    return fault.empty() ? PartsFault(TEntryKind::ekPcx, "a.pcx", in) : fault;
}

// Quake II's models and sprites read without fault, every name held
// bounded by the entry, and describe as info does.
inline std::string Md2Fault(std::span<const unsigned char> in) {
    const std::string fault = Tolerant([&] {
                                  const TMd2Model model = ReadMd2(in);
                                  // Each list lies in the entry; a damaged model's lists may
                                  // overlap one another.
                                  if (model.Skins.size() * kMd2SkinNameBytes > in.size() ||
                                      model.Frames.size() * 40 > in.size())
                                      return std::string("more names than the entry holds");
                                  return std::string();
                              }) +
                              Tolerant([&] {
                                  return ReadSp2(in).size() * kSp2FrameBytes > in.size()
                                             ? std::string("frames past the end")
                                             : std::string();
                              });
    if (!fault.empty())
        return fault;
    return DescribeEntry("a.md2", in).empty() || DescribeEntry("a.sp2", in).empty()
               ? "no description"
               : "";
}

inline std::string WalFault(std::span<const unsigned char> in) {
    const std::string fault = Tolerant([&] {
        const TIndexedPicture picture = ReadWal(in);
        const TPictureSize size = WalSize(in);
        if (size.Width != picture.Width || size.Height != picture.Height)
            return std::string("the header's size and the picture's differ");
        return PictureFault(picture);
    });
    return fault.empty() ? PartsFault(TEntryKind::ekWal, "a.wal", in) : fault;
}

inline std::string TgaFault(std::span<const unsigned char> in) {
    const std::string fault = Tolerant([&] {
        const TRgbaPicture picture = ReadTga(in);
        const TTgaInfo info = ReadTgaInfo(in);
        if (info.Size.Width != picture.Width || info.Size.Height != picture.Height)
            return std::string("the header's size and the picture's differ");
        return PictureFault(picture);
    });
    return fault.empty() ? PartsFault(TEntryKind::ekTga, "a.tga", in) : fault;
}

inline std::string WaveFault(std::span<const unsigned char> in) {
    return Tolerant([&] {
        const TWaveInfo info = ReadWaveInfo(in);
        if (info.DataOffset > in.size() || info.DataLength > in.size() - info.DataOffset)
            return std::string("data outside the entry");
        const int width = in.empty() ? 1 : 1 + in.back() % 300;
        const auto columns = WaveformColumns(in, info, width);
        if (columns.size() != static_cast<std::size_t>(width))
            return std::string("column count");
        for (const TWaveColumn& c : columns)
            if (!(c.Min >= -1 && c.Min <= c.Max && c.Max <= 1))
                return std::string("column outside -1 .. 1");
        return std::string();
    });
}

// The input as a picture of its own first bytes' size, round-tripped as
// RGBA and as indices (its colours and see-through index from the input too).
inline std::string PngRoundTripFault(std::span<const unsigned char> in) {
    if (in.size() < 2)
        return "";
    const auto byte = [&](std::size_t i) -> unsigned char {
        return in.size() > 2 ? in[2 + i % (in.size() - 2)] : 0;
    };
    TRgbaPicture picture{1 + in[0] % 64, 1 + in[1] % 64, {}};
    const std::size_t bytes = 4 * static_cast<std::size_t>(picture.Width * picture.Height);
    for (std::size_t i = 0; i < bytes; ++i)
        picture.Pixels.push_back(byte(i));
    TRgbaPicture back;
    std::string fault = PngFault(EncodePng(picture), back);
    if (!fault.empty())
        return "PNG " + fault;
    if (back.Pixels != picture.Pixels)
        return "PNG pixels differ";

    TIndexedPicture indices{picture.Width, picture.Height, {}};
    for (std::size_t i = 0; i < bytes / 4; ++i)
        indices.Pixels.push_back(byte(i));
    TPalette colours;
    for (std::size_t i = 0; i < colours.Colours.size(); ++i)
        colours.Colours[i] = {byte(3 * i + 1), byte(3 * i + 2), byte(3 * i + 3)};
    const int clear = in[0] % 2 == 0 ? kOpaque : in[1];
    TPngRead read;
    fault = PngFault(EncodePng(IndexedPicture(indices, colours, clear)), read);
    if (!fault.empty())
        return "indexed PNG " + fault;
    if (read.Indices != indices.Pixels ||
        read.Rgba.Pixels != ToRgba(indices, colours, clear).Pixels)
        return "indexed PNG pixels differ";
    return "";
}

// The input past its first byte, under a name that byte picks, through
// everything a window or the command-line tool would call: the classifier,
// the description and the parts, each decoded.
inline std::string EntryFault(std::span<const unsigned char> input) {
    if (input.empty())
        return "";
    static const char* const names[] = {"gfx/palette.lmp", "gfx/colormap.lmp",
                                        "a.lmp",           "gfx.wad",
                                        "a.bsp",           "a.mdl",
                                        "a.spr",           "a.pcx",
                                        "a.wav",           "a.cfg",
                                        "a.png",           "noname"};
    const char* name = names[input[0] % std::size(names)];
    const auto in = input.subspan(1);
    const TEntryKind kind = ClassifyEntry(name, in);
    if (DescribeEntry(name, in).empty())
        return "no description";
    return PartsFault(kind, name, in, FuzzArchiveEntry);
}

// Each target by the name its fuzzer and corpus go by, with what it demands.
struct TFormatFuzzTarget {
    std::string_view Name;
    std::string (*Fault)(std::span<const unsigned char>);
};
inline constexpr TFormatFuzzTarget kFormatFuzzTargets[] = {
    {"lmp", LmpFault}, {"wad2", Wad2Fault}, {"bsp", BspFault},          {"mdl", MdlFault},
    {"spr", SprFault}, {"pcx", PcxFault},   {"tga", TgaFault},          {"wal", WalFault},
    {"md2", Md2Fault}, {"wave", WaveFault}, {"png", PngRoundTripFault}, {"entry", EntryFault},
};

inline std::string FormatFuzzFault(std::string_view target, std::span<const unsigned char> in) {
    if (in.size() > kFormatFuzzMaxInput)
        return "";
    for (const TFormatFuzzTarget& known : kFormatFuzzTargets)
        if (known.Name == target)
            return known.Fault(in);
    return "no such target";
}

} // namespace zorvak::test
