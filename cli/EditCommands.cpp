// add, rm, mv and compact: a request planned against the index, every
// refusal made there, then applied to the archive in one step.
#include "archive/PakEdit.h"
#include "archive/PakNames.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "framework/Interrupt.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <filesystem>
#include <string_view>
#include <utility>

namespace zorvak {

namespace {

// One edit: its archive held for the whole run, the request planned
// against its index and, unless it is a dry run, applied.
class TEditRun {
public:
    explicit TEditRun(TToolState& tool) : tool_(tool) {}

    // The command's --help or its usage failure, else the archive opened;
    // nullopt when the edit may go on.
    // wrongShape is a text marked for translation, or nullptr.
    std::optional<int> Start(const TArgs& a, const char* help, const char* wrongShape) {
        if (const auto refused = tool_.Refuse(a, help, wrongShape == nullptr, wrongShape))
            return refused;
        compact_ = a.Has(kOptCompact);
        return Open(a);
    }

    const std::string& Archive() const { return archive_; }
    const TPakIndex& Index() const { return index_; }

    // Plans changes and, unless a dry run, applies them; prints one line
    // per change, "would ..." for a dry run. Any refusal changes nothing.
    int Apply(const std::vector<TPakChange>& changes, std::vector<bool> deleted = {});
    // Rewrites the archive without what edits left unused, and says so.
    int Compact();

private:
    // Held exclusively, so no other program reads or edits it meanwhile (a
    // dry run only reads). An archive in use is a request that cannot be
    // done now, not a wrong one.
    // Applies plan; false, having said why, when it failed or was stopped.
    bool Write(const TPakEditPlan& plan);

    std::optional<int> Open(const TArgs& a) {
        archive_ = a.Positional[0];
        dryRun_ = a.Has(kOptDryRun);
        try {
            if (!tool_.OpenIndex(archive_, file_, index_,
                                 dryRun_ ? TShareMode::smShared : TShareMode::smExclusive))
                return kExitUnusable;
        } catch (const TFileInUseFailure& e) {
            tool_.Say(Reasoned(e));
            return kExitProblems;
        }
        return std::nullopt;
    }

    TToolState& tool_;
    std::string archive_;
    bool dryRun_ = false;
    bool compact_ = false;
    std::optional<TLockedFile> file_;
    TPakIndex index_;
};

int TEditRun::Apply(const std::vector<TPakChange>& changes, std::vector<bool> deleted) {
    TPakEditPlan plan;
    try {
        plan = PlanPakEdit(index_, changes, std::move(deleted));
    } catch (const TFailure& e) {
        tool_.Say(archive_ + ": " + Reasoned(e));
        return kExitProblems;
    }
    if (plan.Unchanged()) {
        tool_.Note(archive_ + ": " + Tr("nothing to change"));
        return kExitOk;
    }
    if (!dryRun_ && !Write(plan))
        return kExitProblems;
    // What a dry run would do is what was asked for; what a run did is
    // no error.
    if (!dryRun_ && tool_.Quiet())
        return kExitOk;
    plan.ForEachChange(
        index_,
        [&](const std::string& change) {
            tool_.Out() << EscapeForTerminal(change, tool_.Options().OutIsTerminal) << "\n";
        },
        dryRun_);
    return kExitOk;
}

int TEditRun::Compact() {
    const std::int64_t unused = UnusedBytes(index_);
    if (unused == 0) {
        tool_.Note(archive_ + ": " + Tr("nothing to compact"));
        return kExitOk;
    }
    TPakEditPlan plan;
    try {
        plan = PlanPakEdit(index_, {});
    } catch (const TFailure& e) {
        tool_.Say(archive_ + ": " + Reasoned(e));
        return kExitProblems;
    }
    if (!dryRun_) {
        compact_ = true;
        if (!Write(plan))
            return kExitProblems;
    }
    if (!dryRun_ && tool_.Quiet())
        return kExitOk;
    tool_.Out() << EscapeForTerminal(archive_, tool_.Options().OutIsTerminal) << ": "
                << FormatText(dryRun_
                                  ? TrPlural("would free {1} bytes", "would free {1} bytes", unused)
                                  : TrPlural("compacted, {1} bytes freed",
                                             "compacted, {1} bytes freed", unused),
                              FormatThousands64(unused))
                << "\n";
    return kExitOk;
}

bool TEditRun::Write(const TPakEditPlan& plan) {
    // An edit with nothing to copy would never ask the pump.
    if (InterruptRequested() != 0)
        return false;
    {
        TPakEditHooks hooks;
        hooks.Compact = compact_;
        // The run's own open holds the archive exclusively: the edit reads
        // through it, as a second open would only refuse ourselves.
        hooks.Held = &*file_;
        hooks.Inputs = TShareMode::smUnlocked;
        hooks.Pump = [] { return InterruptRequested() == 0; };
        hooks.Told = [this](const std::string& line) { tool_.Note(line); };
        hooks.Progress = [this](std::int64_t done, std::int64_t total) {
            tool_.Progress().Show(static_cast<std::uint64_t>(std::max<std::int64_t>(done, 0)),
                                  static_cast<std::uint64_t>(std::max<std::int64_t>(total, 0)),
                                  archive_);
        };
        try {
            if (!ApplyPakEdit(archive_, index_, plan, hooks))
                return false;
        } catch (const TFailure& e) {
            tool_.Say(archive_ + ": " + Reasoned(e));
            return false;
        }
        tool_.Edited();
        tool_.Progress().Clear();
    }
    return true;
}

} // namespace

int AddCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "",
                          {Valued("as", kOptAs), Valued("prefix", kOptPrefix),
                           Flag("dry-run", kOptDryRun), Flag("compact", kOptCompact)});
    const bool named = a.Has(kOptAs);
    const char* wrongShape = a.Positional.size() < 2 ? TrMark("add takes an archive and files")
                             : named && a.Positional.size() != 2 ? TrMark("--as names one file")
                             : named && a.Has(kOptPrefix)
                                 ? TrMark("--as gives the whole name; --prefix goes without it")
                                 : nullptr;
    TEditRun edit(tool);
    if (const auto stop = edit.Start(a, kAddHelp, wrongShape))
        return *stop;
    std::string prefix = a.Last(kOptPrefix);
    if (!prefix.empty() && prefix.back() != '/')
        prefix += '/';

    std::vector<TPakChange> changes;
    for (std::size_t i = 1; i < a.Positional.size(); ++i) {
        const std::string& path = a.Positional[i];
        if (!IsDirectory(path)) {
            changes.push_back(
                named ? TPakChange::AddFile(a.Last(kOptAs), path, true)
                      : TPakChange::AddFile(
                            prefix + std::filesystem::path(path).filename().string(), path));
            continue;
        }
        if (named) {
            tool.Say(path + ": " + Tr("a folder adds its tree; --as names one file"));
            return kExitProblems;
        }
        try {
            if (!AddTreeChanges(
                    path, prefix, edit.Index().Identity, [] { return InterruptRequested() == 0; },
                    changes))
                return kExitProblems;
        } catch (const TFailure& e) {
            tool.Say(path + ": " + Reasoned(e));
            return kExitProblems;
        }
    }
    return edit.Apply(changes);
}

int RemoveCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "", {Flag("dry-run", kOptDryRun), Flag("compact", kOptCompact)});
    TEditRun edit(tool);
    if (const auto stop = edit.Start(
            a, kRmHelp,
            a.Positional.size() < 2 ? TrMark("rm takes an archive and entry names") : nullptr))
        return *stop;
    const TPakEntries& entries = edit.Index().Entries;
    const std::vector<std::string> patterns(a.Positional.begin() + 1, a.Positional.end());
    std::vector<bool> matched(patterns.size(), false);
    // A bit an entry, however many it deletes: a directory may hold
    // millions.
    std::vector<bool> deleted(entries.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (std::size_t p = 0; p < patterns.size(); ++p)
            if (GlobMatches(patterns[p], entries[i].Name)) {
                matched[p] = true;
                deleted[i] = true;
            }
    }
    int status = kExitOk;
    for (std::size_t p = 0; p < patterns.size(); ++p)
        if (!matched[p]) {
            tool.Say(edit.Archive() + ": " + patterns[p] + ": " + Tr("no entry matches"));
            status = kExitProblems;
        }
    if (status != kExitOk)
        return status;
    return edit.Apply({}, std::move(deleted));
}

int MoveCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "", {Flag("dry-run", kOptDryRun), Flag("compact", kOptCompact)});
    TEditRun edit(tool);
    if (const auto stop = edit.Start(a, kMvHelp,
                                     a.Positional.size() != 3
                                         ? TrMark("mv takes an archive, an entry name and its "
                                                  "new name")
                                         : nullptr))
        return *stop;
    const std::optional<std::size_t> found = FirstEntryNamed(edit.Index().Entries, a.Positional[1]);
    if (!found) {
        tool.SayEntry(edit.Archive(), a.Positional[1], Tr("no such entry"));
        return kExitProblems;
    }
    return edit.Apply({TPakChange::Rename(*found, a.Positional[2], true)});
}

int CompactCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "", {Flag("dry-run", kOptDryRun)});
    TEditRun edit(tool);
    if (const auto stop =
            edit.Start(a, kCompactHelp,
                       a.Positional.size() != 1 ? TrMark("compact takes one archive") : nullptr))
        return *stop;
    return edit.Compact();
}

} // namespace zorvak
