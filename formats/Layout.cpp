#include "formats/Layout.h"

#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <bit>

namespace zorvak {

namespace {
// The kinds' names as OpenTagged lowers them inside a sentence ("Not a
// model file"), for the catalogue.
[[maybe_unused]] constexpr const char* kLoweredKinds[] = {TrMark("model")};
} // namespace

std::span<const unsigned char> SliceOf(std::span<const unsigned char> bytes, std::uint64_t offset,
                                       std::uint64_t length, const std::string& what) {
    // Both terms are below 2^63 as callers pass 32-bit fields, so the sum
    // cannot wrap.
    if (offset > bytes.size() || length > bytes.size() - offset)
        throw TFailure(FormatText(Tr("{1} lies outside the entry"), Tr(what.c_str())));
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
        throw TFailure(
            FormatText(Tr("{1} {2} is not valid"), Tr(std::string(what).c_str()), count));
    // Divided rather than multiplied: a record size built from other counts
    // times a count could pass 64 bits.
    if (recordSize != 0 && static_cast<std::uint64_t>(count) > reader.Remaining() / recordSize)
        throw TFailure(FormatText(Tr("{1} {2} runs past the end of the entry"),
                                  Tr(std::string(what).c_str()), count));
}

TByteReader OpenTagged(std::span<const unsigned char> bytes, std::string_view tag,
                       std::int32_t version, std::size_t headerBytes, const std::string& what,
                       bool properName) {
    if (!HasTag(bytes, 0, tag)) {
        std::string lower = what;
        if (!properName && !lower.empty() && lower[0] >= 'A' && lower[0] <= 'Z')
            lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
        throw TFailure(FormatText(Tr("Not a {1} file"), Tr(lower.c_str())));
    }
    if (bytes.size() < headerBytes)
        throw TFailure(FormatText(Tr("{1} header is cut short"), Tr(what.c_str())));
    TByteReader reader(bytes);
    reader.Skip(tag.size());
    const std::int32_t found = reader.ReadInt32();
    if (found != version)
        throw TFailure(FormatText(Tr("{1} version {2} is not supported"), Tr(what.c_str()), found));
    return reader;
}

} // namespace zorvak
