// What the archive fuzzers demand of each input, shared with the ordinary
// tests that replay their corpora and crashes. Each returns false (and the
// fuzzer aborts) when the code broke a promise it makes.
#pragma once

#include "archive/EntryDecoder.h"
#include "archive/PakExtract.h"
#include "archive/PakReader.h"
#include "archive/PakVerify.h"
#include "archive/PakWriter.h"
#include "archive/ZipFormat.h"
#include "framework/Failures.h"
#include "tests/support/PakImage.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace zorvak::fuzz {

// Inputs past these sizes are not worth the fuzzer's time; a stored name
// has at most the 56 bytes of its field.
inline constexpr std::size_t kMaxArchiveInput = 1 << 20;
inline constexpr std::size_t kMaxNameInput = kPakNameSize;

// Any bytes as an archive read without fault, never listing an entry made
// of bytes that are not there.
inline bool CheckIndex(const std::vector<unsigned char>& bytes) {
    TMemoryStream stream(bytes);
    const TPakIndex index = ReadPakIndex(stream);
    if (index.Kind == TPakKind::pkZip) {
        // A central record takes 46 bytes and more; a name is cut at a NUL,
        // and code page 437 at most triples its 65,535 bytes.
        if (index.Entries.size() * kZipCentralSize > bytes.size())
            return false;
        return std::all_of(index.Entries.begin(), index.Entries.end(), [](const TPakEntry& e) {
            return e.Coding != nullptr && e.Name.find('\0') == std::string_view::npos &&
                   e.Name.size() <= 3 * 0xFFFF;
        });
    }
    const TPakLayout& layout = PakLayoutOf(index.Kind);
    if (index.Entries.size() * layout.EntrySize > bytes.size())
        return false;
    return std::all_of(index.Entries.begin(), index.Entries.end(),
                       [&](const TPakEntry& e) { return e.Name.size() <= layout.NameSize; });
}

// Every coded entry of any bytes as an archive decodes, or is refused with
// a failure, without fault, never giving a byte past its stated size and
// never claiming to be whole when it is not.
inline bool CheckCoded(const std::vector<unsigned char>& bytes) {
    TMemoryStream stream(bytes);
    const TPakIndex index = ReadPakIndex(stream);
    std::vector<unsigned char> out(64 * 1024);
    std::size_t tried = 0;
    for (const TPakEntry entry : index.Entries) {
        if (entry.Coding == nullptr || ++tried > 64)
            continue;
        try {
            TEntryDecoder decoder(stream, entry);
            while (decoder.Done() < entry.FileLength) {
                const std::size_t n = decoder.Read(out.data(), out.size());
                if (n == 0 || decoder.Done() > entry.Coding->Size)
                    return false;
            }
            decoder.Finish();
            if (decoder.Done() != entry.Coding->Size)
                return false;
        } catch (const TFailure&) {
        }
    }
    return true;
}

// Verify reads any bytes without fault and its counts add up.
inline bool CheckVerify(const std::vector<unsigned char>& bytes) {
    TMemoryStream stream(bytes);
    const TPakReport report = VerifyPak(stream);
    std::int64_t told = 0;
    for (const TPakProblem& p : report.Problems) {
        // No record of any kind is shorter than a WAD's 32 bytes.
        if (p.Entry >= 0 &&
            static_cast<std::int64_t>(p.Entry) * 32 > static_cast<std::int64_t>(bytes.size()))
            return false;
        told += 1 + p.More;
    }
    return told == report.Total && (report.Usable || report.Problems.size() == 1);
}

// Whatever the rule accepts lies inside the directory, and extraction and
// verify judge every name alike.
inline bool CheckEntryPath(const std::string& name) {
    if (name.size() > kMaxNameInput)
        return true;
    const std::filesystem::path dir = "/d";
    bool accepted = true;
    std::filesystem::path out;
    try {
        out = EntryOutputPathIn(dir, name);
    } catch (const TFailure&) {
        accepted = false;
    }
    if (accepted != (JudgeEntryName(name) == TNameVerdict::nvSafe))
        return false;
    if (accepted) {
        const std::filesystem::path inside = out.lexically_normal().lexically_relative(dir);
        if (inside.empty() || *inside.begin() == ".." || *inside.begin() == "." ||
            out.lexically_normal() == dir)
            return false;
    }
    // Verify sees the name as stored: up to 55 bytes, no NUL.
    if (name.size() > kPakMaxNameLength || name.find('\0') != std::string::npos)
        return true;
    TMemoryStream stream(BuildPakImage({{name, ""}}));
    const TPakReport report = VerifyPak(stream);
    const bool flagged =
        std::any_of(report.Problems.begin(), report.Problems.end(), [](const TPakProblem& p) {
            return p.Text.starts_with("unsafe name") ||
                   p.Text.find("names no file") != std::string::npos;
        });
    return flagged != accepted;
}

} // namespace zorvak::fuzz
