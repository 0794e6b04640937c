#include "cli/ToolState.h"

#include "archive/PakExtract.h"

namespace zorvak {

void TProgress::Show(std::size_t done, std::size_t total, const std::string& what) {
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(100) && done != total)
        return;
    last_ = now;
    shown_ = true;
    err_ << "\r\033[K[" << done << "/" << total << "] "
         << EscapeForTerminal(what.substr(0, 60), true) << std::flush;
}

void TProgress::Clear() {
    if (shown_)
        err_ << "\r\033[K" << std::flush;
    shown_ = false;
}

std::string Reasoned(const std::exception& e) {
    std::string text = e.what();
    std::string reason;
    if (const auto* open = dynamic_cast<const TFileOpenFailure*>(&e))
        reason = open->Reason();
    else if (const auto* create = dynamic_cast<const TFileCreateFailure*>(&e))
        reason = create->Reason();
    if (!reason.empty())
        text += ": " + reason;
    return text;
}

void TToolState::Say(const std::string& message) {
    progress_.Clear();
    err_ << "zorvak-pak: " << EscapeForTerminal(message, options_.ErrIsTerminal) << "\n";
}

void TToolState::SayEntry(const std::string& archive, std::string_view entry,
                          const std::string& message) {
    // The name as list prints it, so it is told apart from every other.
    Say(archive + ": " + EscapeName(entry, options_.ErrIsTerminal) + ": " + message);
}

bool TToolState::TellEntryFailure(const std::string& archive, std::string_view name,
                                  const TFailure& e, int& status) {
    SayEntry(archive, name, Reasoned(e));
    status = kExitProblems;
    return dynamic_cast<const TArchiveChangedFailure*>(&e) != nullptr;
}

int TToolState::Usage(const std::string& message) {
    Say(message);
    err_ << "Try 'zorvak-pak --help'.\n";
    return kExitUnusable;
}

std::optional<int> TToolState::Refuse(const TArgs& a, const char* help, bool shapeOk,
                                      const char* shapeMessage) {
    if (a.Help) {
        out_ << help;
        return kExitOk;
    }
    if (!a.Error.empty())
        return Usage(a.Error);
    if (!shapeOk)
        return Usage(shapeMessage);
    return std::nullopt;
}

bool TToolState::OpenIndex(const std::string& archive, std::optional<TLockedFile>& file,
                           TPakIndex& index, TShareMode mode) {
    if (mode == TShareMode::smExclusive) {
        try {
            file.emplace(archive, mode);
        } catch (const TFileOpenFailure&) {
            if (HeldByAnother(archive))
                throw TFileInUseFailure(archive);
            throw;
        }
    } else {
        file.emplace(archive, mode);
    }
    if (!HasArchiveSignature(*file)) {
        Say(archive + ": " + kNotAPakFile);
        return false;
    }
    index = ReadPakIndex(*file);
    if (!index.Complete)
        Say(archive + ": the directory is cut short; " + std::to_string(index.Entries.size()) +
            " whole entries read");
    return true;
}

std::vector<unsigned char> ReadWholeEntry(const TLockedFile& file, const TPakEntry& entry) {
    std::vector<unsigned char> bytes = ReadEntryBytes(file, entry);
    if (!IdentityOf(file.Descriptor()).SameArchiveAs(file.Identity()))
        throw TArchiveChangedFailure(file.Path());
    return bytes;
}

} // namespace zorvak
