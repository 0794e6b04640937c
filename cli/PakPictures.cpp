#include "cli/PakPictures.h"

#include "archive/PakNames.h"
#include "formats/EntryParts.h"
#include "formats/Png.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace zorvak {

namespace {

// A file takes whole blocks of the disk; this is the common size of one.
constexpr std::uint64_t kBlockBytes = 4096;
// Pieces of a PNG up to this size are gathered before they are written.
constexpr std::size_t kWriteBytes = 64 * 1024;

std::string Stem(std::string_view name) {
    const auto slash = name.find_last_of('/');
    const std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
    return std::string(base.substr(0, base.find_last_of('.')));
}

std::string Thousands(std::uint64_t n) {
    return FormatThousands64(static_cast<std::int64_t>(n));
}

// How a picture is called in messages and, made safe, in its file's name.
std::string Label(const std::string& stem, TPartList list, const TEntryPart& part) {
    const auto numbered = [&](const char* what) {
        return stem + what + std::to_string(part.Index) +
               (part.InGroup ? "_" + std::to_string(part.Member) : "");
    };
    switch (list) {
    case TPartList::plNone:
        return stem;
    case TPartList::plSkins:
        return numbered("_skin");
    case TPartList::plFrames:
        return numbered("_frame");
    default:
        return part.Name;
    }
}

bool Stopped(const TPictureOutput& output) {
    return output.Stop && output.Stop();
}

// A picture to write: which part, under which file name.
struct TPlanned {
    const TEntryPart* Part;
    std::string Label;
    std::string File;
};

// One picture through the extraction's own target, so its levels are
// never reached through a link and a file there is replaced only whole.
void WritePng(const TPictureOutput& output, const std::string& name,
              const std::function<void(const std::function<void(std::span<const unsigned char>)>&)>&
                  produce) {
    const TEntryLevels levels = EntryLevels(name, output.Target.Path());
    const TDirectory& dir = output.Target.DirectoryFor(levels);
    // Its length is known only once it is encoded.
    output.Target.Begin(name, TExtractTarget::kUnknownLength);
    TOutputFile out(dir, std::string(levels.File), output.Target.Mode());
    output.Target.Opened(out);
    if (out.Replaced().SameFileAs(output.Archive.Identity()))
        throw TFailure(Tr("The picture would overwrite the archive it is read from"));
    // The encoder hands out pieces of a few bytes too: gathered, so a small
    // picture costs one write.
    std::vector<unsigned char> buffer;
    const auto flush = [&] {
        out.Write(buffer.data(), buffer.size());
        buffer.clear();
    };
    produce([&](std::span<const unsigned char> piece) {
        if (buffer.size() + piece.size() > kWriteBytes && !buffer.empty())
            flush();
        if (piece.size() >= kWriteBytes)
            out.Write(piece.data(), piece.size());
        else
            buffer.insert(buffer.end(), piece.begin(), piece.end());
    });
    if (!buffer.empty())
        flush();
    out.Commit();
    output.Target.Done();
}

} // namespace

bool WriteEntryPictures(const TPictureOutput& output, std::string_view entryName, TEntryKind kind,
                        std::span<const unsigned char> bytes,
                        const std::function<const TPalette&()>& palette) {
    if (!HoldsPictures(kind))
        return true;
    const std::string stem = Stem(entryName);
    TEntryParts parts;
    try {
        parts = ListEntryParts(kind, entryName, bytes, output.Stop, output.Lookup);
    } catch (const TFailure& failure) {
        output.Tell(entryName, FormatText(Tr("no picture of {1}: {2}"), stem, failure.what()));
        return true;
    }
    if (parts.Stopped)
        return true;
    if (parts.Total > parts.Parts.size())
        // TRANSLATORS: {3} is what the entry holds: lumps, textures, skins...
        output.Tell(entryName, FormatText(Tr("only the first {1} of {2} {3} are written"),
                                          Thousands(parts.Parts.size()), Thousands(parts.Total),
                                          Tr(PartListWords(parts.List).Counted)));

    // Names first, in the list's order, so each picture's file is the same
    // whatever order they are written in.
    std::vector<TPlanned> planned;
    std::set<std::string> taken; // lowered: the disk may ignore letter case
    // The next suffix each base tries: a base never holds a "~", so its
    // suffixed names are taken by none but it, and counting on from the
    // last spares a directory of one name said 10,000 times a square's work.
    std::map<std::string, int> next;
    for (const TEntryPart& part : parts.Parts) {
        if (!part.Picture)
            continue;
        std::string label = Label(stem, parts.List, part);
        if (!part.Problem.empty()) {
            output.Tell(entryName, FormatText(Tr("no picture of {1}: {2}"), label, part.Problem));
            continue;
        }
        std::string file = std::string(entryName) + ".png";
        if (PicturesInFolder(kind)) {
            const std::string base = PictureFileName(label);
            std::string leaf = base;
            int& n = next.try_emplace(AsciiLower(base), 2).first->second;
            while (!taken.insert(AsciiLower(leaf)).second)
                leaf = base + "~" + std::to_string(n++);
            file = std::string(entryName) + ".png.d/" + leaf + ".png";
        }
        planned.push_back({&part, std::move(label), std::move(file)});
    }

    // The most the files can take, against what the disk has, before any
    // is written: a full disk is told once, not once a picture.
    std::uint64_t files = 0, need = 0;
    for (const TPlanned& p : planned)
        if (output.Extracted.count(p.File) == 0) {
            ++files;
            const std::uint64_t bound =
                PngSizeBound(static_cast<int>(p.Part->Width), static_cast<int>(p.Part->Height));
            need += (bound + kBlockBytes - 1) / kBlockBytes * kBlockBytes;
        }
    if (files > 0) {
        const TDirectory& root = output.Target.Root();
        const auto free = static_cast<std::uint64_t>(std::max<std::int64_t>(root.FreeBytes(), 0));
        if (need > free) {
            output.Tell(entryName,
                        FormatText(TrPlural("Disk full: the {1} picture needs {2} bytes and {3} "
                                            "has {4} bytes free",
                                            "Disk full: the {1} pictures need {2} bytes and {3} "
                                            "has {4} bytes free",
                                            files),
                                   Thousands(files), Thousands(need), DisplayPath(root.Path()),
                                   Thousands(free)));
            return false;
        }
    }

    // Pictures of one stored source go together, in the order each source
    // first comes: decoded and encoded once, written under each name.
    std::map<TPartSource, std::vector<std::size_t>> bySource;
    for (std::size_t i = 0; i < planned.size(); ++i)
        bySource[planned[i].Part->Source].push_back(i);
    std::vector<bool> done(planned.size(), false);
    bool ok = true;
    std::uint64_t attempted = 0;
    for (std::size_t first = 0; first < planned.size(); ++first) {
        if (done[first])
            continue;
        std::vector<const TPlanned*> names;
        for (const std::size_t i : bySource[planned[first].Part->Source]) {
            done[i] = true;
            if (output.Extracted.count(planned[i].File) != 0) {
                output.Tell(planned[i].File,
                            Tr("an entry of that name is extracted too; its picture is not "
                               "written"));
                ok = false;
            } else {
                names.push_back(&planned[i]);
            }
        }
        if (names.empty())
            continue;
        if (Stopped(output))
            return ok;
        // Palette pictures keep their indices in the file.
        std::optional<TDecodedPicture> picture;
        try {
            const TEntryPart& part = *planned[first].Part;
            // Pictures that carry their colours take none of the palette's.
            static const TPalette unused = GreyPalette();
            picture =
                DecodePartPicture(bytes, part, part.InPalette ? palette() : unused, output.Lookup);
        } catch (const TFailure& failure) {
            output.Tell(entryName, FormatText(Tr("no picture of {1}: {2}"), planned[first].Label,
                                              failure.what()));
            continue;
        }
        // One name: straight into its file. More: encoded once, kept while
        // they are written.
        std::vector<unsigned char> png;
        if (names.size() > 1) {
            png = EncodePng(*picture);
            picture.reset();
        }
        for (const TPlanned* p : names) {
            if (Stopped(output))
                return ok;
            ++attempted;
            try {
                WritePng(output, p->File, [&](const auto& sink) {
                    if (picture)
                        EncodePng(*picture, sink);
                    else
                        sink(png);
                });
            } catch (const TFileExistsFailure& e) {
                output.Kept(e.Path());
            } catch (const TFailure& e) {
                // What failed one (a full disk, a link in the way) fails the
                // rest alike: one line for them all.
                const std::uint64_t left = files - attempted;
                output.Tell(p->File,
                            left == 0 ? std::string(e.what())
                                      : FormatText(TrPlural("{1} (the {2} picture after it is not "
                                                            "written)",
                                                            "{1} (the {2} pictures after it are "
                                                            "not written)",
                                                            left),
                                                   e.what(), Thousands(left)));
                return false;
            }
        }
    }
    return ok;
}

TEntryLookup ArchiveLookup(const TLockedFile& archive, const TPakEntries& entries) {
    return [&archive, &entries](std::string_view name,
                                std::size_t most) -> std::optional<TFoundEntry> {
        const std::optional<std::size_t> found = FirstEntryNamed(entries, name);
        if (!found)
            return std::nullopt;
        const TPakEntry entry = entries[*found];
        CheckEntryBounds(entry, archive.Size());
        // Only the head asked for is read.
        TPakEntry head = entry;
        head.FileLength = static_cast<std::int32_t>(
            std::min<std::uint64_t>(static_cast<std::uint64_t>(entry.FileLength), most));
        return TFoundEntry{static_cast<std::uint64_t>(entry.FilePos),
                           static_cast<std::uint64_t>(entry.FileLength),
                           ReadEntryBytes(archive, head)};
    };
}

std::string PictureFileName(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto u = static_cast<unsigned char>(name[i]);
        const bool keep = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') ||
                          (u >= 'a' && u <= 'z') || u == '-' || u == '_' || u == '+' ||
                          (u == '.' && i > 0);
        if (keep) {
            out += name[i];
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out.empty() ? "unnamed~" : out;
}

} // namespace zorvak
