// extract: the core's plan of the run told in the tool's words, then each
// planned entry copied and, with --png, its pictures written beside it.
#include "archive/PakExtract.h"
#include "archive/PakExtractLanes.h"
#include "archive/PakExtractPlan.h"
#include "archive/PakPalette.h"
#include "archive/PakVerify.h"
#include "archive/WadArchive.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "cli/PakPictures.h"
#include "formats/Bsp.h"
#include "formats/EntryKind.h"
#include "formats/EntryParts.h"
#include "framework/Interrupt.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

namespace zorvak {

namespace {

// ClassifyEntry needs no more of an entry than a map's header.
constexpr std::size_t kKindBytes = kBspHeaderBytes;

// Stops a copy at a signal (the copy's clean-up removes what it wrote), and
// moves the progress line by the bytes written.
class TInterruptible : public TCopyObserver {
public:
    TInterruptible(TProgress& progress, std::uint64_t total) : progress_(progress), total_(total) {}
    void Started(std::int32_t) override {}
    bool BeforeChunk() override { return InterruptRequested() == 0; }
    void Copied(std::int64_t bytes) override {
        done_ += static_cast<std::uint64_t>(std::max<std::int64_t>(bytes, 0));
        progress_.Show(done_, total_, what_);
    }
    // The entry at hand.
    void Next(std::string_view what) {
        what_ = what;
        progress_.Show(done_, total_, what_);
    }

private:
    TProgress& progress_;
    const std::uint64_t total_;
    std::uint64_t done_ = 0;
    std::string_view what_;
};

const TPalette& GreyPaletteOnce() {
    static const TPalette grey = GreyPalette();
    return grey;
}

class TExtractRun {
public:
    TExtractRun(TToolState& tool, const TArgs& a)
        : tool_(tool), a_(a), archive_(a.Positional[0]), dirGiven_(!a.Last('C').empty()),
          dir_(dirGiven_ ? std::filesystem::path(a.Last('C')) : std::filesystem::path(".")) {}

    int Run();
    // After a failed run: the folders it made for -C go again when they are
    // empty, so a failure leaves nothing behind.
    void RemoveMadeFolders() const {
        std::error_code ec;
        for (const std::filesystem::path& level : made_)
            if (!std::filesystem::remove(level, ec))
                break;
    }

private:
    TExtractRequest Request() const;
    // What the plan found before anything is written; false when the run
    // fails for it.
    bool Tell(const TExtractPlan& plan, const TPakEntries& entries);
    bool WritePictures(TExtractTarget& target, const TLockedFile& file, const TPakIndex& index,
                       const TPakEntry& entry,
                       const std::unordered_set<std::string_view>& extracted);
    const TPalette& Palette(const TLockedFile& file, const TPakIndex& index, TPaletteGame game);

    // What stopped runs left in the destination, put right and told.
    void Recover(TExtractTarget& target) {
        for (const std::string& line : target.Recover())
            tool_.Note(line);
    }
    // Shown as the user would write it: below -C's directory, or as the
    // entry's own path when extracting here.
    void SayKept(const std::filesystem::path& path) {
        tool_.Note(FormatText(Tr("kept {1}: it exists"),
                              (dirGiven_ ? path : path.lexically_relative(dir_)).string()));
    }
    // -v: a file written, named the same way.
    void SayWritten(std::string_view name) {
        if (!tool_.Verbose())
            return;
        tool_.Progress().Clear();
        // Levels joined as this system joins them, as the path written.
        std::string shown = EscapeName(name, tool_.Options().OutIsTerminal);
        std::replace(shown.begin(), shown.end(), '/',
                     static_cast<char>(std::filesystem::path::preferred_separator));
        tool_.Out() << (dirGiven_ ? (dir_ / "").string() : std::string()) << shown << "\n";
    }

    TToolState& tool_;
    const TArgs& a_;
    const std::string archive_;
    const bool dirGiven_;
    const std::filesystem::path dir_;
    std::optional<TPalette> palettes_[2];     // Quake's and Quake II's, found once each
    std::vector<std::filesystem::path> made_; // -C's levels this run made, deepest first
};

// All, or the named entries and those a pattern matches. With --png an
// entry whose file is kept still gets its pictures.
TExtractRequest TExtractRun::Request() const {
    TExtractRequest request;
    request.Names.assign(a_.Positional.begin() + 1, a_.Positional.end());
    request.Patterns = a_.All('i');
    request.All = request.Names.empty() && request.Patterns.empty();
    if (a_.Has(kOptNoClobber))
        request.KeepExistingIn = dir_;
    request.ListKept = a_.Has(kOptPng);
    return request;
}

bool TExtractRun::Tell(const TExtractPlan& plan, const TPakEntries& entries) {
    for (const TExtractNote& note : plan.Notes) {
        const std::string_view name = entries[note.Entry].Name;
        switch (note.Kind) {
        case TExtractNoteKind::enKept:
            SayKept(note.Path);
            break;
        case TExtractNoteKind::enRepeated:
            tool_.NoteEntry(archive_, name, Tr("stored again; the first one is kept"));
            break;
        case TExtractNoteKind::enSameFile:
            tool_.NoteEntry(
                archive_, name,
                FormatText(Tr("names the same file as {1} on this system; that one is kept"),
                           entries[note.First].Name));
            break;
        }
    }
    if (plan.Repeated > kProblemRepeatsShown)
        tool_.Note(archive_ + ": " +
                   FormatText(TrPlural("and {1} more entries stored again",
                                       "and {1} more entries stored again",
                                       plan.Repeated - kProblemRepeatsShown),
                              FormatThousands64(plan.Repeated - kProblemRepeatsShown)));
    if (plan.SameFile > kProblemRepeatsShown)
        tool_.Note(archive_ + ": " +
                   FormatText(TrPlural("and {1} more entries naming a file another entry names",
                                       "and {1} more entries naming a file another entry names",
                                       plan.SameFile - kProblemRepeatsShown),
                              FormatThousands64(plan.SameFile - kProblemRepeatsShown)));
    for (const std::string& name : plan.Missing)
        tool_.SayEntry(archive_, name, Tr("no such entry"));
    for (const std::string& pattern : plan.Unmatched)
        tool_.Say(archive_ + ": " + pattern + ": " + Tr("no entry matches"));
    return plan.Complete();
}

int TExtractRun::Run() {
    const bool noClobber = a_.Has(kOptNoClobber);
    const bool png = a_.Has(kOptPng);
    std::optional<TLockedFile> file;
    TPakIndex index;
    if (!tool_.OpenIndex(archive_, file, index))
        return kExitUnusable;
    int status = index.Complete ? kExitOk : kExitProblems;
    // What a stopped run left there is put right before anything is judged
    // by what the folder holds (--no-clobber would keep it).
    std::optional<TExtractTarget> target;
    std::error_code ec;
    if (std::filesystem::is_directory(dir_, ec))
        Recover(target.emplace(dir_));

    const TExtractPlan plan = PlanExtraction(index.Entries, Request());
    if (!Tell(plan, index.Entries))
        status = kExitProblems;

    if (!target) {
        std::error_code missing;
        std::filesystem::path deepest = std::filesystem::absolute(dir_, missing).lexically_normal();
        if (deepest.filename().empty())
            deepest = deepest.parent_path(); // "out/" is out
        for (std::filesystem::path level = deepest;
             !level.empty() && !std::filesystem::exists(level, missing) && !missing;
             level = level.parent_path()) {
            made_.push_back(level);
            if (level == level.parent_path())
                break;
        }
        ForceDirPath(dir_);
        Recover(target.emplace(dir_));
    }
    // Also for a file that appears after the plan's look.
    target->KeepExisting(noClobber);
    target->FlushAtEnd(a_.Has(kOptSync));
    try {
        plan.CheckRoom(target->Root());
    } catch (const TFailure& e) {
        tool_.Say(archive_ + ": " + Reasoned(e));
        return kExitProblems;
    }
    if (plan.Overlap.Shared > 0)
        tool_.Note(archive_ + ": " +
                   FormatText(TrPlural("{1} entries share bytes with others: {2} bytes of the "
                                       "archive extract to {3} bytes",
                                       "{1} entries share bytes with others: {2} bytes of the "
                                       "archive extract to {3} bytes",
                                       plan.Overlap.Shared),
                              plan.Overlap.Shared, FormatThousands64(plan.Overlap.Distinct),
                              FormatThousands64(plan.Overlap.Written)));

    // The names the run writes files of: a picture of the same name would
    // take one's place.
    std::unordered_set<std::string_view> extracted;
    if (png)
        for (const TPlannedEntry& p : plan.Entries)
            extracted.insert(index.Entries[p.Entry].Name);
    std::uint64_t total = 0;
    for (const TPlannedEntry& p : plan.Entries)
        if (!p.Kept)
            total += static_cast<std::uint64_t>(
                std::max<std::int64_t>(index.Entries[p.Entry].FileLength, 0));
    TInterruptible observer(tool_.Progress(), total);
    TEntryCopier copier(true);
    const auto held = [&file]() -> const TLockedFile& { return *file; };
    // Pictures are written beside each entry as it goes, on one thread.
    const unsigned lanes = png ? 1 : LanesFor(plan.Entries.size());
    if (lanes > 1) {
        TLaneHooks hooks;
        hooks.Going = [] { return InterruptRequested() == 0; };
        bool ended = false;
        hooks.Told = [&](const TPlannedEntry& p, const TLaneOutcome& outcome) {
            const TPakEntry entry = index.Entries[p.Entry];
            observer.Next(entry.Name);
            observer.Copied(p.Kept ? 0 : entry.FileLength);
            if (outcome.Kind != TLaneOutcome::okFailed) {
                if (!p.Kept)
                    SayWritten(entry.Name);
                return true;
            }
            try {
                std::rethrow_exception(outcome.Failure);
            } catch (const TFileExistsFailure& e) {
                SayKept(e.Path());
            } catch (const TFailure& e) {
                ended = tool_.TellEntryFailure(archive_, entry.Name, e, status);
            }
            return !ended;
        };
        ExtractInLanes(*target, *file, index.Entries, plan.Entries, lanes, hooks);
        if (ended)
            return kExitProblems;
    }
    // On one thread, with the pictures: here.
    const std::vector<TPlannedEntry> shared;
    for (const TPlannedEntry& p : lanes > 1 ? shared : plan.Entries) {
        if (InterruptRequested() != 0)
            break;
        const TPakEntry entry = index.Entries[p.Entry];
        copier.ReadAheadTo(p.ReadAheadTo);
        observer.Next(entry.Name);
        try {
            if (!p.Kept) {
                if (!ExtractEntry(*target, entry, held, observer, copier))
                    break;
                SayWritten(entry.Name);
            }
        } catch (const TFileExistsFailure& e) {
            SayKept(e.Path());
        } catch (const TFailure& e) {
            if (tool_.TellEntryFailure(archive_, entry.Name, e, status))
                return kExitProblems;
            continue;
        }
        if (!png)
            continue;
        try {
            if (!WritePictures(*target, *file, index, entry, extracted))
                status = kExitProblems;
        } catch (const TArchiveChangedFailure& e) {
            tool_.SayEntry(archive_, entry.Name, Reasoned(e));
            return kExitProblems;
        } catch (const TFailure& e) {
            tool_.SayEntry(archive_, entry.Name, Reasoned(e));
            status = kExitProblems;
        }
    }
    tool_.Progress().Clear();
    try {
        target->Finish();
    } catch (const TFailure& e) {
        tool_.Say(DisplayPath(dir_) + ": " + Reasoned(e));
        status = kExitProblems;
    }
    return status;
}

// With --png: the pictures entry holds, as PNG files beside its own
// (cli/PakPictures.h). False when one could not be written; one that
// cannot be decoded is only told, since the entry's own file holds it
// still.
bool TExtractRun::WritePictures(TExtractTarget& target, const TLockedFile& file,
                                const TPakIndex& index, const TPakEntry& entry,
                                const std::unordered_set<std::string_view>& extracted) {
    // The kind from the first bytes, so no other entry is read whole; a
    // WAD's lump is known by its index.
    const bool lump = entry.Coding != nullptr && entry.Coding->Lump;
    const TEntryKind kind = lump
                                ? TEntryKind::ekWadLump
                                : ClassifyEntry(entry.Name, ReadEntryHead(file, entry, kKindBytes));
    if (!HoldsPictures(kind))
        return true;
    const std::vector<unsigned char> bytes = ViewEntry(entry, ReadWholeEntry(file, entry)).Bytes;
    // Looked for only when a picture is drawn in it.
    const auto palette = [&]() -> const TPalette& {
        return NeedsPalette(kind) ? Palette(file, index, PaletteGameOf(kind)) : GreyPaletteOnce();
    };
    const TPictureOutput output{target,
                                file,
                                extracted,
                                [this](std::string_view name, const std::string& message) {
                                    tool_.SayEntry(archive_, name, message);
                                },
                                [this](const std::filesystem::path& path) { SayKept(path); },
                                [] { return InterruptRequested() != 0; },
                                ArchiveLookup(file, index.Entries)};
    return WriteEntryPictures(output, entry.Name, kind, bytes, palette);
}

// The colours of palette pictures, found at the first one of each game: the
// archive's own gfx/palette.lmp (pics/colormap.pcx for Quake II's), else the
// one in the pak0.pak beside it (the game's base archive), else a grey ramp,
// said once.
const TPalette& TExtractRun::Palette(const TLockedFile& file, const TPakIndex& index,
                                     TPaletteGame game) {
    std::optional<TPalette>& palette = palettes_[game == TPaletteGame::pgQuake2 ? 1 : 0];
    if (palette)
        return *palette;
    const TFoundPalette found =
        FindArchivePalette(file, index.Entries, archive_, TShareMode::smShared, game);
    for (const std::string& problem : found.Problems)
        tool_.Note(archive_ + ": " + problem);
    if (found.Source == TPaletteSource::psGrey)
        tool_.Note(archive_ + ": " +
                   FormatText(Tr("no palette found (no {1} in it or in a {2} beside it); "
                                 "palette pictures are written in grey"),
                              found.EntryName, kBasePakName));
    return palette.emplace(found.Colours);
}

} // namespace

int ExtractCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(
        args,
        "C:i:", {Flag("no-clobber", kOptNoClobber), Flag("png", kOptPng), Flag("sync", kOptSync)});
    if (const auto refused =
            tool.Refuse(a, kExtractHelp, !a.Positional.empty(), TrMark("extract takes an archive")))
        return *refused;
    TExtractRun run(tool, a);
    const int status = run.Run();
    if (status != kExitOk)
        run.RemoveMadeFolders();
    return status;
}

} // namespace zorvak
