// mount: the archive as a read-only folder. Each entry a game reads (the
// first of each name) is a file at its path; every read is checked against
// the archive as extraction checks it, so an archive changed or replaced
// while mounted gives I/O errors, never other bytes.
#include "archive/EntryDecoder.h"
#include "archive/PakNames.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "framework/Mount.h"
#include "framework/PathQueries.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <unordered_map>

namespace zorvak {

namespace {

class TArchiveFolder : public TMountSource {
public:
    // path: the archive's absolute path, looked at on every read; empty for
    // standard input, which has none.
    TArchiveFolder(const TLockedFile& file, const TPakIndex& index, std::string path)
        : file_(file), index_(index), path_(std::move(path)) {
        nodes_["/"] = {true, 0, {}};
        for (const std::size_t i : FirstOfEachName(index.Entries))
            if (!Insert(i))
                ++left_;
    }

    // Entries whose names cannot be a path here (an empty, "." or ".."
    // level, or a file where another needs a folder).
    std::size_t Left() const { return left_; }

    std::optional<TNode> Find(std::string_view path) override {
        const auto found = nodes_.find(std::string(path));
        if (found == nodes_.end())
            return std::nullopt;
        const TItem& item = found->second;
        return TNode{
            item.Folder,
            item.Folder ? 0 : static_cast<std::uint64_t>(index_.Entries[item.Entry].FileLength)};
    }

    int List(std::string_view path, std::vector<std::string>& names) override {
        const auto found = nodes_.find(std::string(path));
        if (found == nodes_.end())
            return ENOENT;
        if (!found->second.Folder)
            return ENOTDIR;
        names = found->second.Children;
        return 0;
    }

    int Open(std::string_view path, std::uint64_t& handle) override {
        const auto found = nodes_.find(std::string(path));
        if (found == nodes_.end())
            return ENOENT;
        if (found->second.Folder)
            return EISDIR;
        if (!StillTheArchive())
            return EIO;
        handle = ++lastHandle_;
        open_[handle].Entry = found->second.Entry;
        return 0;
    }

    long Read(std::uint64_t handle, std::uint64_t offset, char* buffer, std::size_t n) override {
        const auto found = open_.find(handle);
        if (found == open_.end())
            return -EBADF;
        TOpen& open = found->second;
        const TPakEntry& entry = index_.Entries[open.Entry];
        const auto length = static_cast<std::uint64_t>(entry.FileLength);
        if (offset >= length)
            return 0;
        n = static_cast<std::size_t>(std::min<std::uint64_t>(n, length - offset));
        try {
            if (entry.Coding == nullptr) {
                if (file_.ReadAt(entry.FilePos + static_cast<std::int64_t>(offset), buffer, n) != n)
                    return -EIO;
            } else {
                Decode(open, entry, offset, reinterpret_cast<unsigned char*>(buffer), n);
            }
        } catch (const std::exception&) {
            // A damaged entry, or one that inflates past its size.
            open.Decoder.reset();
            return -EIO;
        }
        // Looked at after the bytes were read: bytes written in place while
        // they were read would be a state the archive never had.
        if (!StillTheArchive())
            return -EIO;
        return static_cast<long>(n);
    }

    void Release(std::uint64_t handle) override { open_.erase(handle); }

    std::int64_t ModifiedNs() const override { return file_.Identity().ModifiedNs; }

private:
    struct TItem {
        bool Folder = false;
        std::size_t Entry = 0;
        std::vector<std::string> Children;
    };
    // A coded entry is decoded from its start; a read further on goes on
    // from where the last stopped, as programs mostly read in order.
    struct TOpen {
        std::size_t Entry = 0;
        std::unique_ptr<TEntryDecoder> Decoder;
    };

    bool Insert(std::size_t i) {
        const std::string_view name = index_.Entries[i].Name;
        std::string path;
        std::size_t from = 0;
        for (;;) {
            const std::size_t slash = name.find('/', from);
            const std::string_view level = name.substr(from, slash - from);
            if (level.empty() || level == "." || level == "..")
                return false;
            const std::string parent = path.empty() ? "/" : path;
            path += "/";
            path += level;
            const bool last = slash == std::string_view::npos;
            const auto [at, made] = nodes_.try_emplace(path, TItem{!last, i, {}});
            if (made)
                nodes_[parent].Children.emplace_back(level);
            else if (last || !at->second.Folder)
                return false; // a file where a folder is, or the other way
            if (last)
                return true;
            from = slash + 1;
        }
    }

    void Decode(TOpen& open, const TPakEntry& entry, std::uint64_t offset, unsigned char* out,
                std::size_t n) {
        if (!open.Decoder || static_cast<std::uint64_t>(open.Decoder->Done()) > offset)
            open.Decoder = std::make_unique<TEntryDecoder>(file_, entry);
        TEntryDecoder& decoder = *open.Decoder;
        unsigned char skip[16384];
        while (static_cast<std::uint64_t>(decoder.Done()) < offset)
            decoder.Read(skip,
                         static_cast<std::size_t>(std::min<std::uint64_t>(
                             sizeof skip, offset - static_cast<std::uint64_t>(decoder.Done()))));
        for (std::size_t got = 0; got < n;) {
            const std::size_t now = decoder.Read(out + got, n - got);
            if (now == 0)
                throw TFailure(Tr("the entry ends early"));
            got += now;
        }
        // The whole entry out: its CRC says whether every byte was right.
        if (decoder.Done() == entry.FileLength)
            decoder.Finish();
    }

    bool StillTheArchive() const {
        if (!IdentityOf(file_.Descriptor()).SameArchiveAs(file_.Identity()))
            return false;
        TFileIdentity now;
        return path_.empty() || (IdentityAt(path_, now, true) && now.SameFileAs(file_.Identity()));
    }

    const TLockedFile& file_;
    const TPakIndex& index_;
    const std::string path_;
    std::unordered_map<std::string, TItem> nodes_;
    std::map<std::uint64_t, TOpen> open_;
    std::uint64_t lastHandle_ = 0;
    std::size_t left_ = 0;
};

} // namespace

int MountCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "", {Flag("foreground", kOptForeground)});
    if (const auto refused = tool.Refuse(a, kMountHelp, a.Positional.size() == 2,
                                         TrMark("mount takes an archive and a folder")))
        return *refused;
    const std::string& archive = a.Positional[0];
    const std::string& folder = a.Positional[1];
    std::optional<TLockedFile> file;
    TPakIndex index;
    if (!tool.OpenIndex(archive, file, index))
        return kExitUnusable;
    std::error_code ec;
    const std::string path =
        archive == "-" ? std::string() : std::filesystem::absolute(archive, ec).string();
    TArchiveFolder source(*file, index, path);
    if (source.Left() > 0)
        tool.Note(archive + ": " +
                  FormatText(TrPlural("{1} entries are not shown: their names cannot be paths of "
                                      "a folder",
                                      "{1} entries are not shown: their names cannot be paths of "
                                      "a folder",
                                      source.Left()),
                             FormatThousands64(static_cast<std::int64_t>(source.Left()))));
    try {
        // The parent tells what it has to tell before it leaves.
        ServeFolder(source, std::filesystem::absolute(folder, ec).string(), a.Has(kOptForeground),
                    [&tool] {
                        tool.Out().flush();
                        tool.Err().flush();
                    });
    } catch (const TFailure& e) {
        tool.Say(e.what());
        return kExitProblems;
    }
    return index.Complete ? kExitOk : kExitProblems;
}

} // namespace zorvak
