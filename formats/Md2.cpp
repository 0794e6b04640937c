#include "formats/Md2.h"

#include "formats/Layout.h"
#include "framework/ByteReader.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

namespace zorvak {

namespace {

constexpr const char* kModel = TrMark("Quake II model");

// what is marked TrMark where it is written.
std::size_t Counted(std::int32_t count, const char* what) {
    if (count < 0)
        throw TFailure(FormatText(Tr("Quake II model {1} {2} is not valid"), Tr(what), count));
    return static_cast<std::size_t>(count);
}

// count records of size bytes at offset, all inside the entry.
std::span<const unsigned char> Records(std::span<const unsigned char> md2, std::int32_t offset,
                                       std::size_t count, std::uint64_t size, const char* what) {
    const std::string name = FormatText(Tr("Quake II model's {1}"), Tr(what));
    if (offset < 0)
        throw TFailure(FormatText(Tr("{1} lies outside the entry"), name));
    return SliceOf(md2, static_cast<std::uint64_t>(offset), count * size, name);
}

} // namespace

TMd2Model ReadMd2(std::span<const unsigned char> md2) {
    TByteReader reader = OpenTagged(md2, kMd2Tag, kMd2Version, kMd2HeaderBytes, kModel, true);
    TMd2Model model;
    model.SkinWidth = reader.ReadInt32();
    model.SkinHeight = reader.ReadInt32();
    const std::int32_t frameSize = reader.ReadInt32();
    const std::size_t skins = Counted(reader.ReadInt32(), TrMark("skin count"));
    model.Vertices = Counted(reader.ReadInt32(), TrMark("vertex count"));
    (void)Counted(reader.ReadInt32(), TrMark("texture coordinate count"));
    model.Triangles = Counted(reader.ReadInt32(), TrMark("triangle count"));
    (void)Counted(reader.ReadInt32(), TrMark("command count"));
    const std::size_t frames = Counted(reader.ReadInt32(), TrMark("frame count"));
    const std::int32_t skinsAt = reader.ReadInt32();
    (void)reader.ReadInt32(); // texture coordinates
    const std::int32_t trianglesAt = reader.ReadInt32();
    const std::int32_t framesAt = reader.ReadInt32();
    // A frame holds its name and every vertex: a size short of that would
    // read one frame's vertices as the next one's name.
    const std::uint64_t least =
        kMd2FrameNameAt + kMd2FrameNameBytes + std::uint64_t{model.Vertices} * kMd2VertexBytes;
    if (frames > 0 && (frameSize < 0 || static_cast<std::uint64_t>(frameSize) < least))
        throw TFailure(FormatText(Tr("Quake II model frame size {1} is not valid"), frameSize));
    (void)Records(md2, trianglesAt, model.Triangles, kMd2TriangleBytes, TrMark("triangle list"));
    const auto skinNames = Records(md2, skinsAt, skins, kMd2SkinNameBytes, TrMark("skin list"));
    const auto frameBytes =
        Records(md2, framesAt, frames, frames > 0 ? static_cast<std::uint64_t>(frameSize) : 0,
                TrMark("frame list"));
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
        OpenTagged(sp2, kSp2Tag, kSp2Version, kSp2HeaderBytes, TrMark("Quake II sprite"), true);
    const std::int32_t count = reader.ReadInt32();
    CheckCount(reader, count, kSp2FrameBytes, TrMark("Quake II sprite frame count"));
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
