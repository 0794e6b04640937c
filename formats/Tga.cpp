#include "formats/Tga.h"

#include "framework/ByteReader.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <array>

namespace zorvak {

namespace {

constexpr unsigned char kRunPacket = 0x80;
constexpr unsigned kPacketCountMask = 0x7F;
// A run packet repeats one pixel up to this many times.
constexpr std::size_t kLongestRun = kPacketCountMask + 1;

[[noreturn]] void PixelsRunPast() {
    throw TFailure(Tr("TGA pixels run past the end of the entry"));
}

const char* TypeName(unsigned char type) {
    switch (type) {
    case kTgaColourMapped:
        return TrMark("colour-mapped");
    case kTgaTrueColour:
        return TrMark("true-colour");
    default:
        return TrMark("greyscale");
    }
}

// A colour of 15 or 16 bits: five each of red, green and blue (the top bit,
// an attribute that writers fill as they please, is not taken as alpha).
std::array<unsigned char, 4> FromFiveBits(unsigned value) {
    const auto widen = [](unsigned five) {
        return static_cast<unsigned char>((five << 3) | (five >> 2));
    };
    return {widen((value >> 10) & 0x1F), widen((value >> 5) & 0x1F), widen(value & 0x1F), 255};
}

// One stored colour (blue first) as R G B A.
std::array<unsigned char, 4> ColourOf(const unsigned char* p, int bits) {
    switch (bits) {
    case 15:
    case 16:
        return FromFiveBits(static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8);
    case 24:
        return {p[2], p[1], p[0], 255};
    default: // 32
        return {p[2], p[1], p[0], p[3]};
    }
}

struct THeader {
    TTgaInfo Info;
    unsigned Descriptor = 0;
    std::size_t PixelBytes = 0;
    std::size_t MapFirst = 0;
    std::vector<std::array<unsigned char, 4>> Map; // the colour map as R G B A
    std::size_t DataAt = 0;                        // where the pixels begin
};

THeader ReadHeader(std::span<const unsigned char> tga, bool withMap) {
    if (tga.size() < kTgaHeaderBytes)
        throw TFailure(Tr("TGA header is cut short"));
    TByteReader at(tga);
    const auto u16 = [&](std::size_t offset) {
        at.Seek(offset);
        return at.ReadUInt16();
    };
    THeader h;
    const unsigned type = tga[kTgaImageTypeAt];
    h.Info.RunLength = (type & kTgaRunLength) != 0;
    h.Info.Type = static_cast<unsigned char>(type & ~unsigned{kTgaRunLength});
    if (type > (kTgaGreyscale | kTgaRunLength) || h.Info.Type < kTgaColourMapped ||
        h.Info.Type > kTgaGreyscale)
        throw TFailure(FormatText(Tr("TGA image type {1} is not supported"), type));
    h.Info.PixelBits = tga[kTgaPixelBitsAt];
    const int bits = h.Info.PixelBits;
    const bool depthFits = h.Info.Type == kTgaTrueColour
                               ? (bits == 15 || bits == 16 || bits == 24 || bits == 32)
                               : bits == 8;
    if (!depthFits)
        throw TFailure(FormatText(Tr("TGA of {1} bits per pixel is not supported for {2}"), bits,
                                  Tr(TypeName(h.Info.Type))));
    h.PixelBytes = static_cast<std::size_t>((bits + 7) / 8);
    h.Descriptor = tga[kTgaDescriptorAt];
    h.Info.Size = {u16(kTgaWidthAt), u16(kTgaHeightAt)};
    (void)CheckPictureSize(h.Info.Size.Width, h.Info.Size.Height);

    // A map may come with any type; only a colour-mapped picture uses it.
    const std::size_t mapLength = tga[kTgaMapTypeAt] != 0 ? u16(kTgaMapLengthAt) : 0;
    const int mapBits = tga[kTgaMapEntryBitsAt];
    const std::size_t mapAt = kTgaHeaderBytes + tga[kTgaIdLengthAt];
    const std::size_t entryBytes = mapLength > 0 ? static_cast<std::size_t>((mapBits + 7) / 8) : 0;
    h.DataAt = mapAt + mapLength * entryBytes;
    if (h.DataAt > tga.size())
        throw TFailure(Tr("TGA colour map is missing or cut short"));
    if (h.Info.Type == kTgaColourMapped) {
        if (mapLength == 0 || (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32))
            throw TFailure(Tr("TGA colour map is missing or cut short"));
        h.MapFirst = u16(kTgaMapFirstAt);
        if (withMap) {
            h.Map.resize(mapLength);
            for (std::size_t i = 0; i < mapLength; ++i)
                h.Map[i] = ColourOf(tga.data() + mapAt + i * entryBytes, mapBits);
        }
    }
    return h;
}

// The fewest bytes that can hold count pixels: stored, or in packets of
// the longest run.
std::size_t FewestBytes(const THeader& h, std::size_t count) {
    if (!h.Info.RunLength)
        return count * h.PixelBytes;
    return (count + kLongestRun - 1) / kLongestRun * (1 + h.PixelBytes);
}

} // namespace

std::string TgaFormatText(const TTgaInfo& info) {
    return std::to_string(info.PixelBits) + "-bit " + TypeName(info.Type) +
           (info.RunLength ? ", run-length coded" : "");
}

TTgaInfo ReadTgaInfo(std::span<const unsigned char> tga) {
    const THeader h = ReadHeader(tga, false);
    const auto count =
        static_cast<std::size_t>(h.Info.Size.Width) * static_cast<std::size_t>(h.Info.Size.Height);
    if (FewestBytes(h, count) > tga.size() - h.DataAt)
        PixelsRunPast();
    return h.Info;
}

TRgbaPicture ReadTga(std::span<const unsigned char> tga) {
    const THeader h = ReadHeader(tga, true);
    const auto width = static_cast<std::size_t>(h.Info.Size.Width);
    const auto height = static_cast<std::size_t>(h.Info.Size.Height);
    const std::size_t count = width * height;
    const std::span<const unsigned char> data = tga.subspan(h.DataAt);
    // A hostile header asks for a huge picture in a few bytes: refused
    // before its pixels are allocated.
    if (FewestBytes(h, count) > data.size())
        PixelsRunPast();

    const auto colour = [&](const unsigned char* p) -> std::array<unsigned char, 4> {
        switch (h.Info.Type) {
        case kTgaColourMapped: {
            const std::size_t index = p[0];
            if (index < h.MapFirst || index - h.MapFirst >= h.Map.size())
                throw TFailure(
                    FormatText(Tr("TGA pixel index {1} is outside its colour map"), index));
            return h.Map[index - h.MapFirst];
        }
        case kTgaGreyscale:
            return {p[0], p[0], p[0], 255};
        default:
            return ColourOf(p, h.Info.PixelBits);
        }
    };

    TRgbaPicture picture;
    picture.Width = h.Info.Size.Width;
    picture.Height = h.Info.Size.Height;
    picture.Pixels.resize(count * kRgbaBytes);
    const bool fromTop = (h.Descriptor & kTgaTopToBottom) != 0;
    const bool fromRight = (h.Descriptor & kTgaRightToLeft) != 0;
    // The n-th stored pixel, placed where the picture's origin puts it.
    const auto put = [&](std::size_t n, const std::array<unsigned char, 4>& rgba) {
        const std::size_t row = fromTop ? n / width : height - 1 - n / width;
        const std::size_t column = fromRight ? width - 1 - n % width : n % width;
        std::copy(rgba.begin(), rgba.end(),
                  picture.Pixels.begin() +
                      static_cast<std::ptrdiff_t>((row * width + column) * kRgbaBytes));
    };

    std::size_t i = 0;
    const auto take = [&]() {
        if (data.size() - i < h.PixelBytes)
            PixelsRunPast();
        const unsigned char* p = data.data() + i;
        i += h.PixelBytes;
        return p;
    };
    for (std::size_t n = 0; n < count;) {
        if (!h.Info.RunLength) {
            put(n++, colour(take()));
            continue;
        }
        if (i >= data.size())
            PixelsRunPast();
        const unsigned packet = data[i++];
        // Packets may cross row ends, as many writers let them; a last one
        // that runs past the picture is cut.
        const std::size_t length =
            std::min<std::size_t>((packet & kPacketCountMask) + 1, count - n);
        if ((packet & kRunPacket) != 0) {
            const auto rgba = colour(take());
            for (std::size_t k = 0; k < length; ++k)
                put(n++, rgba);
        } else {
            for (std::size_t k = 0; k < length; ++k)
                put(n++, colour(take()));
        }
    }
    return picture;
}

} // namespace zorvak
