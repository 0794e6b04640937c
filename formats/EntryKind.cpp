#include "formats/EntryKind.h"

#include "formats/Bsp.h"
#include "formats/Layout.h"
#include "formats/Lmp.h"
#include "formats/Mdl.h"
#include "formats/MipTexture.h"
#include "formats/Pcx.h"
#include "formats/Png.h"
#include "formats/Spr.h"
#include "formats/Wad2.h"
#include "formats/WaveInfo.h"
#include "framework/Failures.h"
#include "framework/Text.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace zorvak {

namespace {

constexpr std::string_view kTextExtensions[] = {"cfg", "rc",  "ent",    "qc",
                                                "txt", "map", "shader", "lst"};

std::string_view BaseName(std::string_view name) {
    const auto slash = name.find_last_of('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

std::string Extension(std::string_view name) {
    const std::string_view base = BaseName(name);
    const auto dot = base.find_last_of('.');
    return dot == std::string_view::npos ? std::string() : AsciiLower(base.substr(dot + 1));
}

std::string Stem(std::string_view name) {
    const std::string_view base = BaseName(name);
    return std::string(base.substr(0, base.find_last_of('.')));
}

std::string Size(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

std::string ImageFormat(std::string_view name, std::span<const unsigned char> bytes) {
    if (HasTag(bytes, 0, std::string_view(reinterpret_cast<const char*>(kPngSignature), 8)))
        return "PNG";
    const std::string ext = Extension(name);
    if (ext == "jpg" || ext == "jpeg")
        return "JPEG";
    return AsciiUpper(ext);
}

std::size_t TextLines(std::span<const unsigned char> bytes) {
    const auto ends = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    return ends + (!bytes.empty() && bytes.back() != '\n' ? 1 : 0);
}

void DescribeWadLump(std::span<const unsigned char> wad, const TWadLump& lump,
                     std::vector<std::string>& lines) {
    const TWadLumpKind kind = KindOfLump(lump);
    std::string line = "  " + lump.Name + ": " + LumpKindName(kind);
    try {
        if (kind == TWadLumpKind::wlkOther) {
            char type[8];
            std::snprintf(type, sizeof type, "0x%02X", lump.Type);
            line += ", type " + std::string(type) + ", " + Plural(lump.DiskSize, "byte", "bytes");
        } else if (kind == TWadLumpKind::wlkPalette) {
            (void)ReadPalette(WadLumpBytes(wad, lump));
            line += ", 256 colours";
        } else {
            const TIndexedPicture picture = ReadWadPicture(wad, lump);
            line += ", " + Size(picture.Width, picture.Height);
        }
    } catch (const TFailure& failure) {
        line += ", cannot read: " + std::string(failure.what());
    }
    lines.push_back(line);
}

void DescribeContent(TEntryKind kind, std::span<const unsigned char> bytes,
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
        (void)ReadPalette(bytes);
        lines[0] += ", 256 colours";
        break;
    case TEntryKind::ekColormap:
        (void)ReadColormap(bytes);
        lines[0] += ", 256 colours x 64 light levels";
        break;
    case TEntryKind::ekLmpPicture: {
        const TIndexedPicture picture = ReadLmpPicture(bytes);
        lines[0] += ", " + Size(picture.Width, picture.Height);
        break;
    }
    case TEntryKind::ekWad2: {
        const std::vector<TWadLump> lumps = ReadWadDirectory(bytes);
        lines[0] += ", " + Plural(lumps.size(), "lump", "lumps");
        for (const TWadLump& lump : lumps)
            DescribeWadLump(bytes, lump, lines);
        break;
    }
    case TEntryKind::ekBsp: {
        const TBspInfo info = ReadBspInfo(bytes);
        lines[0] += ", version 29, " + Plural(info.Textures.size(), "texture", "textures");
        for (std::size_t i = 0; i < info.Textures.size(); ++i) {
            const TBspTexture& texture = info.Textures[i];
            lines.push_back("  " + std::to_string(i) + ": " +
                            (texture.Missing
                                 ? std::string("(missing)")
                                 : texture.Name + ", " + Size(texture.Width, texture.Height)));
        }
        break;
    }
    case TEntryKind::ekModel: {
        const TMdlModel model = ReadMdl(bytes);
        lines[0] += ", " + Plural(model.Skins.size(), "skin", "skins") + " of " +
                    Size(model.SkinWidth, model.SkinHeight) + ", " +
                    Plural(static_cast<std::size_t>(model.Vertices), "vertex", "vertices") + ", " +
                    Plural(static_cast<std::size_t>(model.Triangles), "triangle", "triangles") +
                    ", " + Plural(model.Frames.size(), "frame", "frames");
        for (std::size_t i = 0; i < model.Skins.size(); ++i)
            if (model.Skins[i].Group)
                lines.push_back("  skin " + std::to_string(i) + ": group of " +
                                Plural(model.Skins[i].Pictures.size(), "picture", "pictures"));
        for (std::size_t i = 0; i < model.Frames.size(); ++i) {
            const TMdlFrame& frame = model.Frames[i];
            std::string line = "  frame " + std::to_string(i) + ": ";
            if (frame.Group)
                line += "group of " + Plural(frame.Names.size(), "frame", "frames") +
                        (frame.Names.empty() ? "" : " from " + frame.Names.front());
            else
                line += frame.Names.front();
            lines.push_back(line);
        }
        break;
    }
    case TEntryKind::ekSprite: {
        const TSprite sprite = ReadSpr(bytes);
        lines[0] += ", " + Plural(sprite.Frames.size(), "frame", "frames") + ", up to " +
                    Size(sprite.MaxWidth, sprite.MaxHeight);
        for (std::size_t i = 0; i < sprite.Frames.size(); ++i) {
            const TSprFrame& frame = sprite.Frames[i];
            std::string line = "  frame " + std::to_string(i) + ": ";
            if (frame.Group)
                line += "group of " + Plural(frame.Pictures.size(), "picture", "pictures");
            for (const TSprPicture& picture : frame.Pictures)
                line +=
                    (frame.Group ? ", " : "") + Size(picture.Picture.Width, picture.Picture.Height);
            lines.push_back(line);
        }
        break;
    }
    case TEntryKind::ekPcx: {
        const TPcxPicture picture = ReadPcx(bytes);
        lines[0] += ", " + Size(picture.Rgba.Width, picture.Rgba.Height) +
                    (picture.Indexed ? ", 8-bit with palette" : ", 24-bit");
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

void Collect(TEntryPictures& out, const std::string& name,
             const std::function<TRgbaPicture()>& decode) {
    try {
        out.Pictures.push_back({name, decode()});
    } catch (const TFailure& failure) {
        out.Problems.push_back(name + ": " + failure.what());
    }
}

} // namespace

TEntryKind ClassifyEntry(std::string_view name, std::span<const unsigned char> bytes) {
    const std::string lower = AsciiLower(name);
    if (lower == "gfx/palette.lmp")
        return TEntryKind::ekPalette;
    if (lower == "gfx/colormap.lmp")
        return TEntryKind::ekColormap;
    if (BaseName(lower) == "gfx.wad" || HasTag(bytes, 0, "WAD2"))
        return TEntryKind::ekWad2;
    if (HasTag(bytes, 0, "IDPO"))
        return TEntryKind::ekModel;
    if (HasTag(bytes, 0, "IDSP"))
        return TEntryKind::ekSprite;
    if (HasTag(bytes, 0, "RIFF") && HasTag(bytes, 8, "WAVE"))
        return TEntryKind::ekWave;
    if (HasTag(bytes, 0, std::string_view(reinterpret_cast<const char*>(kPngSignature), 8)))
        return TEntryKind::ekImage;

    const std::string ext = Extension(lower);
    if (std::find(std::begin(kTextExtensions), std::end(kTextExtensions), ext) !=
        std::end(kTextExtensions))
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
    if (ext == "tga" || ext == "png" || ext == "jpg" || ext == "jpeg")
        return TEntryKind::ekImage;
    if (ext == "wav")
        return TEntryKind::ekWave;
    // Version 29 alone is four common bytes; only a full header makes a map.
    if (ext.empty() && bytes.size() >= kBspHeaderBytes && bytes[0] == kBspVersion &&
        bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0)
        return TEntryKind::ekBsp;
    return TEntryKind::ekUnknown;
}

const char* EntryKindName(TEntryKind kind) {
    switch (kind) {
    case TEntryKind::ekText:
        return "Text";
    case TEntryKind::ekPalette:
        return "Palette";
    case TEntryKind::ekColormap:
        return "Light table";
    case TEntryKind::ekLmpPicture:
        return "Picture";
    case TEntryKind::ekWad2:
        return "Picture container (WAD2)";
    case TEntryKind::ekBsp:
        return "Map";
    case TEntryKind::ekModel:
        return "Model";
    case TEntryKind::ekSprite:
        return "Sprite";
    case TEntryKind::ekPcx:
        return "PCX picture";
    case TEntryKind::ekImage:
        return "Picture";
    case TEntryKind::ekWave:
        return "Sound";
    case TEntryKind::ekUnknown:
        break;
    }
    return "Unknown kind";
}

std::vector<std::string> DescribeEntry(std::string_view name,
                                       std::span<const unsigned char> bytes) {
    const TEntryKind kind = ClassifyEntry(name, bytes);
    std::vector<std::string> lines{EntryKindName(kind)};
    if (kind == TEntryKind::ekImage)
        lines[0] = ImageFormat(name, bytes) + " picture";
    try {
        DescribeContent(kind, bytes, lines);
    } catch (const TFailure& failure) {
        lines.resize(1);
        lines.push_back(std::string("Cannot read: ") + failure.what());
    }
    return lines;
}

TEntryPictures EntryPictures(std::string_view name, std::span<const unsigned char> bytes,
                             const TPalette& palette) {
    TEntryPictures out;
    const std::string stem = Stem(name);
    try {
        switch (ClassifyEntry(name, bytes)) {
        case TEntryKind::ekPalette:
            Collect(out, stem, [&] { return ToRgba(PaletteSwatch(), ReadPalette(bytes)); });
            break;
        case TEntryKind::ekColormap:
            Collect(out, stem, [&] { return ToRgba(ReadColormap(bytes), palette); });
            break;
        case TEntryKind::ekLmpPicture:
            Collect(out, stem, [&] { return ToRgba(ReadLmpPicture(bytes), palette, 255); });
            break;
        case TEntryKind::ekWad2:
            for (const TWadLump& lump : ReadWadDirectory(bytes)) {
                const TWadLumpKind kind = KindOfLump(lump);
                if (kind == TWadLumpKind::wlkOther)
                    continue;
                Collect(out, lump.Name, [&] {
                    const TIndexedPicture picture = ReadWadPicture(bytes, lump);
                    return kind == TWadLumpKind::wlkPalette
                               ? ToRgba(picture, ReadPalette(WadLumpBytes(bytes, lump)))
                               : ToRgba(picture, palette, TransparentIndexOf(kind));
                });
            }
            break;
        case TEntryKind::ekBsp: {
            const TBspInfo info = ReadBspInfo(bytes);
            for (std::size_t i = 0; i < info.Textures.size(); ++i)
                if (!info.Textures[i].Missing)
                    Collect(out, info.Textures[i].Name,
                            [&] { return ToRgba(ReadBspTexture(bytes, info, i), palette); });
            break;
        }
        case TEntryKind::ekModel: {
            const TMdlModel model = ReadMdl(bytes);
            for (std::size_t s = 0; s < model.Skins.size(); ++s)
                for (std::size_t p = 0; p < model.Skins[s].Pictures.size(); ++p)
                    Collect(out,
                            stem + "_skin" + std::to_string(s) +
                                (model.Skins[s].Group ? "_" + std::to_string(p) : ""),
                            [&] { return ToRgba(model.Skins[s].Pictures[p], palette); });
            break;
        }
        case TEntryKind::ekSprite: {
            const TSprite sprite = ReadSpr(bytes);
            for (std::size_t f = 0; f < sprite.Frames.size(); ++f)
                for (std::size_t p = 0; p < sprite.Frames[f].Pictures.size(); ++p)
                    Collect(out,
                            stem + "_frame" + std::to_string(f) +
                                (sprite.Frames[f].Group ? "_" + std::to_string(p) : ""),
                            [&] {
                                return ToRgba(sprite.Frames[f].Pictures[p].Picture, palette,
                                              kSpriteTransparentIndex);
                            });
            break;
        }
        case TEntryKind::ekPcx:
            Collect(out, stem, [&] { return ReadPcx(bytes).Rgba; });
            break;
        default:
            break;
        }
    } catch (const TFailure& failure) {
        out.Problems.push_back(stem + ": " + failure.what());
    }
    return out;
}

} // namespace zorvak
