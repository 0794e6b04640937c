#include "archive/PakVerify.h"

#include "archive/PakFormat.h"
#include "framework/Text.h"

#include <algorithm>
#include <map>

namespace zorvak {

namespace {

bool HasUnsafeLevel(const std::string& name) {
    if (name.empty() || name.front() == '/')
        return true;
    if (name.size() >= 2 && name[1] == ':')
        return true;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t slash = std::min(name.find('/', start), name.size());
        const std::string level = name.substr(start, slash - start);
        if (level.empty() || level == "." || level == "..")
            return true;
        start = slash + 1;
    }
    return false;
}

struct TSpan {
    std::int64_t Begin, End;
    int Entry;
};

} // namespace

TPakReport VerifyPak(TStream& stream) {
    TPakReport report;
    const auto problem = [&](int entry, const std::string& name, std::string text) {
        report.Problems.push_back({entry, name, std::move(text)});
    };

    unsigned char head[kPakHeaderSize];
    stream.Seek(0);
    if (stream.Read(head, sizeof head) != sizeof head ||
        !IsPakSignature(std::string_view(reinterpret_cast<const char*>(head), 4))) {
        report.Usable = false;
        problem(-1, "", "not a PAK archive (no \"PACK\" signature or a header cut short)");
        return report;
    }
    TByteReader headReader(head);
    const TPakHeader header = DecodePakHeader(headReader);
    const std::int64_t size = stream.Size();
    const std::int64_t dirOffset = header.DirOffset;
    const std::int64_t dirLength = header.DirLength;

    if (dirLength < 0 || dirOffset < 0) {
        problem(-1, "", "the directory's offset or length is negative");
        return report;
    }
    if (dirLength % static_cast<std::int64_t>(kPakDirEntrySize) != 0)
        problem(-1, "",
                "the directory length " + std::to_string(dirLength) + " is not a multiple of 64");
    if (dirOffset < static_cast<std::int64_t>(kPakHeaderSize) && dirLength > 0)
        problem(-1, "", "the directory overlaps the header");
    if (dirOffset + dirLength > size) {
        problem(-1, "",
                "the directory runs past the end of the file (" +
                    std::to_string(dirOffset + dirLength) + " > " + std::to_string(size) +
                    " bytes)");
    }

    // Only whole records that are really there are looked at.
    const std::int64_t available = std::clamp<std::int64_t>(size - dirOffset, 0, dirLength);
    const std::size_t records = static_cast<std::size_t>(available) / kPakDirEntrySize;
    std::vector<unsigned char> directory(records * kPakDirEntrySize);
    stream.Seek(dirOffset);
    const std::size_t got = directory.empty() ? 0 : stream.Read(directory.data(), directory.size());
    TByteReader reader(
        std::span<const unsigned char>(directory.data(), got - got % kPakDirEntrySize));

    report.Entries =
        static_cast<std::int32_t>(dirLength / static_cast<std::int64_t>(kPakDirEntrySize));
    if (report.Entries > kEngineMaxEntries)
        problem(-1, "",
                std::to_string(report.Entries) + " entries: the original engine loads at most " +
                    std::to_string(kEngineMaxEntries));

    std::map<std::string, int> exact;
    std::map<std::string, int> folded;
    std::vector<TSpan> spans;
    for (int i = 0; reader.Remaining() >= kPakDirEntrySize; ++i) {
        const TPakDirEntry entry = DecodePakDirEntry(reader);
        const std::string name = PakEntryName(entry);
        if (name.size() == kPakNameSize)
            problem(i, name, "the name fills all 56 bytes with no NUL after it");
        else if (name.size() > kPakMaxNameLength)
            problem(i, name, "the name is longer than 55 bytes");
        if (AsciiLower(name) != name)
            problem(i, name,
                    "the name has upper-case letters; the engine asks for names in lower case");
        if (name.find('\\') != std::string::npos)
            problem(i, name, "the name has \"\\\"; levels are separated by \"/\"");
        if (HasUnsafeLevel(name))
            problem(i, name, "unsafe name: it would not extract inside a directory");

        const auto [same, fresh] = exact.emplace(name, i);
        if (!fresh) {
            problem(i, name,
                    "duplicate of entry " + std::to_string(same->second) +
                        "; the engine uses the first");
        } else {
            const auto [alike, newFold] = folded.emplace(AsciiLower(name), i);
            if (!newFold)
                problem(i, name,
                        "differs only in letter case from entry " + std::to_string(alike->second) +
                            "; the engine uses the first");
        }

        const std::int64_t begin = entry.FilePos;
        const std::int64_t end = begin + entry.FileLength;
        if (entry.FilePos < 0 || entry.FileLength < 0 || end > size) {
            problem(i, name,
                    "its data lie outside the file (position " + std::to_string(begin) +
                        ", length " + std::to_string(entry.FileLength) + ")");
            continue;
        }
        if (entry.FileLength == 0)
            continue;
        if (begin < static_cast<std::int64_t>(kPakHeaderSize))
            problem(i, name, "its data overlap the header");
        if (begin < dirOffset + dirLength && dirOffset < end && dirLength > 0)
            problem(i, name, "its data overlap the directory");
        spans.push_back({begin, end, i});
    }

    // Overlaps between entries: sort by start and compare with the furthest
    // reaching span so far.
    std::sort(spans.begin(), spans.end(), [](const TSpan& a, const TSpan& b) {
        return a.Begin < b.Begin || (a.Begin == b.Begin && a.Entry < b.Entry);
    });
    const TSpan* reach = nullptr;
    for (const TSpan& span : spans) {
        if (reach != nullptr && span.Begin < reach->End) {
            problem(span.Entry, "",
                    "its data overlap those of entry " + std::to_string(reach->Entry));
        }
        if (reach == nullptr || span.End > reach->End)
            reach = &span;
    }
    // Overlap problems were found out of order: give them their names and
    // put every problem in directory order.
    for (TPakProblem& p : report.Problems)
        if (p.Entry >= 0 && p.Name.empty()) {
            TByteReader again(
                std::span<const unsigned char>(directory.data(), got - got % kPakDirEntrySize));
            again.Seek(static_cast<std::size_t>(p.Entry) * kPakDirEntrySize);
            p.Name = PakEntryName(DecodePakDirEntry(again));
        }
    std::stable_sort(report.Problems.begin(), report.Problems.end(),
                     [](const TPakProblem& a, const TPakProblem& b) { return a.Entry < b.Entry; });
    return report;
}

} // namespace zorvak
