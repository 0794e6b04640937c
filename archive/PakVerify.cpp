#include "archive/PakVerify.h"

#include "archive/EntryDecoder.h"
#include "archive/PakExtract.h"
#include "archive/PakFormat.h"
#include "archive/PakNames.h"
#include "archive/PakReader.h"
#include "archive/WadArchive.h"
#include "archive/ZipFormat.h"
#include "archive/ZipReader.h"
#include "formats/Wad2.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <memory>

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
    pkLocalHeader,
    pkUndecodable,
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
        problems.Archive(Tr("not a PAK archive (no \"PACK\" signature or a header cut short)"));
        return false;
    }
    // "PACK" leads to Daikatana's records too: the reader tells them.
    if (layout == &kQuakeLayout)
        layout = &PakLayoutOf(ReadPakIndex(stream).Kind);
    TByteReader headReader(head);
    const TPakHeader header = DecodePakHeader(headReader);
    facts = {layout, stream.Size(), header.DirOffset, header.DirLength};
    const auto recordSize = static_cast<std::int64_t>(layout->EntrySize);
    if (facts.DirLength < 0 || facts.DirOffset < 0) {
        problems.Archive(Tr("the directory's offset or length is negative"));
        return false;
    }
    if (facts.DirLength % recordSize != 0)
        problems.Archive(FormatText(Tr("the directory length {1} is not a multiple of {2}"),
                                    facts.DirLength, recordSize));
    if (facts.DirOffset < static_cast<std::int64_t>(kPakHeaderSize) && facts.DirLength > 0)
        problems.Archive(Tr("the directory overlaps the header"));
    if (facts.DirOffset + facts.DirLength > facts.Size)
        problems.Archive(FormatText(Tr("the directory runs past the end of the file ({1} > {2} "
                                       "bytes)"),
                                    facts.DirOffset + facts.DirLength, facts.Size));
    report.Entries = static_cast<std::int32_t>(facts.DirLength / recordSize);
    if (layout->EngineMaxEntries > 0 && report.Entries > layout->EngineMaxEntries)
        problems.Archive(FormatText(Tr("{1} entries: the original engine loads at most {2}"),
                                    report.Entries, layout->EngineMaxEntries));
    return true;
}

// What each name alone, and the names together, would break; the name
// field's length only where the layout has one.
void CheckNames(const TPakEntries& entries, const TPakLayout& layout, TProblems& problems) {
    TNameTable exact(entries, false);
    TNameTable folded(entries, true);
    // The writer keeps the field's last byte for the NUL.
    const std::size_t longest = layout.NameSize - 1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string_view name = entries[i].Name;
        // A layout without a name field (a ZIP) stores any length whole.
        const bool field = layout.NameSize > 0;
        if (field && name.size() == layout.NameSize)
            problems.Entry(pkFullName, i, name,
                           FormatText(Tr("the name fills all {1} bytes with no NUL after it"),
                                      layout.NameSize));
        else if (field && name.size() > longest)
            problems.Entry(pkLongName, i, name,
                           FormatText(Tr("the name is longer than {1} bytes"), longest));
        if (std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
            problems.Entry(pkUpperCase, i, name,
                           Tr("the name has upper-case letters; the engine asks for names in "
                              "lower case"));
        if (name.find('\\') != std::string_view::npos)
            problems.Entry(pkBackslash, i, name,
                           Tr("the name has \"\\\"; levels are separated by \"/\""));
        if (HasControlByte(name))
            problems.Entry(pkControl, i, name,
                           Tr("the name has control characters, which a terminal may act on"));
        if (HasSpaceAtLevelEdge(name))
            problems.Entry(pkSpaceEdge, i, name,
                           Tr("a level of the name begins or ends with a space, which file "
                              "systems trim or refuse"));
        switch (JudgeEntryName(name)) {
        case TNameVerdict::nvUnsafe:
            problems.Entry(pkUnsafe, i, name,
                           Tr("unsafe name: it would not extract inside a directory"));
            break;
        case TNameVerdict::nvNoFile:
            problems.Entry(pkNoFile, i, name,
                           Tr("the name is empty or ends in a separator: it names no file"));
            break;
        case TNameVerdict::nvSafe:
            break;
        }
        if (const std::int64_t same = exact.Insert(i); same >= 0) {
            problems.Entry(
                pkDuplicate, i, name,
                FormatText(Tr("duplicate of entry {1}; the engine uses the first"), same));
        } else if (const std::int64_t alike = folded.Insert(i); alike >= 0) {
            problems.Entry(pkCaseOnly, i, name,
                           FormatText(Tr("differs only in letter case from entry {1}; the "
                                         "engine uses the first"),
                                      alike));
        }
    }
}

// The spans' overlaps with one another, each told at the later entry.
template <class TSpan>
void CheckOverlaps(std::vector<TSpan>& spans, const TPakEntries& entries, TProblems& problems) {
    std::sort(spans.begin(), spans.end(), [](const TSpan& a, const TSpan& b) {
        return a.Begin < b.Begin || (a.Begin == b.Begin && a.Entry < b.Entry);
    });
    const TSpan* reach = nullptr;
    for (const TSpan& span : spans) {
        if (reach != nullptr && span.Begin < reach->End)
            problems.Entry(pkOverlap, span.Entry, entries[span.Entry].Name,
                           FormatText(Tr("its data overlap those of entry {1}"), reach->Entry));
        if (reach == nullptr || span.End > reach->End)
            reach = &span;
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
        const std::int64_t end = StoredEnd(entry);
        const std::int64_t stored = end - begin;
        if (entry.FilePos < 0 || entry.FileLength < 0 || stored < 0 || end > facts.Size) {
            problems.Entry(
                pkOutside, i, entry.Name,
                FormatText(Tr("its data lie outside the file (position {1}, length {2})"), begin,
                           stored));
            continue;
        }
        if (stored == 0)
            continue;
        if (begin < static_cast<std::int64_t>(kPakHeaderSize))
            problems.Entry(pkOverHeader, i, entry.Name, Tr("its data overlap the header"));
        if (begin < facts.DirOffset + facts.DirLength && facts.DirOffset < end &&
            facts.DirLength > 0)
            problems.Entry(pkOverDirectory, i, entry.Name, Tr("its data overlap the directory"));
        spans.push_back({begin, end, static_cast<std::uint32_t>(i)});
    }
    // Sorted by start, each span is compared with the furthest reaching one
    // before it; the entries keep their names, so none is decoded again.
    CheckOverlaps(spans, entries, problems);
    std::vector<TPakSpan> used;
    used.reserve(spans.size() + 2);
    used.push_back({0, static_cast<std::int64_t>(kPakHeaderSize)});
    used.push_back({facts.DirOffset, facts.DirOffset + facts.DirLength});
    for (const TSpan& span : spans)
        used.push_back({span.Begin, span.End});
    return UncoveredBytes(used, facts.Size);
}

// A member's local header against its central record, and the span from
// the header to the end of its data and descriptor. False when there is
// no header.
bool CheckLocalHeader(TStream& stream, std::size_t i, const TPakEntry& entry, TProblems& problems,
                      std::int64_t& end) {
    const TEntryCoding& coding = *entry.Coding;
    unsigned char local[kZipLocalSize];
    stream.Seek(entry.FilePos);
    if (stream.Read(local, sizeof local) != sizeof local || ZipGet32(local) != kZipLocalSignature) {
        problems.Entry(pkLocalHeader, i, entry.Name,
                       FormatText(Tr("no local header where the directory puts it (offset {1})"),
                                  entry.FilePos));
        return false;
    }
    const std::uint16_t flags = ZipGet16(local + 6);
    std::string name(ZipGet16(local + kZipLocalNameLengthAt), '\0');
    if (stream.Read(name.data(), name.size()) != name.size())
        name.clear();
    name = name.substr(0, std::min(name.find('\0'), name.size()));
    if ((flags & kZipFlagUtf8) == 0)
        name = Cp437ToUtf8(name);
    std::vector<std::string> differ;
    if (name != entry.Name)
        differ.push_back(FormatText(Tr("its name \"{1}\""), name));
    if (ZipGet16(local + 8) != coding.ZipMethod)
        differ.push_back(FormatText(Tr("its method {1}"), ZipGet16(local + 8)));
    if ((flags & kZipFlagDescriptor) == 0) {
        const std::uint32_t stored = ZipGet32(local + 18);
        const std::uint32_t size = ZipGet32(local + 22);
        if (ZipGet32(local + 14) != coding.Crc)
            differ.push_back(Tr("its CRC"));
        // A ZIP64 header says its sizes in its extra field.
        if (stored != kZip32Escape && size != kZip32Escape &&
            (stored != coding.StoredLength || size != coding.Size))
            differ.push_back(Tr("its sizes"));
    }
    if (!differ.empty()) {
        std::string list = differ[0];
        for (std::size_t k = 1; k < differ.size(); ++k)
            // TRANSLATORS: the parts of a list, the last two joined by "and".
            list = FormatText(k + 1 == differ.size() ? Tr("{1} and {2}") : Tr("{1}, {2}"), list,
                              differ[k]);
        problems.Entry(pkLocalHeader, i, entry.Name,
                       FormatText(Tr("its local header differs from the directory in {1}"), list));
    }
    end = entry.FilePos + ZipLocalHeaderLength(local) + coding.StoredLength;
    if ((flags & kZipFlagDescriptor) != 0) {
        // 12 bytes, 16 with its signature, 24 with ZIP64 sizes.
        unsigned char first[4] = {};
        stream.Seek(end);
        const bool signed_ =
            stream.Read(first, 4) == 4 && ZipGet32(first) == kZipDescriptorSignature;
        const bool wide = coding.StoredLength >= kZip32Escape || coding.Size >= kZip32Escape;
        end += (signed_ ? 4 : 0) + (wide ? 20 : 12);
    }
    return true;
}

// Each coded entry (a ZIP member, a Daikatana PAK's entry; of a ZIP only
// those whose headers were found, as only says) decodes to the size it
// states, its CRC matching where there is one.
void CheckCoded(TStream& stream, const TPakEntries& entries, TProblems& problems,
                const std::vector<bool>* only = nullptr) {
    std::vector<unsigned char> scratch;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TPakEntry entry = entries[i];
        if (entry.Coding == nullptr || (only != nullptr && !(*only)[i]))
            continue;
        scratch.resize(kCopyChunkSize * 16);
        try {
            TEntryDecoder decoder(stream, entry);
            while (decoder.Done() < entry.FileLength)
                decoder.Read(scratch.data(), scratch.size());
            decoder.Finish();
        } catch (const TFailure& e) {
            // The report names the entry beside the reason.
            const auto* damaged = dynamic_cast<const TDamagedEntryFailure*>(&e);
            const std::string why = UndecodableReason(*entry.Coding);
            problems.Entry(pkUndecodable, i, entry.Name,
                           !why.empty()         ? FormatText(Tr("cannot be checked: {1}"), why)
                           : damaged != nullptr ? damaged->Why()
                                                : std::string(e.what()));
        }
    }
}

void VerifyZip(TStream& stream, TPakReport& report, TProblems& problems) {
    const TZipDirectory dir = FindZipDirectory(stream);
    if (!dir.Found) {
        report.Usable = false;
        problems.Archive(Tr("not a ZIP archive: its end record is not there"));
        return;
    }
    if (dir.Spanned)
        problems.Archive(Tr("the archive spans several disks, which is not read"));
    const TPakIndex index = ReadZipIndex(stream);
    if (!index.Complete && !dir.Spanned)
        problems.Archive(FormatText(TrPlural("the central directory is cut short or damaged; {1} "
                                             "members read whole",
                                             "the central directory is cut short or damaged; {1} "
                                             "members read whole",
                                             index.Entries.size()),
                                    index.Entries.size()));
    report.Entries = static_cast<std::int32_t>(index.Entries.size());
    CheckNames(index.Entries, kZipLayout, problems);

    struct TSpan {
        std::int64_t Begin, End;
        std::uint32_t Entry;
    };
    std::vector<TSpan> spans;
    const std::int64_t size = stream.Size();
    const std::int64_t dirBegin = index.DirOffset;
    const std::int64_t dirEnd = index.DirOffset + dir.Length;
    std::vector<bool> found(index.Entries.size(), false);
    for (std::size_t i = 0; i < index.Entries.size(); ++i) {
        const TPakEntry entry = index.Entries[i];
        const TEntryCoding& coding = *entry.Coding;
        if (entry.FilePos < 0 || coding.StoredLength < 0 || entry.FilePos >= size) {
            problems.Entry(
                pkOutside, i, entry.Name,
                FormatText(Tr("its data lie outside the file (position {1}, length {2})"),
                           entry.FilePos, coding.StoredLength));
            continue;
        }
        std::int64_t end = 0;
        if (!CheckLocalHeader(stream, i, entry, problems, end))
            continue;
        if (end > size) {
            problems.Entry(pkOutside, i, entry.Name,
                           FormatText(Tr("its data run past the end of the file ({1} > {2} bytes)"),
                                      end, size));
            continue;
        }
        if (entry.FilePos < dirEnd && dirBegin < end)
            problems.Entry(pkOverDirectory, i, entry.Name, Tr("its data overlap the directory"));
        spans.push_back({entry.FilePos, end, static_cast<std::uint32_t>(i)});
        found[i] = true;
    }
    CheckCoded(stream, index.Entries, problems, &found);
    CheckOverlaps(spans, index.Entries, problems);
    std::vector<TPakSpan> used;
    used.reserve(spans.size() + 2);
    used.push_back({dirBegin, dirEnd});
    // The end records, and the ZIP64 ones before them.
    used.push_back({dir.Zip64 ? std::max(dirEnd, dir.End - static_cast<std::int64_t>(
                                                               kZip64EndSize + kZip64LocatorSize))
                              : dir.End,
                    size});
    for (const TSpan& span : spans)
        used.push_back({span.Begin, span.End});
    for (const TPakSpan& folder : index.Folders) {
        unsigned char local[kZipLocalSize];
        stream.Seek(folder.Begin);
        if (folder.Begin >= 0 && stream.Read(local, sizeof local) == sizeof local &&
            ZipGet32(local) == kZipLocalSignature)
            used.push_back({folder.Begin, folder.End + ZipLocalHeaderLength(local)});
    }
    report.Unused = UncoveredBytes(used, size);
}

// A WAD: its directory in the file, lumps inside it and clear of the header,
// the directory and each other, and no name twice (the engine takes the
// first, letter case ignored). Lump names are upper case by custom: no
// rule of a PAK's names applies.
void VerifyWad(TStream& stream, TPakReport& report, TProblems& problems) {
    const TPakIndex index = ReadWadIndex(stream);
    report.Entries = static_cast<std::int32_t>(index.Entries.size());
    if (!index.Complete)
        problems.Archive(FormatText(TrPlural("the directory runs past the end of the file; {1} "
                                             "lumps read whole",
                                             "the directory runs past the end of the file; {1} "
                                             "lumps read whole",
                                             index.Entries.size()),
                                    index.Entries.size()));
    TNameTable exact(index.Entries, false);
    TNameTable folded(index.Entries, true);
    for (std::size_t i = 0; i < index.Entries.size(); ++i) {
        const std::string_view name = index.Entries[i].Name;
        if (const std::int64_t same = exact.Insert(i); same >= 0)
            problems.Entry(
                pkDuplicate, i, name,
                FormatText(Tr("duplicate of lump {1}; the engine uses the first"), same));
        else if (const std::int64_t alike = folded.Insert(i); alike >= 0)
            problems.Entry(pkCaseOnly, i, name,
                           FormatText(Tr("differs only in letter case from lump {1}; the engine "
                                         "uses the first"),
                                      alike));
    }
    const THeaderFacts facts{&PakLayoutOf(index.Kind), stream.Size(), index.DirOffset,
                             static_cast<std::int64_t>(index.Entries.size() * kWadDirEntryBytes)};
    report.Unused = CheckSpans(index.Entries, facts, problems);
}

} // namespace

TPakReport VerifyPak(TStream& stream) {
    TPakReport report;
    TProblems problems(report);
    {
        unsigned char first[4] = {};
        stream.Seek(0);
        const bool read = stream.Read(first, sizeof first) == sizeof first;
        const std::string_view signature(reinterpret_cast<const char*>(first), sizeof first);
        if (read && (IsZipSignature(signature) || IsWadSignature(signature))) {
            if (IsZipSignature(signature))
                VerifyZip(stream, report, problems);
            else
                VerifyWad(stream, report, problems);
            problems.Finish();
            return report;
        }
    }
    THeaderFacts facts;
    if (CheckHeader(stream, report, problems, facts)) {
        // Only whole records that are really there are looked at.
        const TPakIndex index = ReadPakIndex(stream);
        CheckNames(index.Entries, *facts.Layout, problems);
        report.Unused = CheckSpans(index.Entries, facts, problems);
        CheckCoded(stream, index.Entries, problems);
    }
    problems.Finish();
    return report;
}

} // namespace zorvak
