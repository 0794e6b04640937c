#include "archive/PakVerify.h"

#include "archive/PakExtract.h"
#include "archive/PakFormat.h"
#include "archive/PakNames.h"
#include "archive/PakReader.h"
#include "framework/Text.h"

#include <algorithm>

namespace zorvak {

namespace {

// The kinds of problem an entry can have; each is told a few times, then
// counted.
enum TProblemKind : int {
    pkFullName,
    pkLongName,
    pkUpperCase,
    pkBackslash,
    pkControl,
    pkSpaceEdge,
    pkUnsafe,
    pkNoFile,
    pkDuplicate,
    pkCaseOnly,
    pkOutside,
    pkOverHeader,
    pkOverDirectory,
    pkOverlap,
    pkKinds
};

class TProblems {
public:
    explicit TProblems(TPakReport& report) : report_(report) {}

    void Archive(std::string text) {
        report_.Problems.push_back({-1, "", std::move(text), 0});
        ++report_.Total;
    }
    void Entry(TProblemKind kind, std::size_t entry, std::string_view name, std::string text) {
        ++report_.Total;
        if (told_[kind].size() < static_cast<std::size_t>(kProblemRepeatsShown))
            told_[kind].push_back({static_cast<int>(entry), std::string(name), std::move(text), 0});
        else
            ++untold_[kind];
    }
    // Every kind's told problems in directory order, the untold ones as a
    // count on the last told one.
    void Finish() {
        for (int kind = 0; kind < pkKinds; ++kind) {
            if (untold_[kind] > 0)
                told_[kind].back().More = untold_[kind];
            for (TPakProblem& p : told_[kind])
                report_.Problems.push_back(std::move(p));
        }
        std::stable_sort(
            report_.Problems.begin(), report_.Problems.end(),
            [](const TPakProblem& a, const TPakProblem& b) { return a.Entry < b.Entry; });
    }

private:
    TPakReport& report_;
    std::vector<TPakProblem> told_[pkKinds];
    std::int64_t untold_[pkKinds] = {};
};

struct THeaderFacts {
    const TPakLayout* Layout = &kQuakeLayout;
    std::int64_t Size = 0;
    std::int64_t DirOffset = 0;
    std::int64_t DirLength = 0;
};

// The signature and the directory's place. False when nothing further can
// be checked.
bool CheckHeader(TStream& stream, TPakReport& report, TProblems& problems, THeaderFacts& facts) {
    unsigned char head[kPakHeaderSize];
    stream.Seek(0);
    const TPakLayout* layout = stream.Read(head, sizeof head) != sizeof head
                                   ? nullptr
                                   : PakLayoutOfSignature(std::string_view(
                                         reinterpret_cast<const char*>(head), kPakMagic.size()));
    if (layout == nullptr) {
        report.Usable = false;
        problems.Archive("not a PAK archive (no \"PACK\" signature or a header cut short)");
        return false;
    }
    TByteReader headReader(head);
    const TPakHeader header = DecodePakHeader(headReader);
    facts = {layout, stream.Size(), header.DirOffset, header.DirLength};
    const auto recordSize = static_cast<std::int64_t>(layout->EntrySize);
    if (facts.DirLength < 0 || facts.DirOffset < 0) {
        problems.Archive("the directory's offset or length is negative");
        return false;
    }
    if (facts.DirLength % recordSize != 0)
        problems.Archive("the directory length " + std::to_string(facts.DirLength) +
                         " is not a multiple of " + std::to_string(recordSize));
    if (facts.DirOffset < static_cast<std::int64_t>(kPakHeaderSize) && facts.DirLength > 0)
        problems.Archive("the directory overlaps the header");
    if (facts.DirOffset + facts.DirLength > facts.Size)
        problems.Archive("the directory runs past the end of the file (" +
                         std::to_string(facts.DirOffset + facts.DirLength) + " > " +
                         std::to_string(facts.Size) + " bytes)");
    report.Entries = static_cast<std::int32_t>(facts.DirLength / recordSize);
    if (layout->EngineMaxEntries > 0 && report.Entries > layout->EngineMaxEntries)
        problems.Archive(std::to_string(report.Entries) +
                         " entries: the original engine loads at most " +
                         std::to_string(layout->EngineMaxEntries));
    return true;
}

// What each name alone, and the names together, would break.
void CheckNames(const TPakEntries& entries, const TPakLayout& layout, TProblems& problems) {
    TNameTable exact(entries, false);
    TNameTable folded(entries, true);
    // The writer keeps the field's last byte for the NUL.
    const std::size_t longest = layout.NameSize - 1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string_view name = entries[i].Name;
        if (name.size() == layout.NameSize)
            problems.Entry(pkFullName, i, name,
                           "the name fills all " + std::to_string(layout.NameSize) +
                               " bytes with no NUL after it");
        else if (name.size() > longest)
            problems.Entry(pkLongName, i, name,
                           "the name is longer than " + std::to_string(longest) + " bytes");
        if (std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
            problems.Entry(pkUpperCase, i, name,
                           "the name has upper-case letters; the engine asks for names in lower "
                           "case");
        if (name.find('\\') != std::string_view::npos)
            problems.Entry(pkBackslash, i, name,
                           "the name has \"\\\"; levels are separated by \"/\"");
        if (HasControlByte(name))
            problems.Entry(pkControl, i, name,
                           "the name has control characters, which a terminal may act on");
        if (HasSpaceAtLevelEdge(name))
            problems.Entry(pkSpaceEdge, i, name,
                           "a level of the name begins or ends with a space, which file "
                           "systems trim or refuse");
        switch (JudgeEntryName(name)) {
        case TNameVerdict::nvUnsafe:
            problems.Entry(pkUnsafe, i, name,
                           "unsafe name: it would not extract inside a directory");
            break;
        case TNameVerdict::nvNoFile:
            problems.Entry(pkNoFile, i, name,
                           "the name is empty or ends in a separator: it names no file");
            break;
        case TNameVerdict::nvSafe:
            break;
        }
        if (const std::int64_t same = exact.Insert(i); same >= 0) {
            problems.Entry(pkDuplicate, i, name,
                           "duplicate of entry " + std::to_string(same) +
                               "; the engine uses the first");
        } else if (const std::int64_t alike = folded.Insert(i); alike >= 0) {
            problems.Entry(pkCaseOnly, i, name,
                           "differs only in letter case from entry " + std::to_string(alike) +
                               "; the engine uses the first");
        }
    }
}

// Where each entry's data lie: inside the file, clear of the header, the
// directory and one another.
// Returns the bytes none of them uses.
std::int64_t CheckSpans(const TPakEntries& entries, const THeaderFacts& facts,
                        TProblems& problems) {
    struct TSpan {
        std::int64_t Begin, End;
        std::uint32_t Entry;
    };
    std::vector<TSpan> spans;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TPakEntry entry = entries[i];
        const std::int64_t begin = entry.FilePos;
        const std::int64_t end = begin + entry.FileLength;
        if (entry.FilePos < 0 || entry.FileLength < 0 || end > facts.Size) {
            problems.Entry(pkOutside, i, entry.Name,
                           "its data lie outside the file (position " + std::to_string(begin) +
                               ", length " + std::to_string(entry.FileLength) + ")");
            continue;
        }
        if (entry.FileLength == 0)
            continue;
        if (begin < static_cast<std::int64_t>(kPakHeaderSize))
            problems.Entry(pkOverHeader, i, entry.Name, "its data overlap the header");
        if (begin < facts.DirOffset + facts.DirLength && facts.DirOffset < end &&
            facts.DirLength > 0)
            problems.Entry(pkOverDirectory, i, entry.Name, "its data overlap the directory");
        spans.push_back({begin, end, static_cast<std::uint32_t>(i)});
    }
    // Sorted by start, each span is compared with the furthest reaching one
    // before it; the entries keep their names, so none is decoded again.
    std::sort(spans.begin(), spans.end(), [](const TSpan& a, const TSpan& b) {
        return a.Begin < b.Begin || (a.Begin == b.Begin && a.Entry < b.Entry);
    });
    const TSpan* reach = nullptr;
    for (const TSpan& span : spans) {
        if (reach != nullptr && span.Begin < reach->End)
            problems.Entry(pkOverlap, span.Entry, entries[span.Entry].Name,
                           "its data overlap those of entry " + std::to_string(reach->Entry));
        if (reach == nullptr || span.End > reach->End)
            reach = &span;
    }
    std::vector<TPakSpan> used;
    used.reserve(spans.size() + 2);
    used.push_back({0, static_cast<std::int64_t>(kPakHeaderSize)});
    used.push_back({facts.DirOffset, facts.DirOffset + facts.DirLength});
    for (const TSpan& span : spans)
        used.push_back({span.Begin, span.End});
    return UncoveredBytes(used, facts.Size);
}

} // namespace

TPakReport VerifyPak(TStream& stream) {
    TPakReport report;
    TProblems problems(report);
    THeaderFacts facts;
    if (CheckHeader(stream, report, problems, facts)) {
        // Only whole records that are really there are looked at.
        const TPakIndex index = ReadPakIndex(stream);
        CheckNames(index.Entries, *facts.Layout, problems);
        report.Unused = CheckSpans(index.Entries, facts, problems);
    }
    problems.Finish();
    return report;
}

} // namespace zorvak
