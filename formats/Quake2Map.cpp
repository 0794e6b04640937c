#include "formats/Quake2Map.h"

#include "formats/Layout.h"
#include "framework/ByteReader.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <unordered_set>

namespace zorvak {

namespace {

constexpr const char* kLumpNames[kQuake2MapLumpCount] = {
    "entities", "planes",     "vertices",  "visibility",  "nodes",      "texinfo",   "faces",
    "lighting", "leafs",      "leaffaces", "leafbrushes", "edges",      "surfedges", "models",
    "brushes",  "brushsides", "pop",       "areas",       "areaportals"};

} // namespace

bool IsQuake2Map(std::span<const unsigned char> bytes) {
    if (!HasTag(bytes, 0, kQuake2MapTag) || bytes.size() < 8)
        return false;
    TByteReader reader(bytes.subspan(kQuake2MapTag.size()));
    return reader.ReadInt32() == kQuake2MapVersion;
}

TQuake2Map ReadQuake2Map(std::span<const unsigned char> bsp, std::size_t most) {
    TByteReader reader = OpenTagged(bsp, kQuake2MapTag, kQuake2MapVersion, kQuake2MapHeaderBytes,
                                    TrMark("Quake II map"), true);
    std::span<const unsigned char> texinfo;
    for (std::size_t i = 0; i < kQuake2MapLumpCount; ++i) {
        const std::uint32_t offset = reader.ReadUInt32();
        const std::uint32_t length = reader.ReadUInt32();
        const auto lump =
            SliceOf(bsp, offset, length, FormatText(Tr("Quake II map lump {1}"), kLumpNames[i]));
        if (i == kQuake2TexinfoLump)
            texinfo = lump;
    }
    if (texinfo.size() % kQuake2TexinfoBytes != 0)
        throw TFailure(FormatText(
            Tr("Quake II map's texture information holds {1} bytes, not whole records of {2}"),
            texinfo.size(), kQuake2TexinfoBytes));
    TQuake2Map map;
    map.Records = texinfo.size() / kQuake2TexinfoBytes;
    if (map.Records > kQuake2MaxTexinfo)
        throw TFailure(FormatText(
            Tr("Quake II map's texture information holds {1} records, more than a map holds"),
            map.Records));
    // Told apart as the archive tells names apart: a name in two spellings
    // is one entry, so one texture.
    std::unordered_set<std::string> seen;
    for (std::size_t r = 0; r < map.Records; ++r) {
        const std::string name = FixedName(texinfo.subspan(
            r * kQuake2TexinfoBytes + kQuake2TexinfoNameAt, kQuake2TextureNameBytes));
        if (!seen.insert(AsciiLower(name)).second)
            continue;
        if (map.Textures.size() < most)
            map.Textures.push_back(name);
    }
    map.TextureCount = seen.size();
    return map;
}

std::string Quake2TextureEntry(std::string_view texture) {
    return "textures/" + std::string(texture) + ".wal";
}

} // namespace zorvak
