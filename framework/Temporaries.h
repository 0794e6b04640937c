// The temporaries this program writes beside its outputs: their names, the
// ones a stopped run left, and a mapped one a run keeps its journal in.
#pragma once

#include "framework/Directory.h"
#include "framework/FileDescriptor.h"
#include "framework/FileIdentity.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

// Whether name is one of the temporaries this program writes beside its
// outputs (a leftover of a run that was killed).
bool IsTemporaryName(std::string_view name);
// The number of the process that made the temporary name, or 0 when the
// name does not tell.
unsigned TemporaryOwner(std::string_view name);

// A temporary that no live process holds: left by a run that was stopped.
struct TLeftover {
    std::string Name;
    TFileIdentity Identity;
};

// The temporaries in dir whose process has ended and which no process
// holds open (a writer keeps its temporary locked, or on Windows unshared,
// while it writes). Whatever cannot be listed or looked at is passed over.
std::vector<TLeftover> FindLeftovers(const TDirectory& dir);
// Removes the leftover from dir, unless another file has taken its name
// since it was found. True when it is gone.
bool RemoveLeftover(const TDirectory& dir, const TLeftover& leftover);

// A small file of the process's own in a directory, named as a temporary
// and mapped into memory: what the process stores in it is in the file at
// once, without a system call, and stays there whatever ends the process
// (a power loss aside). Held locked, so no other run takes it for a
// leftover, and removed when dropped.
class TMappedTemporary {
public:
    // Throws TFileCreateFailure (naming the directory) when it cannot be
    // made or mapped.
    TMappedTemporary(const TDirectory& dir, std::size_t size);
    ~TMappedTemporary();
    TMappedTemporary(const TMappedTemporary&) = delete;
    TMappedTemporary& operator=(const TMappedTemporary&) = delete;

    unsigned char* Bytes() const { return bytes_; }
    std::size_t Size() const { return size_; }
    const std::string& Name() const { return name_; }

private:
    const TDirectory& dir_;
    std::string name_;
    TFileDescriptor fd_;
    std::intptr_t mapping_ = 0; // the system's own handle where it has one
    unsigned char* bytes_ = nullptr;
    std::size_t size_ = 0;
};

// A file of the process's own in a folder (the system's temporary folder),
// named as a temporary and readable by the process alone, that bytes are
// appended to and that is read again by its path: what must outlive one
// step of a run, as the bytes an undo puts back. Held locked, so no other
// run takes it for a leftover, and removed when dropped.
class TScratchFile {
public:
    // Throws TFileCreateFailure (naming the folder) when it cannot be made.
    explicit TScratchFile(const std::filesystem::path& folder);
    ~TScratchFile();
    TScratchFile(const TScratchFile&) = delete;
    TScratchFile& operator=(const TScratchFile&) = delete;

    // Writes n bytes at the end; where they begin. Throws TInOutFailure,
    // having written nothing that counts.
    std::int64_t Append(const void* bytes, std::size_t n);
    // Drops what was appended after the first size bytes.
    void CutTo(std::int64_t size);
    std::int64_t Size() const { return size_; }
    std::filesystem::path Path() const { return dir_.Path() / name_; }

private:
    TDirectory dir_;
    std::string name_;
    TFileDescriptor fd_;
    std::int64_t size_ = 0;
};

} // namespace zorvak
