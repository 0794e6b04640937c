#include "framework/Failures.h"

#include "framework/Text.h"
#include "framework/Translate.h"

#include <cerrno>
#include <system_error>
#include <utility>

namespace zorvak {

std::string DisplayPath(const std::filesystem::path& path) {
    return path.string();
}

TFileOpenFailure::TFileOpenFailure(const std::filesystem::path& path, std::string reason)
    : TFailure(FormatText(Tr("Cannot open file {1}"), DisplayPath(path))),
      reason_(std::move(reason)) {}

TFileCreateFailure::TFileCreateFailure(const std::filesystem::path& path, std::string reason)
    : TFailure(FormatText(Tr("Cannot create file {1}"), DisplayPath(path))),
      reason_(std::move(reason)) {}

TFileInUseFailure::TFileInUseFailure(const std::filesystem::path& path)
    : TFailure(FormatText(Tr("{1} is in use by another program"), DisplayPath(path))) {}

TArchiveChangedFailure::TArchiveChangedFailure(const std::filesystem::path& path)
    : TFailure(FormatText(Tr("The archive {1} has changed since it was opened; open it again"),
                          DisplayPath(path))) {}

TArchiveReplacedFailure::TArchiveReplacedFailure(const std::filesystem::path& path)
    : TArchiveChangedFailure(FormatText(Tr("Another file took the place of {1} during the edit: "
                                           "it is left as it is, and nothing was changed"),
                                        DisplayPath(path))) {}

TFileExistsFailure::TFileExistsFailure(const std::filesystem::path& path)
    : TFailure(FormatText(Tr("{1} exists"), DisplayPath(path))), path_(path) {}

TLinkFailure::TLinkFailure(const std::filesystem::path& level)
    : TFailure(FormatText(Tr("{1} is a symbolic link: nothing is written through it"),
                          DisplayPath(level))) {}

TListIndexFailure::TListIndexFailure() : TFailure(Tr("List index out of bounds")) {}

TInOutFailure::TInOutFailure(int code) : TFailure(InOutMessage(code)), code_(code) {}

std::string InOutMessage(int code) {
    switch (code) {
    case kIoFileNotFound:
        return Tr("File not found");
    case kIoInvalidFilename:
        return Tr("Invalid filename");
    case kIoTooManyOpenFiles:
        return Tr("Too many open files");
    case kIoAccessDenied:
        return Tr("File access denied");
    case kIoReadBeyondEnd:
        return Tr("Read beyond end of file");
    case kIoDiskFull:
        return Tr("Disk full");
    case kIoInvalidNumeric:
        return Tr("Invalid numeric input");
    default:
        return FormatText(Tr("I/O error {1}"), code);
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
        return TInOutFailure(err,
                             Tr("File too large: the system's limit on a file's size is reached"));
#endif
    return TInOutFailure(err, FormatText(Tr("I/O error {1}"), err));
}

void ThrowForErrno(int err) {
    throw TInOutFailure::FromErrno(err);
}

} // namespace zorvak
