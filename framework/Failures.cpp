#include "framework/Failures.h"

#include <cerrno>
#include <system_error>
#include <utility>

namespace zorvak {

std::string DisplayPath(const std::filesystem::path& path) {
    return path.string();
}

std::string SystemReason(int err) {
    return err == 0 ? std::string() : std::generic_category().message(err);
}

TFileOpenFailure::TFileOpenFailure(const std::filesystem::path& path, std::string reason)
    : TFailure("Cannot open file " + DisplayPath(path)), reason_(std::move(reason)) {}

TFileCreateFailure::TFileCreateFailure(const std::filesystem::path& path, std::string reason)
    : TFailure("Cannot create file " + DisplayPath(path)), reason_(std::move(reason)) {}

TFileInUseFailure::TFileInUseFailure(const std::filesystem::path& path)
    : TFailure(DisplayPath(path) + " is in use by another program") {}

TArchiveChangedFailure::TArchiveChangedFailure(const std::filesystem::path& path)
    : TFailure("The archive " + DisplayPath(path) +
               " has changed since it was opened; open it again") {}

TArchiveReplacedFailure::TArchiveReplacedFailure(const std::filesystem::path& path)
    : TArchiveChangedFailure("Another file took the place of " + DisplayPath(path) +
                             " during the edit: it is left as it is, and nothing was changed") {}

TFileExistsFailure::TFileExistsFailure(const std::filesystem::path& path)
    : TFailure(DisplayPath(path) + " exists"), path_(path) {}

TLinkFailure::TLinkFailure(const std::filesystem::path& level)
    : TFailure(DisplayPath(level) + " is a symbolic link: nothing is written through it") {}

TInOutFailure::TInOutFailure(int code) : TFailure(InOutMessage(code)), code_(code) {}

std::string InOutMessage(int code) {
    switch (code) {
    case kIoFileNotFound:
        return "File not found";
    case kIoInvalidFilename:
        return "Invalid filename";
    case kIoTooManyOpenFiles:
        return "Too many open files";
    case kIoAccessDenied:
        return "File access denied";
    case kIoReadBeyondEnd:
        return "Read beyond end of file";
    case kIoDiskFull:
        return "Disk full";
    case kIoInvalidNumeric:
        return "Invalid numeric input";
    default:
        return "I/O error " + std::to_string(code);
    }
}

namespace {
// The classic code of the same meaning as errno value err, or 0.
int ClassicCodeForErrno(int err) {
    // By meaning, not by number: errno values differ from the classic codes.
    switch (err) {
    case ENOENT:
        return kIoFileNotFound;
    case ENAMETOOLONG:
        return kIoInvalidFilename;
    case EMFILE:
    case ENFILE:
        return kIoTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
        return kIoAccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return kIoDiskFull;
    default:
        return 0;
    }
}
} // namespace

TInOutFailure TInOutFailure::About(const std::filesystem::path& path) const {
    TInOutFailure failure = *this;
    failure.path_ = path;
    return failure;
}

TInOutFailure TInOutFailure::FromErrno(int err) {
    const int code = ClassicCodeForErrno(err);
    if (code != 0)
        return TInOutFailure(code);
#ifdef EFBIG
    if (err == EFBIG)
        return TInOutFailure(err, "File too large: the system's limit on a file's size is reached");
#endif
    return TInOutFailure(err, "I/O error " + std::to_string(err));
}

void ThrowForErrno(int err) {
    throw TInOutFailure::FromErrno(err);
}

} // namespace zorvak
