#include "formats/Bsp.h"

#include "formats/Layout.h"
#include "formats/MipTexture.h"
#include "formats/Quake2Map.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>

namespace zorvak {

namespace {

constexpr const char* kLumpNames[kBspLumpCount] = {
    "entities", "planes",       "textures", "vertexes",  "visibility",
    "nodes",    "texinfo",      "faces",    "lighting",  "clipnodes",
    "leafs",    "marksurfaces", "edges",    "surfedges", "models"};

std::span<const unsigned char> TexturesLump(std::span<const unsigned char> bsp,
                                            const TBspInfo& info) {
    const TBspLump& lump = info.Lumps[kBspTexturesLump];
    return SliceOf(bsp, lump.Offset, lump.Length, TrMark("Map lump textures"));
}

} // namespace

std::string MissingTextureMessage(std::size_t index) {
    return FormatText(Tr("Texture {1} is missing from the map"), index);
}

const char* BspLumpName(std::size_t index) {
    return index < kBspLumpCount ? kLumpNames[index] : "?";
}

namespace {
// The variant the first four bytes name, or empty.
std::string BspVariantOf(std::span<const unsigned char> bytes) {
    if (bytes.size() < 4)
        return {};
    const std::string_view magic(reinterpret_cast<const char*>(bytes.data()), 4);
    if (magic == kBsp2Tag || magic == kBsp2OldTag)
        return std::string(magic);
    TByteReader reader(bytes);
    const std::int32_t version = reader.ReadInt32();
    return version == kBspVersion || version == kBspHalfLifeVersion
               ? "version " + std::to_string(version)
               : std::string();
}
} // namespace

bool IsBspSignature(std::span<const unsigned char> bytes) {
    return !BspVariantOf(bytes).empty();
}

TBspInfo ReadBspInfo(std::span<const unsigned char> bsp) {
    if (bsp.size() < kBspHeaderBytes)
        throw TFailure(Tr("Map header is cut short"));
    TByteReader reader(bsp);
    const std::int32_t version = reader.ReadInt32();
    TBspInfo info;
    info.Variant = BspVariantOf(bsp);
    info.HalfLife = version == kBspHalfLifeVersion;
    if (info.Variant.empty()) {
        // Later games' maps name themselves so, with their version after.
        std::string found = FormatText(Tr("version {1}"), version);
        if (HasTag(bsp, 0, kQuake2MapTag)) {
            TByteReader tagged(bsp.subspan(kQuake2MapTag.size()));
            found = FormatText(Tr("{1} version {2}"), kQuake2MapTag, tagged.ReadInt32());
        }
        throw TFailure(FormatText(Tr("Not a version {1} map ({2})"), kBspVersion, found));
    }
    for (std::size_t i = 0; i < kBspLumpCount; ++i) {
        TBspLump& lump = info.Lumps[i];
        lump.Offset = reader.ReadUInt32();
        lump.Length = reader.ReadUInt32();
        (void)SliceOf(bsp, lump.Offset, lump.Length, FormatText(Tr("Map lump {1}"), kLumpNames[i]));
    }

    // An empty textures lump is a map without textures, not a damaged one.
    const auto textures = TexturesLump(bsp, info);
    if (textures.empty())
        return info;
    TByteReader lump(textures);
    const std::int32_t count = lump.ReadInt32();
    if (count < 0 || static_cast<std::uint64_t>(count) * kFieldBytes > lump.Remaining())
        throw TFailure(
            FormatText(Tr("Texture count {1} runs past the end of the textures lump"), count));
    if (count > kBspMaxTextures)
        throw TFailure(FormatText(Tr("Texture count {1} is more than a map holds"), count));
    std::vector<std::int32_t> offsets(static_cast<std::size_t>(count));
    for (auto& offset : offsets)
        offset = lump.ReadInt32();
    info.Textures.resize(offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        TBspTexture& texture = info.Textures[i];
        // A negative offset is how the compiler marks a texture it could not find.
        if (offsets[i] < 0) {
            texture.Missing = true;
            continue;
        }
        texture.Offset = static_cast<std::uint32_t>(offsets[i]);
        if (texture.Offset > textures.size() ||
            textures.size() - texture.Offset < kMipTextureHeaderBytes)
            throw TFailure(FormatText(Tr("Texture {1} lies outside the textures lump"), i));
        const TMipTextureHeader header = ReadMipTextureHeader(textures.subspan(texture.Offset));
        texture.Name = header.Name;
        texture.Width = header.Width;
        texture.Height = header.Height;
    }
    return info;
}

TIndexedPicture ReadBspTexture(std::span<const unsigned char> bsp, const TBspInfo& info,
                               std::size_t index) {
    if (index >= info.Textures.size())
        throw TListIndexFailure();
    const TBspTexture& texture = info.Textures[index];
    if (texture.Missing)
        throw TFailure(MissingTextureMessage(index));
    const auto lump = TexturesLump(bsp, info);
    return ReadMipTexture(SliceOf(lump, texture.Offset,
                                  lump.size() - std::min<std::size_t>(texture.Offset, lump.size()),
                                  FormatText(Tr("Texture {1}"), index)));
}

} // namespace zorvak
