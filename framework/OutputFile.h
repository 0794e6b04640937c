// Outputs that replace what was at their name only once they are complete.
#pragma once

#include "framework/Directory.h"
#include "framework/FileDescriptor.h"
#include "framework/FileIdentity.h"
#include "framework/LockedFile.h"
#include "framework/Streams.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace zorvak {

// An output file in a directory that appears under its name complete or not
// at all. A name that is free is created directly (and removed again when
// the output is dropped without Commit()); a name that is taken, or every
// name with omAlwaysBeside, is written beside under a temporary name and
// renamed over the target by Commit(), so an older file there stays whole
// until then. A link at the name is replaced, never followed. Throws
// TFileCreateFailure (naming the target) when the target is a directory or
// a file we may not write, or nothing can be created.
enum class TOutputMode {
    omReplace,      // a free name directly, a taken one written beside and renamed over
    omAlwaysBeside, // every name written beside and renamed over
    omKeep,         // a taken name is left as it is: TFileExistsFailure
};

class TOutputFile : public TStream {
public:
    TOutputFile(const TDirectory& dir, const std::string& name,
                TOutputMode mode = TOutputMode::omReplace);
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;
    // Removes what was written unless it was committed.
    ~TOutputFile() override;

    // Write-only: always returns 0.
    std::size_t Read(void* buffer, std::size_t n) override;
    void Write(const void* buffer, std::size_t n) override;
    std::int64_t Seek(std::int64_t position) override;
    std::int64_t Position() const override { return position_; }
    std::int64_t Size() const override { return size_; }

    // Closes the output and gives it its name. An output written beside an
    // older file is flushed to disk first, so the name never shows a file
    // whose bytes a crash could still take away. Throws TFileCreateFailure
    // when the rename is refused, TInOutFailure for a delayed write error.
    void Commit();
    // Gives the output the name of the file held open as held, but only
    // while that name still holds held's file: the two are swapped in one
    // step and what was swapped out is looked at. A file that took the name
    // meanwhile stays there whole, the output is removed, and the answer is
    // false. On true the held file has no name left (its bytes go when it is
    // closed). Throws as Commit does.
    bool CommitOver(TLockedFile& held);

    // An output that grows the file held open as held, in place from its
    // end: nullptr where it cannot be written so (another name leads to the
    // file, it is not ours to write, it changed since it was held, or the
    // system lets no second open write it). Until CommitGrown, dropping the
    // output cuts the file back to its length.
    static std::unique_ptr<TOutputFile> Grow(const TDirectory& dir, const std::string& name,
                                             const TLockedFile& held);
    // The one step that makes what was appended part of the grown file:
    // head, the n bytes that were at its start, written over them. Durable,
    // what was appended reaches the disk before and head after. written is
    // called once head is written, not yet flushed. Only while name still
    // leads to held's file: else, also when it stops doing so meanwhile, the
    // file is left with its first bytes and length as they were, and the
    // answer is false. Throws TInOutFailure; from the head's write on, what
    // was appended stays (a tail no one reads, or the grown file's).
    bool CommitGrown(const TLockedFile& held, const void* head, std::size_t n, bool durable,
                     const std::function<void()>& written = {});

    // Gives the output the owner (where allowed) and permission bits of
    // another file: best effort, the bytes are what matter.
    void TakeOwnerAndModeOf(const TLockedFile& other);
    // Has the bytes written reach the disk before the rename shows them.
    // Throws TInOutFailure.
    void Flush();

    // The file that was at the name before (Device 0 when it was free).
    const TFileIdentity& Replaced() const { return replaced_; }
    // For copies made by the kernel; the position moves by what they wrote.
    int Descriptor() const { return fd_.Get(); }
    void Advance(std::int64_t n);
    std::filesystem::path Target() const { return dir_.Path() / name_; }
    // Name of what is being written: the target itself, or the temporary.
    const std::string& WrittenName() const { return written_; }
    // Whether it is written beside the target, under a temporary name.
    bool Beside() const { return grownFrom_ < 0 && written_ != name_; }

private:
    // The grown file open as fd, taken over.
    TOutputFile(const TDirectory& dir, const std::string& name, TFileDescriptor& fd);
    // Opens a fresh temporary beside the target as written_.
    void CreateTemporary();
    // Closes the descriptor, first flushing what will replace an older
    // file; on a failure the output is discarded and the failure thrown.
    void Close();
    void Discard() noexcept;
    // Whether name in the directory leads to held's file (a link is not
    // followed).
    bool Leads(const std::string& name, const TLockedFile& held) const;
    // CommitOver where the held file may be moved aside by its descriptor.
    bool CommitAside(TLockedFile& held);

    const TDirectory& dir_;
    std::string name_;
    std::string written_;
    TFileDescriptor fd_;
    TFileIdentity replaced_;
    std::int64_t size_ = 0;
    std::int64_t position_ = 0;
    bool flushed_ = false; // nothing written since the last Flush()
    // A grown file's length before, to cut it back to; -1 for a new file,
    // and once the grown one is committed.
    std::int64_t grownFrom_ = -1;
};

// An output named by its path, always written beside and renamed over,
// durably.
class TAtomicFile : public TStream {
public:
    explicit TAtomicFile(const std::filesystem::path& target);

    std::size_t Read(void* buffer, std::size_t n) override { return out_.Read(buffer, n); }
    void Write(const void* buffer, std::size_t n) override { out_.Write(buffer, n); }
    std::int64_t Seek(std::int64_t position) override { return out_.Seek(position); }
    std::int64_t Position() const override { return out_.Position(); }
    std::int64_t Size() const override { return out_.Size(); }
    // Flushes the bytes, renames them over the target and flushes the
    // folder, so that after a crash the name holds the old file or the new
    // one, never an empty one.
    void Commit();

    const std::filesystem::path& Target() const { return target_; }
    // The file being written, for copies the kernel makes into it.
    TOutputFile& Output() { return out_; }
    std::filesystem::path TempPath() const { return dir_.Path() / out_.WrittenName(); }

private:
    std::filesystem::path target_;
    TDirectory dir_;
    TOutputFile out_;
};

} // namespace zorvak
