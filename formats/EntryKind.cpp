#include "formats/EntryKind.h"

#include "formats/Bsp.h"
#include "formats/EntryParts.h"
#include "formats/Layout.h"
#include "formats/Lmp.h"
#include "formats/Lookup.h"
#include "formats/Md2.h"
#include "formats/Mdl.h"
#include "formats/MipTexture.h"
#include "formats/Names.h"
#include "formats/Pcx.h"
#include "formats/Png.h"
#include "formats/Quake2Map.h"
#include "formats/Spr.h"
#include "formats/Tga.h"
#include "formats/Wad2.h"
#include "formats/Wal.h"
#include "formats/WaveInfo.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace zorvak {

namespace {

constexpr std::string_view kTextExtensions[] = {"cfg", "rc",  "ent",    "qc",
                                                "txt", "map", "shader", "lst"};
// Left to the windows' picture readers.
constexpr std::string_view kImageExtensions[] = {"png", "jpg", "jpeg"};
// How every JPEG file starts: the start-of-image marker, then another marker.
constexpr std::string_view kJpegSignature = "\xFF\xD8\xFF";

template <std::size_t N> bool OneOf(const std::string_view (&extensions)[N], std::string_view ext) {
    return std::find(std::begin(extensions), std::end(extensions), ext) != std::end(extensions);
}

bool IsPng(std::span<const unsigned char> bytes) {
    return HasTag(
        bytes, 0,
        std::string_view(reinterpret_cast<const char*>(kPngSignature), sizeof kPngSignature));
}

bool IsJpeg(std::span<const unsigned char> bytes) {
    return HasTag(bytes, 0, kJpegSignature);
}

// The kind that an entry's first bytes name beyond doubt, else ekUnknown. A
// version 29 map's signature is a small number, which many files start
// with: left to the name.
TEntryKind KindBySignature(std::span<const unsigned char> bytes) {
    static constexpr std::pair<std::string_view, TEntryKind> kTags[] = {
        {kWad2Tag, TEntryKind::ekWad2}, {kWad3Tag, TEntryKind::ekWad2},
        {kMdlTag, TEntryKind::ekModel}, {kSprTag, TEntryKind::ekSprite},
        {kMd2Tag, TEntryKind::ekMd2},   {kSp2Tag, TEntryKind::ekSp2},
        {kBsp2Tag, TEntryKind::ekBsp},  {kBsp2OldTag, TEntryKind::ekBsp},
    };
    for (const auto& [tag, kind] : kTags)
        if (HasTag(bytes, 0, tag))
            return kind;
    if (IsQuake2Map(bytes))
        return TEntryKind::ekQuake2Map;
    if (IsRiffWave(bytes))
        return TEntryKind::ekWave;
    if (IsPng(bytes) || IsJpeg(bytes))
        return TEntryKind::ekImage;
    return TEntryKind::ekUnknown;
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The start of a skin's or frame's line: "  frame 3: ".
std::string PartLine(const char* what, std::size_t index) {
    return "  " + std::string(what) + " " + std::to_string(index) + ": ";
}

std::string GroupOf(std::size_t count, const char* one, const char* many) {
    return "group of " + Plural(count, one, many);
}

// What a description says of a palette, once it is known to be whole.
std::string PaletteNote(std::span<const unsigned char> bytes) {
    (void)ReadPalette(bytes);
    return ", 256 colours";
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

std::string ImageFormat(std::string_view name, std::span<const unsigned char> bytes) {
    if (IsPng(bytes))
        return "PNG";
    const std::string ext = NameExtension(name);
    if (IsJpeg(bytes) || ext == "jpg" || ext == "jpeg")
        return "JPEG";
    return AsciiUpper(ext);
}

std::size_t TextLines(std::span<const unsigned char> bytes) {
    const auto ends = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    return ends + (!bytes.empty() && bytes.back() != '\n' ? 1 : 0);
}

// The line that ends a list cut short, naming what was left out.
void SayRest(std::vector<std::string>& lines, std::size_t total, std::size_t told, const char* one,
             const char* many) {
    if (total > told)
        lines.push_back("  and " + FormatThousands64(static_cast<std::int64_t>(total - told)) +
                        " more " + (total - told == 1 ? one : many));
}

// ", 64 x 64", what a lump's headers say after its kind.
std::string WadLumpDetails(std::span<const unsigned char> wad, const TWadLump& lump) {
    const TWadLumpKind kind = KindOfLump(lump);
    std::string line;
    try {
        if (kind == TWadLumpKind::wlkOther) {
            line +=
                ", type " + LumpTypeText(lump.Type) + ", " + Plural(lump.DiskSize, "byte", "bytes");
        } else if (kind == TWadLumpKind::wlkPalette) {
            line += PaletteNote(WadLumpBytes(wad, lump));
        } else {
            const TPictureSize size = WadPictureSize(wad, lump);
            line += ", " + PictureSizeText(size.Width, size.Height);
        }
    } catch (const TFailure& failure) {
        line += ", cannot read: " + std::string(failure.what());
    }
    return line;
}

void DescribeWadLump(std::span<const unsigned char> wad, const TWadLump& lump,
                     std::vector<std::string>& lines) {
    lines.push_back("  " + lump.Name + ": " + LumpKindName(KindOfLump(lump)) +
                    WadLumpDetails(wad, lump));
}

void DescribeWad(std::span<const unsigned char> bytes, TStopPoll& stopped,
                 std::vector<std::string>& lines) {
    const TWadDirectory directory = ReadWadHeader(bytes);
    lines[0] += ", " + Plural(directory.Count, "lump", "lumps");
    const std::size_t told = std::min(directory.Count, kMaxListedParts);
    for (std::size_t i = 0; i < told; ++i) {
        if (stopped())
            return;
        DescribeWadLump(bytes, ReadWadLump(bytes, directory, i), lines);
    }
    SayRest(lines, directory.Count, told, "lump", "lumps");
}

void DescribeMap(std::span<const unsigned char> bytes, TStopPoll& stopped,
                 std::vector<std::string>& lines) {
    const TBspInfo info = ReadBspInfo(bytes);
    lines[0] += ", " + info.Variant + ", " + Plural(info.Textures.size(), "texture", "textures");
    const std::size_t told = std::min(info.Textures.size(), kMaxListedParts);
    for (std::size_t i = 0; i < told; ++i) {
        if (stopped())
            return;
        const TBspTexture& texture = info.Textures[i];
        lines.push_back("  " + std::to_string(i) + ": " +
                        (texture.Missing ? std::string("(missing)")
                                         : texture.Name + ", " +
                                               PictureSizeText(texture.Width, texture.Height)));
    }
    SayRest(lines, info.Textures.size(), told, "texture", "textures");
}

// The textures by name alone: their pictures are entries of their own.
void DescribeQuake2Map(std::span<const unsigned char> bytes, TStopPoll& stopped,
                       std::vector<std::string>& lines) {
    const TQuake2Map map = ReadQuake2Map(bytes, kMaxListedParts);
    lines[0] += ", " + Plural(map.TextureCount, "texture", "textures");
    for (std::size_t i = 0; i < map.Textures.size(); ++i) {
        if (stopped())
            return;
        lines.push_back("  " + std::to_string(i) + ": " + map.Textures[i]);
    }
    SayRest(lines, map.TextureCount, map.Textures.size(), "texture", "textures");
}

// A line for each group of skins and each frame, each list cut at the cap.
void DescribeModel(std::span<const unsigned char> bytes, TStopPoll& stopped,
                   std::vector<std::string>& lines) {
    std::vector<std::string> skins, frames;
    std::size_t groups = 0;
    const TMdlHeader model = WalkMdl(
        bytes,
        [&](const TMdlSkin& skin) {
            if (skin.Group && groups++ < kMaxListedParts)
                skins.push_back(PartLine("skin", skin.Index) +
                                GroupOf(skin.Pictures, "picture", "pictures"));
            return !stopped();
        },
        [&](const TMdlFrame& frame) {
            if (frames.size() < kMaxListedParts)
                frames.push_back(PartLine("frame", frame.Index) +
                                 (frame.Group
                                      ? GroupOf(frame.Members, "frame", "frames") +
                                            (frame.Members == 0 ? "" : " from " + frame.FirstName)
                                      : frame.FirstName));
            return !stopped();
        });
    if (stopped())
        return;
    lines[0] += ", " + Plural(model.Skins, "skin", "skins") + " of " +
                PictureSizeText(model.SkinWidth, model.SkinHeight) + ", " +
                Plural(static_cast<std::size_t>(model.Vertices), "vertex", "vertices") + ", " +
                Plural(static_cast<std::size_t>(model.Triangles), "triangle", "triangles") + ", " +
                Plural(model.Frames, "frame", "frames");
    lines.insert(lines.end(), skins.begin(), skins.end());
    SayRest(lines, groups, skins.size(), "skin group", "skin groups");
    lines.insert(lines.end(), frames.begin(), frames.end());
    SayRest(lines, model.Frames, frames.size(), "frame", "frames");
}

// A line for each name, up to the cap, and one for the rest.
void NameLines(std::vector<std::string>& lines, const char* what,
               const std::vector<std::string>& names) {
    const std::size_t told = std::min(names.size(), kMaxListedParts);
    for (std::size_t i = 0; i < told; ++i)
        lines.push_back(PartLine(what, i) + names[i]);
    SayRest(lines, names.size(), told, what, (std::string(what) + "s").c_str());
}

// A line for each frame with the sizes of its pictures; no more than the cap
// of pictures is told in all.
void DescribeSprite(std::span<const unsigned char> bytes, TStopPoll& stopped,
                    std::vector<std::string>& lines) {
    std::vector<std::string> frames;
    std::size_t told = 0;   // pictures
    std::size_t unsaid = 0; // pictures of the last frame told but not in its line
    bool telling = false;   // the last frame has a line
    const auto endFrame = [&] {
        if (telling && unsaid > 0)
            frames.back() +=
                ", and " + FormatThousands64(static_cast<std::int64_t>(unsaid)) + " more";
        unsaid = 0;
    };
    const TSprHeader sprite = WalkSpr(
        bytes,
        [&](const TSprFrame& frame) {
            endFrame();
            telling = told < kMaxListedParts;
            if (telling)
                frames.push_back(
                    PartLine("frame", frame.Index) +
                    (frame.Group ? GroupOf(frame.Pictures, "picture", "pictures") : std::string()));
            return !stopped();
        },
        [&](const TSprPicture& picture) {
            if (telling && told < kMaxListedParts) {
                frames.back() +=
                    (picture.Group ? ", " : "") + PictureSizeText(picture.Width, picture.Height);
                ++told;
            } else if (telling) {
                ++unsaid;
            }
            return !stopped();
        });
    endFrame();
    if (stopped())
        return;
    if (sprite.HalfLife)
        lines[0] += ", " + SprTextureFormatText(sprite.TextureFormat);
    lines[0] += ", " + Plural(sprite.Frames, "frame", "frames") + ", up to " +
                PictureSizeText(sprite.MaxWidth, sprite.MaxHeight);
    lines.insert(lines.end(), frames.begin(), frames.end());
    SayRest(lines, sprite.Frames, frames.size(), "frame", "frames");
}

void DescribeContent(TEntryKind kind, std::span<const unsigned char> bytes, TStopPoll& stopped,
                     std::vector<std::string>& lines) {
    switch (kind) {
    case TEntryKind::ekUnknown:
    case TEntryKind::ekImage:
        lines[0] += ", " + Plural(bytes.size(), "byte", "bytes");
        break;
    case TEntryKind::ekText:
        lines[0] += ", " + Plural(TextLines(bytes), "line", "lines") + ", " +
                    Plural(bytes.size(), "byte", "bytes");
        break;
    case TEntryKind::ekPalette:
        lines[0] += PaletteNote(bytes);
        break;
    case TEntryKind::ekColormap:
        CheckColormap(bytes);
        lines[0] += ", 256 colours x 64 light levels";
        break;
    case TEntryKind::ekLmpPicture: {
        const TPictureSize size = LmpPictureSize(bytes);
        lines[0] += ", " + PictureSizeText(size.Width, size.Height);
        break;
    }
    case TEntryKind::ekWad2:
        DescribeWad(bytes, stopped, lines);
        break;
    case TEntryKind::ekWadLump:
        lines[0] += WadLumpDetails(bytes, ReadWadLump(bytes, ReadWadHeader(bytes), 0));
        break;
    case TEntryKind::ekBsp:
        DescribeMap(bytes, stopped, lines);
        break;
    case TEntryKind::ekModel:
        DescribeModel(bytes, stopped, lines);
        break;
    case TEntryKind::ekSprite:
        DescribeSprite(bytes, stopped, lines);
        break;
    case TEntryKind::ekPcx: {
        const TPcxInfo info = ReadPcxInfo(bytes);
        lines[0] += ", " + PictureSizeText(info.Size.Width, info.Size.Height) +
                    (info.Indexed ? ", 8-bit with palette" : ", 24-bit");
        break;
    }
    case TEntryKind::ekMd2: {
        const TMd2Model model = ReadMd2(bytes);
        lines[0] += ", " + Plural(model.Skins.size(), "skin", "skins") + " of " +
                    PictureSizeText(model.SkinWidth, model.SkinHeight) + ", " +
                    Plural(model.Vertices, "vertex", "vertices") + ", " +
                    Plural(model.Triangles, "triangle", "triangles") + ", " +
                    Plural(model.Frames.size(), "frame", "frames");
        NameLines(lines, "skin", model.Skins);
        NameLines(lines, "frame", model.Frames);
        break;
    }
    case TEntryKind::ekSp2: {
        const std::vector<TSp2Frame> frames = ReadSp2(bytes);
        lines[0] += ", " + Plural(frames.size(), "frame", "frames");
        const std::size_t told = std::min(frames.size(), kMaxListedParts);
        for (std::size_t i = 0; i < told; ++i)
            lines.push_back(PartLine("frame", i) + frames[i].Picture + ", " +
                            PictureSizeText(frames[i].Width, frames[i].Height));
        SayRest(lines, frames.size(), told, "frame", "frames");
        break;
    }
    case TEntryKind::ekQuake2Map:
        DescribeQuake2Map(bytes, stopped, lines);
        break;
    case TEntryKind::ekWal: {
        const TWalHeader header = ReadWalHeader(bytes);
        const TPictureSize size = WalSize(bytes);
        lines[0] += ", " + header.Name + ", " + PictureSizeText(size.Width, size.Height);
        if (!header.NextFrame.empty())
            lines[0] += ", next frame " + header.NextFrame;
        break;
    }
    case TEntryKind::ekTga: {
        const TTgaInfo info = ReadTgaInfo(bytes);
        lines[0] +=
            ", " + PictureSizeText(info.Size.Width, info.Size.Height) + ", " + TgaFormatText(info);
        break;
    }
    case TEntryKind::ekWave: {
        const TWaveInfo info = ReadWaveInfo(bytes);
        lines[0] += ", " + WaveFormatName(info.FormatTag) + ", " +
                    Plural(info.Channels, "channel", "channels") + ", " +
                    std::to_string(info.SampleRate) + " Hz, " + std::to_string(info.BitsPerSample) +
                    "-bit, " + Seconds(info.Seconds) + " (" +
                    Plural(info.SampleFrames, "frame", "frames") + ")";
        if (info.LoopStart) {
            std::string loop = "  loops from frame " + std::to_string(*info.LoopStart) + " (" +
                               Seconds(static_cast<double>(*info.LoopStart) / info.SampleRate) +
                               ")";
            if (info.LoopLength)
                loop += " for " + Plural(*info.LoopLength, "frame", "frames");
            lines.push_back(loop);
        }
        lines.push_back("  samples at offset " + std::to_string(info.DataOffset) + ", " +
                        Plural(info.DataLength, "byte", "bytes"));
        break;
    }
    }
}

} // namespace

TEntryKind ClassifyEntry(std::string_view name, std::span<const unsigned char> bytes) {
    // What the bytes say they are wins over any name they were given.
    if (const TEntryKind signed_ = KindBySignature(bytes); signed_ != TEntryKind::ekUnknown)
        return signed_;
    const std::string lower = AsciiLower(name);
    if (lower == kPaletteEntryName)
        return TEntryKind::ekPalette;
    if (lower == kColormapEntryName)
        return TEntryKind::ekColormap;
    if (NameBase(lower) == "gfx.wad")
        return TEntryKind::ekWad2;

    const std::string ext = NameExtension(lower);
    if (OneOf(kTextExtensions, ext))
        return TEntryKind::ekText;
    if (ext == "lmp")
        return TEntryKind::ekLmpPicture;
    if (ext == "wad")
        return TEntryKind::ekWad2;
    if (ext == "bsp")
        return TEntryKind::ekBsp;
    if (ext == "mdl")
        return TEntryKind::ekModel;
    if (ext == "spr")
        return TEntryKind::ekSprite;
    if (ext == "pcx")
        return TEntryKind::ekPcx;
    if (ext == "tga")
        return TEntryKind::ekTga;
    if (ext == "wal")
        return TEntryKind::ekWal;
    if (ext == "md2")
        return TEntryKind::ekMd2;
    if (ext == "sp2")
        return TEntryKind::ekSp2;
    if (OneOf(kImageExtensions, ext))
        return TEntryKind::ekImage;
    if (ext == "wav")
        return TEntryKind::ekWave;
    // Version 29 alone is four common bytes; only a full header makes a map.
    if (ext.empty() && bytes.size() >= kBspHeaderBytes && IsBspSignature(bytes))
        return TEntryKind::ekBsp;
    return TEntryKind::ekUnknown;
}

// How each kind is called (English, marked for the catalogue: messages
// translate it where they show it); a kind not here is "Unknown kind".
constexpr std::pair<TEntryKind, const char*> kEntryKindNames[] = {
    {TEntryKind::ekText, TrMark("Text")},
    {TEntryKind::ekPalette, TrMark("Palette")},
    {TEntryKind::ekColormap, TrMark("Light table")},
    {TEntryKind::ekLmpPicture, TrMark("Picture")},
    {TEntryKind::ekWad2, TrMark("Picture container (WAD2)")},
    {TEntryKind::ekBsp, TrMark("Map")},
    {TEntryKind::ekModel, TrMark("Model")},
    {TEntryKind::ekSprite, TrMark("Sprite")},
    {TEntryKind::ekPcx, TrMark("PCX picture")},
    {TEntryKind::ekTga, TrMark("TGA picture")},
    {TEntryKind::ekWal, TrMark("Quake II texture")},
    {TEntryKind::ekMd2, TrMark("Quake II model")},
    {TEntryKind::ekSp2, TrMark("Quake II sprite")},
    {TEntryKind::ekQuake2Map, TrMark("Quake II map")},
    {TEntryKind::ekImage, TrMark("Picture")},
    {TEntryKind::ekWave, TrMark("Sound")},
    {TEntryKind::ekWadLump, TrMark("Lump")},
};

const char* EntryKindName(TEntryKind kind) {
    return Lookup(kEntryKindNames, kind, TrMark("Unknown kind"));
}

std::string EntryKindTitle(TEntryKind kind, std::string_view name,
                           std::span<const unsigned char> bytes) {
    if (kind == TEntryKind::ekImage)
        return ImageFormat(name, bytes) + " picture";
    // One kind for both, told apart by what the file says it is.
    if (kind == TEntryKind::ekWad2 && HasTag(bytes, 0, kWad3Tag))
        return "Picture container (WAD3)";
    if (kind == TEntryKind::ekWadLump) {
        try {
            const TWadLump lump = ReadWadLump(bytes, ReadWadHeader(bytes), 0);
            std::string title = LumpKindName(KindOfLump(lump));
            if (!title.empty())
                title[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(title[0])));
            return title + " (a lump of a " + (lump.HalfLife ? "WAD3" : "WAD2") + ")";
        } catch (const TFailure&) {
            return EntryKindName(kind);
        }
    }
    if (kind == TEntryKind::ekSprite && HasTag(bytes, 0, kSprTag) && bytes.size() >= 8) {
        TByteReader reader(bytes.subspan(kSprTag.size()));
        if (reader.ReadInt32() == kSprHalfLifeVersion)
            return "Sprite (Half-Life)";
    }
    return EntryKindName(kind);
}

std::vector<std::string> DescribeEntry(std::string_view name, std::span<const unsigned char> bytes,
                                       const std::function<bool()>& stop) {
    return DescribeEntry(ClassifyEntry(name, bytes), name, bytes, stop);
}

std::vector<std::string> DescribeEntry(TEntryKind kind, std::string_view name,
                                       std::span<const unsigned char> bytes,
                                       const std::function<bool()>& stop) {
    std::vector<std::string> lines{EntryKindTitle(kind, name, bytes)};
    TStopPoll stopped(stop);
    try {
        DescribeContent(kind, bytes, stopped, lines);
    } catch (const TFailure& failure) {
        lines.resize(1);
        lines.push_back(std::string("Cannot read: ") + failure.what());
    }
    return lines;
}

TPaletteGame PaletteGameOf(TEntryKind kind) {
    return kind == TEntryKind::ekWal || kind == TEntryKind::ekQuake2Map ? TPaletteGame::pgQuake2
                                                                        : TPaletteGame::pgQuake;
}

const char* PaletteEntryNameOf(TPaletteGame game) {
    return game == TPaletteGame::pgQuake2 ? kQuake2PaletteEntryName : kPaletteEntryName;
}

} // namespace zorvak
