#include "archive/PakBuild.h"
#include "archive/ZipBuild.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "framework/Interrupt.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <filesystem>
#include <thread>

namespace zorvak {

namespace {

// The archive made, to standard output as it is. Its name goes first: held
// open, it needs none, and a killed run leaves none where the system allows.
void WriteOut(TToolState& tool, TRunTemporary& made) {
    const TLockedFile archive(made.Path(), TShareMode::smUnlocked);
    made.Remove();
    std::vector<char> buffer(1 << 20);
    for (std::int64_t at = 0; at < archive.Size() && InterruptRequested() == 0;) {
        const std::size_t n = archive.ReadAt(at, buffer.data(), buffer.size());
        if (n == 0)
            throw TInOutFailure(kIoReadBeyondEnd);
        // A failed write is told once, at the run's end.
        if (!tool.Out().write(buffer.data(), static_cast<std::streamsize>(n)))
            return;
        at += static_cast<std::int64_t>(n);
    }
}

// A link whose target lies outside the tree stores bytes from elsewhere:
// the user may not have meant to ship them.
void WarnOfLinksOut(TToolState& tool, const std::filesystem::path& start,
                    const std::vector<TPakBuildFile>& files) {
    std::error_code ec;
    const std::filesystem::path tree = std::filesystem::canonical(start, ec);
    if (ec)
        return;
    for (const TPakBuildFile& f : files) {
        if (!f.Linked)
            continue;
        const std::filesystem::path target = std::filesystem::canonical(f.Path, ec);
        if (ec)
            continue;
        const auto [treeEnd, targetAt] =
            std::mismatch(tree.begin(), tree.end(), target.begin(), target.end());
        if (treeEnd != tree.end())
            tool.Note(f.Path + ": " +
                      FormatText(Tr("a link to {1}, outside the tree; the bytes stored as {2} "
                                    "are that file's"),
                                 target.string(), f.Name));
    }
}

} // namespace

int BuildCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "o:", {Flag("sorted", kOptSorted)});
    const std::string output = a.Last('o');
    if (const auto refused = tool.Refuse(a, kBuildHelp, a.Positional.size() == 1 && !output.empty(),
                                         TrMark("build takes a directory and -o ARCHIVE")))
        return *refused;
    // "-o -": the archive is made in a temporary file, then written out.
    const bool toOutput = output == "-";
    if (toOutput && tool.Options().OutIsTerminal)
        return tool.Usage(Tr("an archive is not written to a terminal; redirect standard output"));
    std::optional<TRunTemporary> made;
    if (toOutput)
        made.emplace("build", ".pak");
    const std::string written = toOutput ? made->Path().string() : output;
    const std::filesystem::path start = a.Positional[0];
    std::error_code ec;
    if (!std::filesystem::is_directory(start, ec)) {
        tool.Say(start.string() + ": " + Tr("not a directory"));
        return kExitUnusable;
    }
    std::vector<TPakBuildFile> files;
    TPakBuildHooks hooks;
    hooks.Pump = [] { return InterruptRequested() == 0; };
    // Free of the dialog's rules: no locks and no second look by name, each
    // file's identity checked around its copy instead.
    hooks.Inputs = TShareMode::smUnlocked;
    hooks.MeasureAgain = false;
    hooks.KernelCopy = TKernelCopy::kcBetweenFiles;
    // Every core opens and reads small files ahead of the writer; one core
    // gains nothing by it.
    const unsigned cores = std::thread::hardware_concurrency();
    hooks.Readers = cores > 1 ? std::min(cores, 4u) : 0;
    TProgress& progress = tool.Progress();
    hooks.Found = [&progress, &files](const TPakBuildFile& f) {
        progress.Count(files.size() + 1, f.Name);
    };
    // By bytes, as the copy tells them.
    std::uint64_t total = 0, stored = 0;
    std::string_view atHand;
    hooks.Copied = [&](std::int64_t bytes) {
        stored += static_cast<std::uint64_t>(std::max<std::int64_t>(bytes, 0));
        progress.Show(stored, total, atHand);
    };
    // -v names each file as it goes in; on standard error when the archive
    // goes to standard output.
    std::ostream& named = toOutput ? tool.Err() : tool.Out();
    hooks.DataRow = [&](std::size_t row) {
        atHand = files[row].Name;
        progress.Show(stored, total, atHand);
        if (tool.Verbose()) {
            progress.Clear();
            named << EscapeName(files[row].Name, tool.Options().OutIsTerminal) << "\n";
        }
    };
    hooks.Told = [&tool](const std::string& line) { tool.Note(line); };
    // An archive there already is never packed into its successor, whatever
    // it is called.
    IdentityAt(written, hooks.Output, true);
    try {
        if (!WalkPakTree(start, files, hooks))
            return kExitProblems;
        WarnOfLinksOut(tool, start, files);
        if (a.Has(kOptSorted))
            std::sort(
                files.begin(), files.end(),
                [](const TPakBuildFile& x, const TPakBuildFile& y) { return x.Name < y.Name; });
        for (const TPakBuildFile& f : files)
            total += static_cast<std::uint64_t>(std::max<std::int64_t>(f.Size, 0));
        // The kind follows the name: "x.pk3" or "x.zip" is a ZIP.
        if (IsZipArchivePath(output)) {
            CheckPakBuild(files, true, TPakKind::pkZip);
            if (!WriteZipFile(written, files, hooks, a.Has(kOptSorted)))
                return kExitProblems;
        } else {
            CheckPakBuild(files, true);
            if (!WritePakFile(written, files, hooks))
                return kExitProblems;
        }
        if (toOutput) {
            progress.Clear();
            WriteOut(tool, *made);
        }
    } catch (const TFailure& e) {
        tool.Say(output + ": " + Reasoned(e));
        return kExitProblems;
    }
    progress.Clear();
    return kExitOk;
}

} // namespace zorvak
