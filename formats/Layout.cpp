#include "formats/Layout.h"

#include "framework/Failures.h"

#include <algorithm>
#include <bit>

namespace zorvak {

std::span<const unsigned char> SliceOf(std::span<const unsigned char> bytes, std::uint64_t offset,
                                       std::uint64_t length, const std::string& what) {
    // Both terms are below 2^63 as callers pass 32-bit fields, so the sum
    // cannot wrap.
    if (offset > bytes.size() || length > bytes.size() - offset)
        throw TFailure(what + " lies outside the entry");
    return bytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

std::string FixedName(std::span<const unsigned char> field) {
    const auto end = std::find(field.begin(), field.end(), 0);
    return std::string(field.begin(), end);
}

bool HasTag(std::span<const unsigned char> bytes, std::size_t offset, std::string_view tag) {
    if (offset > bytes.size() || tag.size() > bytes.size() - offset)
        return false;
    return std::equal(tag.begin(), tag.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                      [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; });
}

float ReadFloat(TByteReader& reader) {
    return std::bit_cast<float>(reader.ReadUInt32());
}

void CheckCount(const TByteReader& reader, std::int64_t count, std::uint64_t recordSize,
                std::string_view what) {
    // A view, not a string: walks check a count for each of millions of
    // groups, and the message is made only when one fails.
    if (count < 0)
        throw TFailure(std::string(what) + " " + std::to_string(count) + " is not valid");
    // Divided rather than multiplied: a record size built from other counts
    // times a count could pass 64 bits.
    if (recordSize != 0 && static_cast<std::uint64_t>(count) > reader.Remaining() / recordSize)
        throw TFailure(std::string(what) + " " + std::to_string(count) +
                       " runs past the end of the entry");
}

TByteReader OpenTagged(std::span<const unsigned char> bytes, std::string_view tag,
                       std::int32_t version, std::size_t headerBytes, const std::string& what,
                       bool properName) {
    std::string lower = what;
    if (!properName && !lower.empty() && lower[0] >= 'A' && lower[0] <= 'Z')
        lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
    if (!HasTag(bytes, 0, tag))
        throw TFailure("Not a " + lower + " file");
    if (bytes.size() < headerBytes)
        throw TFailure(what + " header is cut short");
    TByteReader reader(bytes);
    reader.Skip(tag.size());
    const std::int32_t found = reader.ReadInt32();
    if (found != version)
        throw TFailure(what + " version " + std::to_string(found) + " is not supported");
    return reader;
}

} // namespace zorvak
