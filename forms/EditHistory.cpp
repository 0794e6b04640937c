#include "forms/EditHistory.h"

#include "archive/PakExtract.h"
#include "framework/Failures.h"

#include <algorithm>
#include <span>
#include <system_error>
#include <utility>

namespace zorvak {

namespace {

constexpr std::size_t kPiece = 1024 * 1024;

// The command an edit came from, told by what it changed.
TEditKind KindOf(const TPakEditPlan& plan) {
    bool renamed = false, added = false;
    if (plan.DeletedFirstCount > 0)
        return TEditKind::ekDelete;
    for (const TPakChangeNote& note : plan.Notes)
        switch (note.Kind) {
        case TPakNoteKind::nkDeleted:
            return TEditKind::ekDelete;
        case TPakNoteKind::nkRenamed:
            renamed = true;
            break;
        case TPakNoteKind::nkAdded:
            added = true;
            break;
        case TPakNoteKind::nkReplaced:
            break;
        }
    if (renamed)
        return TEditKind::ekRename;
    return added ? TEditKind::ekAdd : TEditKind::ekReplace;
}

} // namespace

TEditHistory::TEditHistory() = default;

TEditHistory::~TEditHistory() = default;

TEditKind TEditHistory::UndoKind() const {
    return undo_.empty() ? TEditKind::ekAdd : undo_.back().Kind;
}

TEditKind TEditHistory::RedoKind() const {
    return redo_.empty() ? TEditKind::ekAdd : redo_.back().Kind;
}

void TEditHistory::Clear() {
    undo_.clear();
    redo_.clear();
    recovery_.reset();
    ++generation_;
}

TScratchFile& TEditHistory::Recovery() {
    if (recovery_)
        return *recovery_;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec)
        throw TFailure("There is no temporary folder to keep the bytes an undo puts back in");
    // What runs that were killed left there takes room; removed as an edit
    // removes what it finds beside its archive.
    try {
        RemoveLeftovers(TDirectory::Open(folder));
    } catch (const TFailure&) {
        // The recovery file's own creation says what is wrong with the folder.
    }
    recovery_ = std::make_unique<TScratchFile>(folder);
    return *recovery_;
}

bool TEditHistory::Keep(const TLockedFile& archive, const TPakIndex& index,
                        const std::vector<std::size_t>& positions, std::vector<TKept>& bytes,
                        const std::function<bool()>& pump) {
    const std::uint64_t generation = generation_;
    TScratchFile& recovery = Recovery();
    const std::int64_t mark = recovery.Size();
    std::vector<TKept> kept(bytes.size());
    const auto buffer = std::make_unique<unsigned char[]>(kPiece);
    // Each piece may pump: the history, with the recovery file, may go then.
    bool going = true;
    const auto more = [&] {
        going = !pump || pump();
        return going && generation_ == generation;
    };
    try {
        for (std::size_t k = 0; k < positions.size(); ++k) {
            if (bytes[k].Offset >= 0) {
                kept[k] = bytes[k];
                continue;
            }
            if (!more())
                break;
            const TPakEntry entry = index.Entries[positions[k]];
            kept[k].Offset = recovery.Size();
            kept[k].Length = StoredLengthOf(entry);
            if (entry.Coding != nullptr && entry.Coding->LocalHeader)
                kept[k].Coding = *entry.Coding;
            if (!ReadStoredEntry(archive, entry, {buffer.get(), kPiece},
                                 [&](std::span<const unsigned char> piece) {
                                     recovery.Append(piece.data(), piece.size());
                                     return more();
                                 }))
                break;
        }
    } catch (...) {
        if (generation_ == generation)
            recovery.CutTo(mark);
        throw;
    }
    if (!going || generation_ != generation) {
        if (generation_ == generation)
            recovery.CutTo(mark);
        return false;
    }
    bytes = std::move(kept);
    return true;
}

std::optional<TEditHistory::TStep> TEditHistory::Record(const TLockedFile& archive,
                                                        const TPakIndex& index,
                                                        const TPakEditPlan& plan,
                                                        const std::function<bool()>& pump) {
    TStep step;
    step.Kind = KindOf(plan);
    step.Generation = generation_;
    step.Before.Count = index.Entries.size();
    step.After.Count = plan.Entries.size();
    std::vector<bool> kept(index.Entries.size(), false);
    for (std::size_t i = 0; i < plan.Entries.size(); ++i) {
        const TPakEditEntry& entry = plan.Entries[i];
        const std::string_view name = plan.NameOf(i, index);
        if (entry.Source != TPakEditSource::esKept) {
            step.After.Only.push_back(i);
            step.After.Names.emplace_back(name);
            continue;
        }
        kept[entry.From] = true;
        const std::string_view own = index.Entries[entry.From].Name;
        if (name != own)
            step.Renames.push_back({entry.From, i, std::string(own), std::string(name)});
    }
    step.After.Bytes.resize(step.After.Only.size());
    for (std::size_t s = 0; s < kept.size(); ++s)
        if (!kept[s]) {
            step.Before.Only.push_back(s);
            step.Before.Names.emplace_back(index.Entries[s].Name);
        }
    step.Before.Bytes.resize(step.Before.Only.size());
    if (!step.Before.Only.empty()) {
        step.Mark = Recovery().Size();
        if (!Keep(archive, index, step.Before.Only, step.Before.Bytes, pump))
            return std::nullopt;
    }
    return step;
}

void TEditHistory::Push(TStep step) {
    if (step.Generation != generation_)
        return;
    undo_.push_back(std::move(step));
    redo_.clear();
}

void TEditHistory::Forget(const TStep& step) {
    if (step.Generation != generation_ || !recovery_ || step.Before.Only.empty())
        return;
    recovery_->CutTo(step.Mark);
}

void TEditHistory::CheckFits(const TPakIndex& index, std::size_t count) {
    if (index.Entries.size() == count)
        return;
    Clear();
    throw TFailure("The archive no longer holds what its edits left: they cannot be undone or "
                   "redone any more");
}

std::optional<TPakEditPlan> TEditHistory::PlanUndo(const TLockedFile& archive,
                                                   const TPakIndex& index,
                                                   const std::function<bool()>& pump) {
    if (undo_.empty())
        throw TFailure("There is nothing to undo");
    TStep& step = undo_.back();
    CheckFits(index, step.After.Count);
    // The bytes the undo drops, kept so that a redo puts them back as they
    // are, whatever the files they came from hold by then.
    const bool missing = std::any_of(step.After.Bytes.begin(), step.After.Bytes.end(),
                                     [](const TKept& kept) { return kept.Offset < 0; });
    if (missing && !Keep(archive, index, step.After.Only, step.After.Bytes, pump))
        return std::nullopt;
    return PlanPakRestore(index, Arrange(step, true));
}

TPakEditPlan TEditHistory::PlanRedo(const TPakIndex& index) {
    if (redo_.empty())
        throw TFailure("There is nothing to redo");
    const TStep& step = redo_.back();
    CheckFits(index, step.Before.Count);
    return PlanPakRestore(index, Arrange(step, false));
}

void TEditHistory::Undone(std::uint64_t generation) {
    if (generation != generation_ || undo_.empty())
        return;
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
}

void TEditHistory::Redone(std::uint64_t generation) {
    if (generation != generation_ || redo_.empty())
        return;
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
}

TPakRestore TEditHistory::Arrange(const TStep& step, bool toBefore) const {
    const TSide& to = toBefore ? step.Before : step.After;
    const TSide& from = toBefore ? step.After : step.Before;
    const std::vector<TRename>& renames = step.Renames;
    TPakRestore restore;
    if (recovery_)
        restore.Path = recovery_->Path().string();
    restore.Items.reserve(to.Count);
    std::size_t only = 0, skipped = 0, at = 0, renamed = 0;
    for (std::size_t pos = 0; pos < to.Count; ++pos) {
        TPakRestore::TItem item;
        if (only < to.Only.size() && to.Only[only] == pos) {
            const TKept& kept = to.Bytes[only];
            item.Piece = static_cast<std::int32_t>(restore.Pieces.size());
            restore.Pieces.push_back({kept.Offset, kept.Length, kept.Coding});
            item.Name = static_cast<std::int32_t>(restore.Names.size());
            restore.Names.push_back(to.Names[only]);
            restore.Items.push_back(item);
            ++only;
            continue;
        }
        // The next entry both sides have: the archive's now, passing over
        // the ones the other side alone has.
        while (skipped < from.Only.size() && from.Only[skipped] == at) {
            ++skipped;
            ++at;
        }
        item.Entry = static_cast<std::int64_t>(at++);
        if (renamed < renames.size() &&
            (toBefore ? renames[renamed].Before : renames[renamed].After) == pos) {
            item.Name = static_cast<std::int32_t>(restore.Names.size());
            restore.Names.push_back(toBefore ? renames[renamed].BeforeName
                                             : renames[renamed].AfterName);
            ++renamed;
        }
        restore.Items.push_back(item);
    }
    return restore;
}

} // namespace zorvak
