#include "formats/Md2.h"

#include "formats/Layout.h"
#include "framework/ByteReader.h"
#include "framework/Failures.h"

namespace zorvak {

namespace {

constexpr const char* kModel = "Quake II model";

std::size_t Counted(std::int32_t count, const char* what) {
    if (count < 0)
        throw TFailure(std::string(kModel) + " " + what + " " + std::to_string(count) +
                       " is not valid");
    return static_cast<std::size_t>(count);
}

// count records of size bytes at offset, all inside the entry.
std::span<const unsigned char> Records(std::span<const unsigned char> md2, std::int32_t offset,
                                       std::size_t count, std::uint64_t size, const char* what) {
    if (offset < 0)
        throw TFailure(std::string(kModel) + "'s " + what + " lies outside the entry");
    return SliceOf(md2, static_cast<std::uint64_t>(offset), count * size,
                   std::string(kModel) + "'s " + what);
}

} // namespace

TMd2Model ReadMd2(std::span<const unsigned char> md2) {
    TByteReader reader = OpenTagged(md2, kMd2Tag, kMd2Version, kMd2HeaderBytes, kModel, true);
    TMd2Model model;
    model.SkinWidth = reader.ReadInt32();
    model.SkinHeight = reader.ReadInt32();
    const std::int32_t frameSize = reader.ReadInt32();
    const std::size_t skins = Counted(reader.ReadInt32(), "skin count");
    model.Vertices = Counted(reader.ReadInt32(), "vertex count");
    (void)Counted(reader.ReadInt32(), "texture coordinate count");
    model.Triangles = Counted(reader.ReadInt32(), "triangle count");
    (void)Counted(reader.ReadInt32(), "command count");
    const std::size_t frames = Counted(reader.ReadInt32(), "frame count");
    const std::int32_t skinsAt = reader.ReadInt32();
    (void)reader.ReadInt32(); // texture coordinates
    const std::int32_t trianglesAt = reader.ReadInt32();
    const std::int32_t framesAt = reader.ReadInt32();
    // A frame holds its name and every vertex: a size short of that would
    // read one frame's vertices as the next one's name.
    const std::uint64_t least =
        kMd2FrameNameAt + kMd2FrameNameBytes + std::uint64_t{model.Vertices} * kMd2VertexBytes;
    if (frames > 0 && (frameSize < 0 || static_cast<std::uint64_t>(frameSize) < least))
        throw TFailure(std::string(kModel) + " frame size " + std::to_string(frameSize) +
                       " is not valid");
    (void)Records(md2, trianglesAt, model.Triangles, kMd2TriangleBytes, "triangle list");
    const auto skinNames = Records(md2, skinsAt, skins, kMd2SkinNameBytes, "skin list");
    const auto frameBytes =
        Records(md2, framesAt, frames, frames > 0 ? static_cast<std::uint64_t>(frameSize) : 0,
                "frame list");
    model.Skins.reserve(skins);
    for (std::size_t i = 0; i < skins; ++i)
        model.Skins.push_back(
            FixedName(skinNames.subspan(i * kMd2SkinNameBytes, kMd2SkinNameBytes)));
    model.Frames.reserve(frames);
    for (std::size_t i = 0; i < frames; ++i)
        model.Frames.push_back(FixedName(frameBytes.subspan(
            i * static_cast<std::size_t>(frameSize) + kMd2FrameNameAt, kMd2FrameNameBytes)));
    return model;
}

std::vector<TSp2Frame> ReadSp2(std::span<const unsigned char> sp2) {
    TByteReader reader =
        OpenTagged(sp2, kSp2Tag, kSp2Version, kSp2HeaderBytes, "Quake II sprite", true);
    const std::int32_t count = reader.ReadInt32();
    CheckCount(reader, count, kSp2FrameBytes, "Quake II sprite frame count");
    std::vector<TSp2Frame> frames(static_cast<std::size_t>(count));
    for (TSp2Frame& frame : frames) {
        frame.Width = reader.ReadInt32();
        frame.Height = reader.ReadInt32();
        reader.Skip(8); // the origin
        frame.Picture = FixedName(reader.Take(kSp2FrameBytes - 16));
    }
    return frames;
}

} // namespace zorvak
