#include "archive/ZipFormat.h"

#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>

namespace zorvak {

namespace {

// Code page 437's bytes 0x80 to 0xFF.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

bool IsZipSignature(std::string_view firstBytes) {
    if (firstBytes.size() < 4)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(firstBytes.data());
    const std::uint32_t signature = ZipGet32(p);
    return signature == kZipLocalSignature || signature == kZipEndSignature;
}

std::string Cp437ToUtf8(std::string_view name) {
    if (std::all_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(name);
    std::string out;
    out.reserve(name.size() * 2);
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        AppendUtf8(out, b < 0x80 ? char32_t{b} : char32_t{kCp437High[b - 0x80]});
    }
    return out;
}

TEntryMethod ZipEntryMethod(std::uint16_t method) {
    switch (method) {
    case kZipMethodStored:
        return TEntryMethod::emStored;
    case kZipMethodDeflated:
        return TEntryMethod::emDeflated;
    default:
        return TEntryMethod::emUnsupported;
    }
}

std::string ZipMethodName(std::uint16_t method) {
    switch (method) {
    case 0:
        return "stored";
    case 1:
        return "shrunk";
    case 2:
    case 3:
    case 4:
    case 5:
        return "reduced";
    case 6:
        return "imploded";
    case 8:
        return "deflated";
    case 9:
        return "Deflate64";
    case 10:
        return "PKWARE DCL imploded";
    case 12:
        return "bzip2";
    case 14:
        return "LZMA";
    case 18:
        return "IBM TERSE";
    case 19:
        return "IBM LZ77";
    case 93:
        return "Zstandard";
    case 95:
        return "xz";
    case 96:
        return "JPEG";
    case 97:
        return "WavPack";
    case 98:
        return "PPMd";
    case 99:
        return "AES-encrypted";
    default:
        return "method " + std::to_string(method);
    }
}

std::string UndecodableReason(const TEntryCoding& coding) {
    if (coding.Encrypted)
        return Tr("it is encrypted, which this program does not read");
    if (coding.Method == TEntryMethod::emUnsupported)
        return FormatText(
            Tr("it is compressed with {1} (method {2}), which this program does not decode"),
            ZipMethodName(coding.ZipMethod), coding.ZipMethod);
    return {};
}

std::int64_t MostDecodedBytes(const TEntryCoding& coding) {
    const std::int64_t stored = std::max<std::int64_t>(0, coding.StoredLength);
    switch (coding.Method) {
    case TEntryMethod::emPlain:
    case TEntryMethod::emStored:
        return stored;
    case TEntryMethod::emDeflated:
        return stored > (INT64_MAX - kCodedSlack) / kDeflateMaxRatio
                   ? INT64_MAX
                   : stored * kDeflateMaxRatio + kCodedSlack;
    case TEntryMethod::emDaikatana:
        // One code byte gives at most 65 zeros.
        return stored * 65 + kCodedSlack;
    case TEntryMethod::emUnsupported:
        return INT64_MAX;
    }
    return INT64_MAX;
}

} // namespace zorvak
