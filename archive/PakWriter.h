// Writing an archive in the builder's order: a provisional header, the data of
// every entry, the directory, then the header again with the true offset.
#pragma once

#include "archive/PakFormat.h"
#include "framework/Streams.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvak {

class TPakWriter {
public:
    // Writes the provisional header: DirOffset 0, DirLength 64 x entryCount.
    TPakWriter(TStream& out, std::int32_t entryCount);

    // Starts the next entry. Throws TFailure naming it when the name does not
    // fit the 55 bytes the field leaves for it.
    void BeginEntry(const std::string& name);
    // Appends data to the entry begun last. Throws TFailure when the archive
    // would reach 2 GiB.
    void WriteData(const void* buffer, std::size_t n);
    // Appends n bytes that put writes itself at Position() of the stream
    // below (a copy by the kernel), checked as WriteData checks.
    void PutData(std::size_t n, const std::function<void()>& put);
    // Writes the directory of the entries begun, each with exactly the bytes
    // written for it, then the header again. Returns the archive's length.
    std::int64_t Finish();

    std::int64_t Position() const { return position_; }

private:
    struct TPending {
        std::string Name;
        std::int64_t Pos;
        std::int64_t Length;
    };
    TStream& out_;
    std::vector<TPending> entries_;
    std::int64_t position_ = 0;
};

// Writes the header at the start of out: the directory at dirOffset, of
// entries records. Leaves out at the header's end.
void WritePakHeader(TStream& out, std::int64_t dirOffset, std::int64_t entries);

// Throws TFailure naming name when it is longer than a directory entry holds.
void CheckPakName(const std::string& name);

// The rules a name this program stores anew meets, so that verify finds
// nothing in it: no NUL, no control byte, no "\\", no empty level and no
// level that begins or ends with a space; safe (JudgeEntryName) and naming
// a file; at most 55 bytes (for a ZIP, the 65,535 its field holds).
// Throws TFailure naming the first rule broken.
void CheckNewPakName(const std::string& name, TPakKind kind = TPakKind::pkQuake);

// The refusal of two files under one stored name (names are lowered, so
// "Readme.TXT" and "readme.txt" would become one): NAME, then where each
// comes from.
std::string TwoFilesOneNameMessage(std::string_view name, std::string_view first,
                                   std::string_view second);

} // namespace zorvak
