// diff: what two archives hold differently, by name and by content, PAK
// and ZIP alike.
#include "archive/EntryDecoder.h"
#include "archive/PakNames.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "cli/Json.h"
#include "framework/Interrupt.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>

namespace zorvak {

namespace {

constexpr std::size_t kPiece = 64 * 1024;

// An entry's bytes read out in order, whatever its coding: a plain entry
// goes through the decoder as stored bytes with no check to make.
class TEntryStream {
public:
    TEntryStream(const TLockedFile& file, TPakEntry entry) : entry_(entry) {
        if (entry_.Coding == nullptr) {
            plain_.Method = TEntryMethod::emStored;
            plain_.StoredLength = entry.FileLength;
            plain_.Size = entry.FileLength;
            entry_.Coding = &plain_;
        }
        decoder_ = std::make_unique<TEntryDecoder>(file, entry_);
    }
    std::size_t Read(unsigned char* out, std::size_t n) {
        const std::size_t got = decoder_->Read(out, n);
        if (decoder_->Done() == entry_.FileLength)
            decoder_->Finish();
        return got;
    }

private:
    TEntryCoding plain_;
    TPakEntry entry_;
    std::unique_ptr<TEntryDecoder> decoder_;
};

// FNV-1a over the entry's bytes: what pairs renamed candidates, which are
// then compared byte for byte.
std::uint64_t HashOf(const TLockedFile& file, const TPakEntry& entry) {
    TEntryStream stream(file, entry);
    std::vector<unsigned char> buffer(kPiece);
    std::uint64_t hash = 14695981039346656037ull;
    for (std::int64_t left = entry.FileLength; left > 0;) {
        const std::size_t n = stream.Read(
            buffer.data(), static_cast<std::size_t>(std::min<std::int64_t>(left, kPiece)));
        for (std::size_t i = 0; i < n; ++i)
            hash = (hash ^ buffer[i]) * 1099511628211ull;
        left -= static_cast<std::int64_t>(n);
    }
    return hash;
}

bool SameBytes(const TLockedFile& fa, const TPakEntry& a, const TLockedFile& fb,
               const TPakEntry& b) {
    if (a.FileLength != b.FileLength)
        return false;
    TEntryStream sa(fa, a);
    TEntryStream sb(fb, b);
    std::vector<unsigned char> ba(kPiece), bb(kPiece);
    for (std::int64_t left = a.FileLength; left > 0;) {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(left, kPiece));
        const std::size_t na = sa.Read(ba.data(), want);
        const std::size_t nb = sb.Read(bb.data(), want);
        if (na != nb || std::memcmp(ba.data(), bb.data(), na) != 0)
            return false;
        left -= static_cast<std::int64_t>(na);
    }
    return true;
}

} // namespace

int DiffCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "", {Flag("json", kOptJson)});
    if (const auto refused =
            tool.Refuse(a, kDiffHelp, a.Positional.size() == 2, TrMark("diff takes two archives")))
        return *refused;
    // What scripts read does not change with the language.
    std::optional<TEnglishTexts> english;
    if (a.Has(kOptJson))
        english.emplace();
    const std::string& pathA = a.Positional[0];
    const std::string& pathB = a.Positional[1];
    std::optional<TLockedFile> fileA, fileB;
    TPakIndex indexA, indexB;
    if (!tool.OpenIndex(pathA, fileA, indexA) || !tool.OpenIndex(pathB, fileB, indexB))
        return kExitUnusable;
    const std::vector<std::size_t> firstA = FirstOfEachName(indexA.Entries);
    const std::vector<std::size_t> firstB = FirstOfEachName(indexB.Entries);
    std::unordered_map<std::string_view, std::size_t> inB;
    for (const std::size_t i : firstB)
        inB.emplace(indexB.Entries[i].Name, i);

    std::vector<std::size_t> onlyA, changed;
    std::vector<bool> matchedB(indexB.Entries.size(), false);
    for (const std::size_t i : firstA) {
        if (InterruptRequested() != 0)
            return kExitProblems;
        const TPakEntry ea = indexA.Entries[i];
        const auto found = inB.find(ea.Name);
        if (found == inB.end()) {
            onlyA.push_back(i);
            continue;
        }
        matchedB[found->second] = true;
        if (!SameBytes(*fileA, ea, *fileB, indexB.Entries[found->second]))
            changed.push_back(i);
    }
    std::vector<std::size_t> onlyB;
    for (const std::size_t j : firstB)
        if (!matchedB[j])
            onlyB.push_back(j);

    // Renamed: an entry only in A whose bytes an entry only in B holds.
    std::multimap<std::pair<std::int64_t, std::uint64_t>, std::size_t> byContent;
    for (const std::size_t i : onlyA)
        byContent.emplace(
            std::make_pair(indexA.Entries[i].FileLength, HashOf(*fileA, indexA.Entries[i])), i);
    std::vector<std::pair<std::size_t, std::size_t>> renamed;
    std::vector<bool> renamedA(indexA.Entries.size(), false);
    std::vector<std::size_t> added;
    for (const std::size_t j : onlyB) {
        const TPakEntry eb = indexB.Entries[j];
        bool found = false;
        if (!byContent.empty()) {
            const auto [from, to] = byContent.equal_range({eb.FileLength, HashOf(*fileB, eb)});
            // The match is erased, so the walk ends there: the loop's step
            // would move on from an erased node.
            for (auto it = from; it != to; ++it) {
                if (SameBytes(*fileA, indexA.Entries[it->second], *fileB, eb)) {
                    renamed.emplace_back(it->second, j);
                    renamedA[it->second] = true;
                    byContent.erase(it);
                    found = true;
                    break;
                }
            }
        }
        if (!found)
            added.push_back(j);
    }
    std::vector<std::size_t> removed;
    for (const std::size_t i : onlyA)
        if (!renamedA[i])
            removed.push_back(i);
    const bool same = removed.empty() && added.empty() && changed.empty() && renamed.empty();

    if (a.Has(kOptJson)) {
        TJsonWriter json;
        json.BeginObject().Key("a").String(pathA).Key("b").String(pathB);
        const auto names = [&](const char* key, const TPakIndex& index,
                               const std::vector<std::size_t>& rows) {
            json.Key(key).BeginArray();
            for (const std::size_t r : rows)
                json.String(index.Entries[r].Name);
            json.EndArray();
        };
        names("only_in_a", indexA, removed);
        names("only_in_b", indexB, added);
        names("changed", indexA, changed);
        json.Key("renamed").BeginArray();
        for (const auto& [from, to] : renamed)
            json.BeginObject()
                .Key("from")
                .String(indexA.Entries[from].Name)
                .Key("to")
                .String(indexB.Entries[to].Name)
                .EndObject();
        json.EndArray().Key("same").Bool(same).EndObject();
        tool.Out() << json.Text() << "\n";
    } else {
        const bool terminal = tool.Options().OutIsTerminal;
        const auto name = [terminal](std::string_view n) { return EscapeName(n, terminal); };
        std::string text;
        const char* const onlyIn = Tr("only in {1}: {2}");
        for (const std::size_t i : removed)
            text += FormatText(onlyIn, EscapeForTerminal(pathA, terminal),
                               name(indexA.Entries[i].Name)) +
                    "\n";
        for (const std::size_t j : added)
            text += FormatText(onlyIn, EscapeForTerminal(pathB, terminal),
                               name(indexB.Entries[j].Name)) +
                    "\n";
        for (const std::size_t i : changed)
            text += FormatText(Tr("changed: {1}"), name(indexA.Entries[i].Name)) + "\n";
        for (const auto& [from, to] : renamed)
            text += FormatText(Tr("renamed: {1} -> {2}"), name(indexA.Entries[from].Name),
                               name(indexB.Entries[to].Name)) +
                    "\n";
        tool.Out() << text;
    }
    return same ? kExitOk : kExitProblems;
}

} // namespace zorvak
