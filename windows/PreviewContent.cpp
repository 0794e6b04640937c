#include "windows/PreviewContent.h"

#include "archive/PakExtract.h"
#include "formats/Bsp.h"
#include "formats/Lmp.h"
#include "formats/Mdl.h"
#include "formats/MipTexture.h"
#include "formats/Pcx.h"
#include "formats/Spr.h"
#include "formats/Wad2.h"
#include "framework/Failures.h"
#include "framework/Text.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

namespace zorvak {

namespace {

constexpr std::size_t kTextSniffBytes = 64 * 1024;
// Loose pictures are drawn over the screen as the status bar's are: 255 is
// left out.
constexpr int kLmpTransparentIndex = 255;

using TSharedPalette = std::shared_ptr<const TPalette>;

std::string Size(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

void AddWadLumps(std::span<const unsigned char> bytes, const TSharedPalette& palette,
                 TPictureSet& set) {
    const std::vector<TWadLump> lumps = ReadWadDirectory(bytes);
    set.TotalParts = lumps.size();
    for (std::size_t i = 0; i < lumps.size() && i < kPreviewMaxParts; ++i) {
        const TWadLump& lump = lumps[i];
        const TWadLumpKind kind = KindOfLump(lump);
        TPicturePart part;
        part.Name = lump.Name;
        part.Format = LumpKindName(kind);
        part.InPalette = kind != TWadLumpKind::wlkPalette;
        // Only each lump's own header is read for the list: decoding every
        // lump up front would let a directory of a million lumps that all
        // name one big picture take minutes.
        try {
            switch (kind) {
            case TWadLumpKind::wlkPalette:
                part.Detail = "256 colours";
                break;
            case TWadLumpKind::wlkConsoleFont:
                part.Detail = Size(kConsoleFontSide, kConsoleFontSide);
                part.GridCell = kConsoleCharSide;
                break;
            case TWadLumpKind::wlkMipTexture: {
                const TMipTextureHeader header = ReadMipTextureHeader(WadLumpBytes(bytes, lump));
                part.Detail = Size(header.Width, header.Height);
                break;
            }
            case TWadLumpKind::wlkStatusPicture: {
                TByteReader reader(WadLumpBytes(bytes, lump));
                const std::int32_t width = reader.ReadInt32();
                part.Detail = Size(width, reader.ReadInt32());
                break;
            }
            case TWadLumpKind::wlkOther: {
                char type[8];
                std::snprintf(type, sizeof type, "0x%02X", lump.Type);
                part.Detail = "type " + std::string(type);
                part.Problem = "Lump " + lump.Name + " is not a picture (type " + type + ")";
                part.Bytes = WadLumpBytes(bytes, lump);
                break;
            }
            }
        } catch (const TFailure& failure) {
            part.Detail = "damaged";
            if (kind == TWadLumpKind::wlkOther)
                part.Problem = failure.what();
        }
        if (kind != TWadLumpKind::wlkOther)
            part.Decode = [bytes, lump, kind, palette] {
                const TIndexedPicture picture = ReadWadPicture(bytes, lump);
                return kind == TWadLumpKind::wlkPalette
                           ? ToRgba(picture, ReadPalette(WadLumpBytes(bytes, lump)))
                           : ToRgba(picture, *palette, TransparentIndexOf(kind));
            };
        set.Parts.push_back(std::move(part));
    }
}

void AddMapTextures(std::span<const unsigned char> bytes, const TSharedPalette& palette,
                    TPictureSet& set) {
    const auto info = std::make_shared<const TBspInfo>(ReadBspInfo(bytes));
    set.TotalParts = info->Textures.size();
    for (std::size_t i = 0; i < info->Textures.size() && i < kPreviewMaxParts; ++i) {
        const TBspTexture& texture = info->Textures[i];
        TPicturePart part;
        part.Name = texture.Missing ? "texture " + std::to_string(i) : texture.Name;
        part.Detail = texture.Missing ? "missing" : Size(texture.Width, texture.Height);
        part.Format = "texture";
        part.InPalette = true;
        if (texture.Missing)
            part.Problem = "Texture " + std::to_string(i) + " is missing from the map";
        else
            part.Decode = [bytes, info, i, palette] {
                return ToRgba(ReadBspTexture(bytes, *info, i), *palette);
            };
        set.Parts.push_back(std::move(part));
    }
}

// Skins of a model, frames of a sprite: decoded together by their readers,
// so the parts keep the whole result.
template <class Owner>
void AddPicture(TPictureSet& set, std::shared_ptr<const Owner> owner,
                const TIndexedPicture& picture, std::string name, const char* format,
                const TSharedPalette& palette, int transparent) {
    if (set.Parts.size() >= kPreviewMaxParts)
        return;
    TPicturePart part;
    part.Name = std::move(name);
    part.Detail = Size(picture.Width, picture.Height);
    part.Format = format;
    part.InPalette = true;
    part.Decode = [owner, &picture, palette, transparent] {
        return ToRgba(picture, *palette, transparent);
    };
    set.Parts.push_back(std::move(part));
}

std::string PartName(const char* what, std::size_t i, bool group, std::size_t j) {
    return std::string(what) + " " + std::to_string(i) + (group ? "." + std::to_string(j) : "");
}

} // namespace

TPreviewPalette FindPreviewPalette(const TLockedFile& archive, const TPakEntries& entries,
                                   const std::filesystem::path& archivePath) {
    const TFoundPalette found =
        FindArchivePalette(archive, entries, archivePath, TShareMode::smExclusive);
    return {found.Colours, found.Source,
            found.Source == TPaletteSource::psGrey ? NoPaletteNote(found) : std::string(),
            found.Final};
}

bool UsesPalette(TEntryKind kind) {
    switch (kind) {
    case TEntryKind::ekColormap:
    case TEntryKind::ekLmpPicture:
    case TEntryKind::ekWad2:
    case TEntryKind::ekBsp:
    case TEntryKind::ekModel:
    case TEntryKind::ekSprite:
        return true;
    default:
        return false;
    }
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
                       const TPalette& colours) {
    TPictureSet set;
    // Shared by the parts' decoders, which may outlive the caller's palette.
    const auto palette = std::make_shared<const TPalette>(colours);
    const auto single = [&](std::string format, bool inPalette,
                            std::function<TRgbaPicture()> decode) {
        TPicturePart part;
        part.Name = std::string(name);
        part.Format = std::move(format);
        part.InPalette = inPalette;
        part.Decode = std::move(decode);
        set.Parts.push_back(std::move(part));
        set.TotalParts = 1;
    };
    switch (kind) {
    case TEntryKind::ekPalette:
        single("palette, 256 colours", false,
               [bytes] { return ToRgba(PaletteSwatch(), ReadPalette(bytes)); });
        break;
    case TEntryKind::ekColormap:
        single("light table, 64 levels", true,
               [bytes, palette] { return ToRgba(ReadColormap(bytes), *palette); });
        break;
    case TEntryKind::ekLmpPicture:
        single("palette picture (.lmp)", true, [bytes, palette] {
            return ToRgba(ReadLmpPicture(bytes), *palette, kLmpTransparentIndex);
        });
        break;
    case TEntryKind::ekPcx: {
        const auto pcx = std::make_shared<const TPcxPicture>(ReadPcx(bytes));
        single(pcx->Indexed ? "PCX, 8-bit with its palette" : "PCX, 24-bit", false,
               [pcx] { return pcx->Rgba; });
        break;
    }
    case TEntryKind::ekWad2:
        set.List = TPartList::plLumps;
        AddWadLumps(bytes, palette, set);
        break;
    case TEntryKind::ekBsp:
        set.List = TPartList::plTextures;
        AddMapTextures(bytes, palette, set);
        break;
    case TEntryKind::ekModel: {
        set.List = TPartList::plSkins;
        const auto model = std::make_shared<const TMdlModel>(ReadMdl(bytes));
        for (std::size_t s = 0; s < model->Skins.size(); ++s) {
            const TMdlSkin& skin = model->Skins[s];
            set.TotalParts += skin.Pictures.size();
            for (std::size_t p = 0; p < skin.Pictures.size(); ++p)
                AddPicture(set, model, skin.Pictures[p], PartName("skin", s, skin.Group, p), "skin",
                           palette, kOpaque);
        }
        break;
    }
    case TEntryKind::ekSprite: {
        set.List = TPartList::plFrames;
        const auto sprite = std::make_shared<const TSprite>(ReadSpr(bytes));
        for (std::size_t f = 0; f < sprite->Frames.size(); ++f) {
            const TSprFrame& frame = sprite->Frames[f];
            set.TotalParts += frame.Pictures.size();
            for (std::size_t p = 0; p < frame.Pictures.size(); ++p)
                AddPicture(set, sprite, frame.Pictures[p].Picture,
                           PartName("frame", f, frame.Group, p), "sprite frame", palette,
                           kSpriteTransparentIndex);
        }
        break;
    }
    default:
        break;
    }
    return set;
}

} // namespace zorvak
