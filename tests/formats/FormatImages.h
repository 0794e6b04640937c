// Entries of the formats' kinds built in memory, small enough to check by
// hand, for the decoders' tests and the fuzzers' seeds.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvak::test {

using Bytes = std::vector<unsigned char>;

// Appends little-endian fields, tags and fixed-size names.
struct TBytesWriter {
    Bytes Out;
    TBytesWriter& U8(unsigned value) {
        Out.push_back(static_cast<unsigned char>(value));
        return *this;
    }
    TBytesWriter& U16(unsigned value) { return U8(value).U8(value >> 8); }
    TBytesWriter& U32(std::uint32_t value) { return U16(value & 0xFFFF).U16(value >> 16); }
    TBytesWriter& I32(std::int32_t value) { return U32(static_cast<std::uint32_t>(value)); }
    TBytesWriter& F32(float value) { return U32(std::bit_cast<std::uint32_t>(value)); }
    TBytesWriter& Tag(const std::string& text) {
        Out.insert(Out.end(), text.begin(), text.end());
        return *this;
    }
    TBytesWriter& Name(const std::string& text, std::size_t field) {
        Bytes name(field, 0);
        std::copy(text.begin(),
                  text.begin() + static_cast<std::ptrdiff_t>(std::min(field, text.size())),
                  name.begin());
        return Raw(name);
    }
    TBytesWriter& Raw(const Bytes& bytes) {
        Out.insert(Out.end(), bytes.begin(), bytes.end());
        return *this;
    }
    TBytesWriter& Zeros(std::size_t n) { return Raw(Bytes(n, 0)); }
    std::size_t Size() const { return Out.size(); }
};

// Width, height, pixels.
inline Bytes MakeLmp(std::int32_t width, std::int32_t height, const Bytes& pixels) {
    return TBytesWriter().I32(width).I32(height).Raw(pixels).Out;
}

// A texture with its four levels; given all of the first level's pixels, the
// smaller levels follow filled with 0, else only the pixels given do.
inline Bytes MakeMipTexture(const std::string& name, std::uint32_t width, std::uint32_t height,
                            const Bytes& pixels) {
    TBytesWriter w;
    w.Name(name, 16).U32(width).U32(height);
    std::uint64_t at = 40;
    for (std::uint32_t level = 0; level < 4; ++level) {
        w.U32(static_cast<std::uint32_t>(at));
        at += std::uint64_t{width >> level} * (height >> level);
    }
    w.Raw(pixels);
    if (pixels.size() == std::uint64_t{width} * height)
        w.Zeros(static_cast<std::size_t>(at - 40 - pixels.size()));
    return w.Out;
}

// A Quake II texture: its full-size level right after the header, the
// smaller ones after it (filled with 0 when the pixels are all given).
inline Bytes MakeWal(const std::string& name, std::uint32_t width, std::uint32_t height,
                     const Bytes& pixels, const std::string& next = "") {
    TBytesWriter w;
    w.Name(name, 32).U32(width).U32(height);
    std::uint64_t at = 100;
    for (std::uint32_t level = 0; level < 4; ++level) {
        w.U32(static_cast<std::uint32_t>(at));
        at += std::uint64_t{width >> level} * (height >> level);
    }
    w.Name(next, 32).U32(0).U32(0).U32(0).Raw(pixels);
    if (pixels.size() == std::uint64_t{width} * height)
        w.Zeros(static_cast<std::size_t>(at - 100 - pixels.size()));
    return w.Out;
}

// A Quake II model of skins (names), frames (names) of vertices each, and
// one triangle, laid out as header, skins, triangles, frames.
inline Bytes MakeMd2(const std::vector<std::string>& skins, const std::vector<std::string>& frames,
                     std::uint32_t vertices = 3) {
    const std::uint32_t frameSize = 40 + 4 * vertices;
    const std::uint32_t skinsAt = 68;
    const std::uint32_t trianglesAt = skinsAt + 64 * static_cast<std::uint32_t>(skins.size());
    const std::uint32_t framesAt = trianglesAt + 12;
    const std::uint32_t end = framesAt + frameSize * static_cast<std::uint32_t>(frames.size());
    TBytesWriter w;
    w.Tag("IDP2").U32(8).U32(256).U32(128).U32(frameSize);
    w.U32(static_cast<std::uint32_t>(skins.size())).U32(vertices).U32(0).U32(1).U32(0);
    w.U32(static_cast<std::uint32_t>(frames.size()));
    w.U32(skinsAt).U32(trianglesAt).U32(trianglesAt).U32(framesAt).U32(end).U32(end);
    for (const std::string& skin : skins)
        w.Name(skin, 64);
    w.Zeros(12);
    for (const std::string& frame : frames)
        w.Zeros(24).Name(frame, 16).Zeros(4 * vertices);
    return w.Out;
}

// A Quake II sprite of frames (picture name, side).
inline Bytes MakeSp2(const std::vector<std::pair<std::string, std::uint32_t>>& frames) {
    TBytesWriter w;
    w.Tag("IDS2").U32(2).U32(static_cast<std::uint32_t>(frames.size()));
    for (const auto& [name, side] : frames)
        w.U32(side).U32(side).U32(side / 2).U32(side / 2).Name(name, 64);
    return w.Out;
}

struct TWadLumpImage {
    std::string Name;
    unsigned Type;
    Bytes Data;
};

// Header, the lumps' data, then the directory.
inline Bytes MakeWad2(const std::vector<TWadLumpImage>& lumps) {
    TBytesWriter data;
    data.Tag("WAD2").I32(static_cast<std::int32_t>(lumps.size())).U32(0);
    std::vector<std::uint32_t> offsets;
    for (const auto& lump : lumps) {
        offsets.push_back(static_cast<std::uint32_t>(data.Size()));
        data.Raw(lump.Data);
    }
    const auto directory = static_cast<std::uint32_t>(data.Size());
    for (std::size_t i = 0; i < lumps.size(); ++i) {
        const auto size = static_cast<std::uint32_t>(lumps[i].Data.size());
        data.U32(offsets[i])
            .U32(size)
            .U32(size)
            .U8(lumps[i].Type)
            .U8(0)
            .U16(0)
            .Name(lumps[i].Name, 16);
    }
    for (std::size_t i = 0; i < 4; ++i)
        data.Out[8 + i] = static_cast<unsigned char>(directory >> (8 * i));
    return data.Out;
}

// A version-29 map whose only non-empty lump is the textures lump, lump.
inline Bytes MakeBspAround(const TBytesWriter& lump) {
    TBytesWriter bsp;
    bsp.I32(29);
    for (int i = 0; i < 15; ++i)
        bsp.U32(i == 2 ? 124 : 0).U32(i == 2 ? static_cast<std::uint32_t>(lump.Size()) : 0);
    return bsp.Raw(lump.Out).Out;
}

// A map whose textures lump holds the count, the offsets (an empty texture
// stands for a missing one, offset -1), the textures.
inline Bytes MakeBsp(const std::vector<Bytes>& textures) {
    TBytesWriter lump;
    lump.I32(static_cast<std::int32_t>(textures.size()));
    std::int32_t at = 4 + 4 * static_cast<std::int32_t>(textures.size());
    for (const Bytes& texture : textures) {
        lump.I32(texture.empty() ? -1 : at);
        at += static_cast<std::int32_t>(texture.size());
    }
    for (const Bytes& texture : textures)
        lump.Raw(texture);
    return MakeBspAround(lump);
}

// A Quake II map whose only lump is its texture information: a record
// for each name given, in that order.
inline Bytes MakeQuake2Map(const std::vector<std::string>& textures) {
    TBytesWriter w;
    w.Tag("IBSP").I32(38);
    const auto records = static_cast<std::uint32_t>(76 * textures.size());
    for (std::uint32_t lump = 0; lump < 19; ++lump)
        w.U32(160).U32(lump == 5 ? records : 0);
    w.Out.reserve(w.Size() + records);
    for (const std::string& name : textures)
        w.Zeros(32).U32(0).U32(0).Name(name, 32).I32(-1);
    return w.Out;
}

// A WAD2 whose count records all name one lump, data, as the pictures of a
// hostile directory do: the name is name followed by the record's number.
inline Bytes MakeWad2Naming(std::size_t count, const std::string& name, unsigned type,
                            const Bytes& data) {
    TBytesWriter w;
    const auto directory = static_cast<std::uint32_t>(12 + data.size());
    w.Tag("WAD2").I32(static_cast<std::int32_t>(count)).U32(directory).Raw(data);
    w.Out.reserve(w.Size() + count * 32);
    const auto size = static_cast<std::uint32_t>(data.size());
    for (std::size_t i = 0; i < count; ++i)
        w.U32(12).U32(size).U32(size).U8(type).U8(0).U16(0).Name(name + std::to_string(i), 16);
    return w.Out;
}

// A version-29 map whose slots all name one texture.
inline Bytes MakeBspNaming(std::size_t slots, const Bytes& texture) {
    TBytesWriter lump;
    lump.I32(static_cast<std::int32_t>(slots));
    const auto at = static_cast<std::int32_t>(4 + 4 * slots);
    for (std::size_t i = 0; i < slots; ++i)
        lump.I32(at);
    lump.Raw(texture);
    return MakeBspAround(lump);
}

// The 84-byte model header.
inline TBytesWriter MdlHeader(std::int32_t skins, std::int32_t width, std::int32_t height,
                              std::int32_t vertices, std::int32_t triangles, std::int32_t frames) {
    TBytesWriter w;
    w.Tag("IDPO").I32(6).Zeros(40).I32(skins).I32(width).I32(height).I32(vertices);
    return std::move(w.I32(triangles).I32(frames).I32(0).I32(0).U32(0));
}

// A model of skins single skins of width x height, each all of index fill,
// no geometry and one frame.
inline Bytes MakeModelOfSkins(std::int32_t skins, std::int32_t width, std::int32_t height,
                              unsigned char fill = 1) {
    TBytesWriter w = MdlHeader(skins, width, height, 0, 0, 1);
    const Bytes pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
    for (std::int32_t s = 0; s < skins; ++s)
        w.I32(0).Raw(pixels);
    return w.I32(0).Zeros(8).Name("frame", 16).Out;
}

// One frame: bounds, name, vertices (4 bytes each).
inline Bytes MdlFrame(const std::string& name, std::int32_t vertices) {
    return TBytesWriter().Zeros(8).Name(name, 16).Zeros(4 * static_cast<std::size_t>(vertices)).Out;
}

// The 36-byte sprite header.
inline TBytesWriter SprHeader(std::int32_t frames) {
    TBytesWriter w;
    w.Tag("IDSP").I32(1).I32(2).U32(0).I32(4).I32(3).I32(frames);
    return std::move(w.U32(0).I32(0));
}

// Half-Life's sprite header of textureFormat, then its colours: count
// triples (i, 2i, 3i) for each colour i, under a count of stated.
inline TBytesWriter SprHalfLifeHeader(std::int32_t frames, std::int32_t textureFormat,
                                      unsigned count = 256, int stated = -1) {
    TBytesWriter w;
    w.Tag("IDSP").I32(2).I32(2).I32(textureFormat).U32(0).I32(4).I32(3).I32(frames);
    w.U32(0).I32(0).U16(stated < 0 ? count : static_cast<unsigned>(stated));
    for (unsigned i = 0; i < count; ++i)
        w.U8(i).U8(2 * i).U8(3 * i);
    return w;
}

// A sprite picture: origin, size, pixels.
inline Bytes SprPicture(std::int32_t width, std::int32_t height, const Bytes& pixels) {
    return TBytesWriter().I32(-width / 2).I32(height / 2).I32(width).I32(height).Raw(pixels).Out;
}

// A run-length coded PCX header of width x height with planes of lineBytes.
inline TBytesWriter PcxHeader(unsigned width, unsigned height, unsigned planes,
                              unsigned lineBytes) {
    TBytesWriter w;
    w.U8(0x0A).U8(5).U8(1).U8(8).U16(0).U16(0).U16(width - 1).U16(height - 1).Zeros(4 + 48 + 1);
    return std::move(w.U8(planes).U16(lineBytes).Zeros(128 - 68));
}

// A TGA header: no image ID; a colour map of mapLength entries of mapBits
// (its bytes follow the header) when mapLength is not 0.
inline TBytesWriter TgaHeader(unsigned type, unsigned width, unsigned height, unsigned bits,
                              unsigned descriptor = 0, unsigned mapLength = 0, unsigned mapBits = 0,
                              unsigned mapFirst = 0) {
    TBytesWriter w;
    w.U8(0).U8(mapLength > 0 ? 1 : 0).U8(type).U16(mapFirst).U16(mapLength).U8(mapBits);
    return std::move(w.U16(0).U16(0).U16(width).U16(height).U8(bits).U8(descriptor));
}

// A RIFF chunk, padded to an even size.
inline Bytes Chunk(const std::string& id, const Bytes& body) {
    TBytesWriter w;
    w.Tag(id).U32(static_cast<std::uint32_t>(body.size())).Raw(body);
    if (body.size() % 2 != 0)
        w.U8(0);
    return w.Out;
}

// A RIFF WAVE of the chunks given, in that order.
inline Bytes MakeRiffWave(const std::vector<Bytes>& chunks) {
    TBytesWriter w;
    w.Tag("RIFF").U32(0).Tag("WAVE");
    for (const Bytes& chunk : chunks)
        w.Raw(chunk);
    const auto size = static_cast<std::uint32_t>(w.Size() - 8);
    for (std::size_t i = 0; i < 4; ++i)
        w.Out[4 + i] = static_cast<unsigned char>(size >> (8 * i));
    return w.Out;
}

inline Bytes FormatChunk(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits) {
    const unsigned align = channels * bits / 8;
    return Chunk(
        "fmt ",
        TBytesWriter().U16(tag).U16(channels).U32(rate).U32(rate * align).U16(align).U16(bits).Out);
}

// One cue point at position whose sample offset is start, and the labelled
// text that marks length frames from it.
inline Bytes CueChunk(std::uint32_t start, std::uint32_t position = 0) {
    return Chunk(
        "cue ",
        TBytesWriter().U32(1).U32(1).U32(position).Tag("data").U32(0).U32(0).U32(start).Out);
}
inline Bytes MarkChunk(std::uint32_t length) {
    return Chunk(
        "LIST",
        TBytesWriter().Tag("adtl").Tag("ltxt").U32(20).U32(1).U32(length).Tag("mark").Zeros(8).Out);
}

} // namespace zorvak::test
