#include "formats/MipTexture.h"

#include "formats/Layout.h"
#include "framework/Failures.h"

namespace zorvak {

TMipTextureHeader ReadMipTextureHeader(std::span<const unsigned char> bytes) {
    if (bytes.size() < kMipTextureHeaderBytes)
        throw TFailure("Texture header is cut short");
    TByteReader reader(bytes);
    TMipTextureHeader header;
    header.Name = FixedName(reader.Take(kMipNameBytes));
    header.Width = reader.ReadUInt32();
    header.Height = reader.ReadUInt32();
    for (auto& offset : header.Offsets)
        offset = reader.ReadUInt32();
    return header;
}

namespace {

// The full-size level's pixels, every bound checked.
std::span<const unsigned char> FullLevel(std::span<const unsigned char> bytes,
                                         TMipTextureHeader& header) {
    header = ReadMipTextureHeader(bytes);
    if (header.Offsets[0] == 0)
        throw TFailure("Texture " + header.Name + " keeps its pixels elsewhere");
    const std::size_t count = CheckPictureSize(header.Width, header.Height);
    return SliceOf(bytes, header.Offsets[0], count, "Pixel data of texture " + header.Name);
}

} // namespace

TIndexedPicture ReadMipTexture(std::span<const unsigned char> bytes) {
    TMipTextureHeader header;
    TByteReader reader(FullLevel(bytes, header));
    return ReadIndexedPixels(reader, header.Width, header.Height);
}

TPictureSize MipTextureSize(std::span<const unsigned char> bytes) {
    TMipTextureHeader header;
    (void)FullLevel(bytes, header);
    // Both fit an int: the size check bounds them.
    return {static_cast<int>(header.Width), static_cast<int>(header.Height)};
}

} // namespace zorvak
