#include "formats/Wal.h"

#include "formats/Layout.h"
#include "framework/ByteReader.h"
#include "framework/Failures.h"

namespace zorvak {

namespace {

std::span<const unsigned char> FullLevel(std::span<const unsigned char> wal, TWalHeader& header) {
    header = ReadWalHeader(wal);
    const std::size_t count = CheckPictureSize(header.Width, header.Height);
    return SliceOf(wal, header.Offsets[0], count, "Pixel data of texture " + header.Name);
}

} // namespace

TWalHeader ReadWalHeader(std::span<const unsigned char> wal) {
    if (wal.size() < kWalHeaderBytes)
        throw TFailure("Texture header is cut short");
    TByteReader reader(wal);
    TWalHeader header;
    header.Name = FixedName(reader.Take(kWalNameBytes));
    header.Width = reader.ReadUInt32();
    header.Height = reader.ReadUInt32();
    for (auto& offset : header.Offsets)
        offset = reader.ReadUInt32();
    header.NextFrame = FixedName(reader.Take(kWalNameBytes));
    return header;
}

TIndexedPicture ReadWal(std::span<const unsigned char> wal) {
    TWalHeader header;
    TByteReader reader(FullLevel(wal, header));
    return ReadIndexedPixels(reader, header.Width, header.Height);
}

TPictureSize WalSize(std::span<const unsigned char> wal) {
    TWalHeader header;
    (void)FullLevel(wal, header);
    // Both fit an int: the size check bounds them.
    return {static_cast<int>(header.Width), static_cast<int>(header.Height)};
}

} // namespace zorvak
