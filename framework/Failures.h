// Failures carry the message the user sees; one family, one place that maps
// platform error codes onto messages.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace zorvak {

// Base of every failure the program reports; what() is the user-facing text
// without the closing ".".
class TFailure : public std::runtime_error {
public:
    explicit TFailure(const std::string& message) : std::runtime_error(message) {}
};

// The system's words for errno value err ("Permission denied"); empty for 0.
std::string SystemReason(int err);

// "Cannot open file %s". Reason() keeps the system's words when they are
// known: the window shows the message alone, zorvak-pak adds them.
class TFileOpenFailure : public TFailure {
public:
    explicit TFileOpenFailure(const std::filesystem::path& path, std::string reason = {});
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

// "Cannot create file %s", with Reason() as TFileOpenFailure's.
class TFileCreateFailure : public TFailure {
public:
    explicit TFileCreateFailure(const std::filesystem::path& path, std::string reason = {});
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

// "<path> is in use by another program": a lock someone else holds.
class TFileInUseFailure : public TFailure {
public:
    explicit TFileInUseFailure(const std::filesystem::path& path);
};

// An archive that is no longer the one whose index the caller holds.
class TArchiveChangedFailure : public TFailure {
public:
    explicit TArchiveChangedFailure(const std::filesystem::path& path);

protected:
    explicit TArchiveChangedFailure(const std::string& message) : TFailure(message) {}
};

// An archive that another file took the place of while it was being
// replaced: that file is left as it is.
class TArchiveReplacedFailure : public TArchiveChangedFailure {
public:
    explicit TArchiveReplacedFailure(const std::filesystem::path& path);
};

// "<path> exists": an output that was asked not to replace what is there.
class TFileExistsFailure : public TFailure {
public:
    explicit TFileExistsFailure(const std::filesystem::path& path);
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A symbolic link where a directory level of an output was to be.
class TLinkFailure : public TFailure {
public:
    explicit TLinkFailure(const std::filesystem::path& level);
};

// An input/output failure numbered like the classic run-time error codes
// (2 "File not found" ... 101 "Disk full"); Code() keeps the number.
class TInOutFailure : public TFailure {
public:
    explicit TInOutFailure(int code);
    // The failure for errno value err: by meaning where a classic code has
    // one, else "I/O error %d" with err itself.
    static TInOutFailure FromErrno(int err);
    int Code() const { return code_; }

    // The same failure, knowing the path it concerns; the message stays as
    // it is, and a caller that names paths adds it.
    TInOutFailure About(const std::filesystem::path& path) const;
    const std::filesystem::path& Path() const { return path_; }

private:
    TInOutFailure(int code, const std::string& message) : TFailure(message), code_(code) {}
    int code_;
    std::filesystem::path path_;
};

// "List index out of bounds": a list was asked for an item it does not hold.
class TListIndexFailure : public TFailure {
public:
    TListIndexFailure();
};

// Codes of TInOutFailure that callers raise by name.
inline constexpr int kIoFileNotFound = 2;
inline constexpr int kIoInvalidFilename = 3;
inline constexpr int kIoTooManyOpenFiles = 4;
inline constexpr int kIoAccessDenied = 5;
inline constexpr int kIoReadBeyondEnd = 100;
inline constexpr int kIoDiskFull = 101;
inline constexpr int kIoInvalidNumeric = 106;

// Message for a classic code; "I/O error %d" for any code without a text.
std::string InOutMessage(int code);

// Throws the TInOutFailure that matches errno value err.
[[noreturn]] void ThrowForErrno(int err);

// A path as the user reads it in a message: its bytes as stored.
std::string DisplayPath(const std::filesystem::path& path);

} // namespace zorvak
