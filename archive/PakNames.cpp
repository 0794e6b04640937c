#include "archive/PakNames.h"

#include "framework/Text.h"

namespace zorvak {

namespace {
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}
} // namespace

bool HasControlByte(std::string_view name) {
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return true;
    }
    return false;
}

bool HasSpaceAtLevelEdge(std::string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != ' ')
            continue;
        const bool first = i == 0 || IsSeparator(name[i - 1]);
        const bool last = i + 1 == name.size() || IsSeparator(name[i + 1]);
        if (first || last)
            return true;
    }
    return false;
}

std::optional<std::size_t> FirstEntryNamed(const TPakEntries& entries, std::string_view name) {
    std::optional<std::size_t> folded;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string_view stored = entries[i].Name;
        if (stored == name)
            return i;
        if (!folded && SameTextAscii(stored, name))
            folded = i;
    }
    return folded;
}

std::vector<std::size_t> FirstOfEachName(const TPakEntries& entries) {
    TNameTable names(entries, false);
    std::vector<std::size_t> firsts;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (names.Insert(i) < 0)
            firsts.push_back(i);
    return firsts;
}

TNameTable::TNameTable(const TPakEntries& entries, bool folded)
    : entries_(&entries), folded_(folded) {
    // At most half full, so a probe ends soon.
    std::size_t capacity = 16;
    while (capacity < entries.size() * 2)
        capacity *= 2;
    slots_.assign(capacity, 0);
    mask_ = capacity - 1;
}

TNameTable TNameTable::Of(const TPakEntries& entries, bool folded) {
    TNameTable table(entries, folded);
    for (std::size_t i = 0; i < entries.size(); ++i)
        table.Insert(i);
    return table;
}

std::uint64_t TNameTable::Hash(std::string_view name) const {
    // FNV-1a over the bytes as compared.
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : name) {
        h ^= static_cast<unsigned char>(folded_ ? Lower(c) : c);
        h *= 1099511628211ull;
    }
    // Mixed, so that the low bits the table uses depend on every byte.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    return h ^ (h >> 33);
}

bool TNameTable::Same(std::string_view a, std::string_view b) const {
    return folded_ ? SameTextAscii(a, b) : a == b;
}

std::int64_t TNameTable::Insert(std::size_t i) {
    const std::string_view name = (*entries_)[i].Name;
    for (std::size_t slot = Hash(name) & mask_;; slot = (slot + 1) & mask_) {
        const std::uint32_t held = slots_[slot];
        if (held == 0) {
            slots_[slot] = static_cast<std::uint32_t>(i + 1);
            return -1;
        }
        if (Same((*entries_)[held - 1].Name, name))
            return held - 1;
    }
}

std::int64_t TNameTable::Find(std::string_view name) const {
    for (std::size_t slot = Hash(name) & mask_;; slot = (slot + 1) & mask_) {
        const std::uint32_t held = slots_[slot];
        if (held == 0)
            return -1;
        if (Same((*entries_)[held - 1].Name, name))
            return held - 1;
    }
}

} // namespace zorvak
