#include "formats/Wal.h"

#include "formats/Layout.h"
#include "framework/ByteReader.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

namespace zorvak {

namespace {

std::string PixelsOutside(const TWalHeader& header) {
    return FormatText(Tr("Pixel data of texture {1} lies outside the entry"), header.Name);
}

std::span<const unsigned char> FullLevel(std::span<const unsigned char> wal, TWalHeader& header) {
    header = ReadWalHeader(wal);
    (void)WalSize(wal, wal.size());
    return wal.subspan(header.Offsets[0], static_cast<std::size_t>(header.Width) * header.Height);
}

} // namespace

TWalHeader ReadWalHeader(std::span<const unsigned char> wal) {
    if (wal.size() < kWalHeaderBytes)
        throw TFailure(Tr("Texture header is cut short"));
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
    return WalSize(wal, wal.size());
}

TPictureSize WalSize(std::span<const unsigned char> head, std::uint64_t length) {
    const TWalHeader header = ReadWalHeader(head);
    const std::size_t count = CheckPictureSize(header.Width, header.Height);
    if (header.Offsets[0] > length || count > length - header.Offsets[0])
        throw TFailure(PixelsOutside(header));
    // Both fit an int: the size check bounds them.
    return {static_cast<int>(header.Width), static_cast<int>(header.Height)};
}

} // namespace zorvak
