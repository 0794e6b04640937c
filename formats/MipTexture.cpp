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

TIndexedPicture ReadMipTexture(std::span<const unsigned char> bytes) {
    const TMipTextureHeader header = ReadMipTextureHeader(bytes);
    if (header.Offsets[0] == 0)
        throw TFailure("Texture " + header.Name + " keeps its pixels elsewhere");
    const std::size_t count = CheckPictureSize(header.Width, header.Height);
    TByteReader reader(
        SliceOf(bytes, header.Offsets[0], count, "Pixel data of texture " + header.Name));
    return ReadIndexedPixels(reader, header.Width, header.Height);
}

} // namespace zorvak
