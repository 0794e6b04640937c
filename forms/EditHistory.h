// The main window's edits of the open archive since it was opened, to be
// undone and redone. A step keeps what its edit changed, by position: the
// entries it dropped or replaced (their bytes kept at the edit), the ones it
// added or put in their place (their bytes kept at its first undo), and the
// names it changed. An undo or a redo lays the archive out again from the
// entries it has and those bytes (PlanPakRestore), an ordinary edit, so the
// edit core's guarantees hold for it. The bytes go into one recovery file,
// a temporary of the program's own in the system's temporary folder, made
// at the first need and removed with the history.
#pragma once

#include "archive/PakEdit.h"
#include "framework/Files.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zorvak {

// What an edit did, as the user names it.
enum class TEditKind { ekAdd, ekReplace, ekDelete, ekRename };

class TEditHistory {
public:
    // The recovery file is made in the system's temporary folder, as it is
    // when the file is first needed.
    TEditHistory();
    ~TEditHistory();
    TEditHistory(const TEditHistory&) = delete;
    TEditHistory& operator=(const TEditHistory&) = delete;

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // What the next undo and redo give back; only while there is one.
    TEditKind UndoKind() const;
    TEditKind RedoKind() const;
    // Forgets every step and removes the recovery file.
    void Clear();
    // Changes whenever the history is cleared: work that pumped events
    // meanwhile holds steps or plans of a history that is gone.
    std::uint64_t Generation() const { return generation_; }

    // Bytes kept in the recovery file: coded as the archive stores them.
    struct TKept {
        std::int64_t Offset = -1; // -1: not kept yet
        std::int64_t Length = 0;
        std::optional<TEntryCoding> Coding; // a ZIP member's
    };
    // The entries of one side of an edit (the archive before it, or after)
    // that the other side lacks: dropped or replaced ones before, added or
    // replacing ones after, by ascending position, with their names and
    // bytes.
    struct TSide {
        std::size_t Count = 0; // entries of the archive on this side
        std::vector<std::size_t> Only;
        std::vector<std::string> Names;
        std::vector<TKept> Bytes;
    };
    // A kept entry the edit renamed: its positions and names on both sides.
    struct TRename {
        std::size_t Before = 0;
        std::size_t After = 0;
        std::string BeforeName;
        std::string AfterName;
    };
    struct TStep {
        TEditKind Kind = TEditKind::ekAdd;
        TSide Before;
        TSide After;
        std::vector<TRename> Renames;
        std::uint64_t Generation = 0;
        std::int64_t Mark = 0; // the recovery file's size before the step kept bytes
    };

    // Before an edit of the archive held as archive and indexed as index:
    // keeps the bytes of the entries plan drops or replaces. The step to
    // Push once the edit is made, or none when pump stopped the work (then
    // nothing is kept, unless the history went meanwhile). pump is called
    // between pieces and answers false when the work must end. Throws the
    // recovery file's failures and ReadStoredEntry's, having kept nothing.
    std::optional<TStep> Record(const TLockedFile& archive, const TPakIndex& index,
                                const TPakEditPlan& plan, const std::function<bool()>& pump);
    // The edit was made: its step can be undone, and what was undone before
    // cannot be redone. A step of a history cleared since is passed over.
    void Push(TStep step);
    // The edit was not made: the bytes its step kept go.
    void Forget(const TStep& step);

    // The undo of the last step as a plan for index (the archive as the
    // step left it, held as archive), once the bytes it drops are kept; none
    // when pump stopped it. Throws as Record, and TFailure when the index
    // does not fit the step (the history is cleared then).
    std::optional<TPakEditPlan> PlanUndo(const TLockedFile& archive, const TPakIndex& index,
                                         const std::function<bool()>& pump);
    // The redo of the step undone last, as a plan for index.
    TPakEditPlan PlanRedo(const TPakIndex& index);
    // The plan of PlanUndo or PlanRedo was applied, in the history of
    // generation: the step moves to the other list.
    void Undone(std::uint64_t generation);
    void Redone(std::uint64_t generation);

private:
    TScratchFile& Recovery();
    // Keeps the stored bytes of index's entries at positions in bytes; false
    // when pump stopped it (what was kept then goes, if the history stayed).
    bool Keep(const TLockedFile& archive, const TPakIndex& index,
              const std::vector<std::size_t>& positions, std::vector<TKept>& bytes,
              const std::function<bool()>& pump);
    // The archive as it was before step (toBefore) or after it, laid out
    // from the archive as it is on the other side.
    TPakRestore Arrange(const TStep& step, bool toBefore) const;
    // Throws (clearing the history) unless index has count entries.
    void CheckFits(const TPakIndex& index, std::size_t count);

    std::unique_ptr<TScratchFile> recovery_;
    std::vector<TStep> undo_;
    std::vector<TStep> redo_;
    std::uint64_t generation_ = 0;
};

} // namespace zorvak
