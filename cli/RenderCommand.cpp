// render: one picture of a model or a map, drawn by the core's renderer, so
// the picture is the same on every system and the same as the preview's.
#include "archive/PakExtract.h"
#include "archive/PakNames.h"
#include "archive/PakPalette.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "cli/PakPictures.h"
#include "formats/EntryScene.h"
#include "formats/Png.h"
#include "framework/Text.h"
#include "framework/Translate.h"
#include "render/Camera.h"
#include "render/Rasterizer.h"

#include <charconv>
#include <filesystem>

namespace zorvak {

namespace {

// No side longer than this: a picture that size is already 256 MiB.
constexpr int kMostSide = 8192;
// The player's eye above the start's origin, as the game places it.
constexpr float kEyeHeight = 22;
// No model or map is bigger than this; a larger entry is no such thing.
constexpr std::int64_t kMostSceneEntry = std::int64_t{256} << 20;

bool ParseCount(const std::string& text, std::size_t& value) {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && at == end;
}

bool ParseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find('x');
    std::size_t w = 0, h = 0;
    if (x == std::string::npos || !ParseCount(text.substr(0, x), w) ||
        !ParseCount(text.substr(x + 1), h) || w < 1 || h < 1 || w > kMostSide || h > kMostSide)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

// The picture written where -o says, whole or not at all, never over the
// archive it is drawn from; "-" is standard output.
void WritePicture(TToolState& tool, const std::string& output, const TLockedFile& archive,
                  const std::vector<unsigned char>& png) {
    if (output == "-") {
        tool.Out().write(reinterpret_cast<const char*>(png.data()),
                         static_cast<std::streamsize>(png.size()));
        return;
    }
    const std::filesystem::path path(output);
    const TDirectory dir = TDirectory::Open(path.has_parent_path() ? path.parent_path() : ".");
    // Beside its name until whole: a run killed while writing leaves no
    // cut picture under it.
    TOutputFile out(dir, path.filename().string(), TOutputMode::omAlwaysBeside);
    if (out.Replaced().SameFileAs(archive.Identity()))
        throw TFailure(FormatText(Tr("{1} is the archive the picture is drawn from"), output));
    out.Write(png.data(), png.size());
    out.Commit();
}

} // namespace

int RenderCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "o:",
                          {Valued("size", kOptSize), Valued("frame", kOptFrame),
                           Valued("skin", kOptSkin), Valued("view", kOptView)});
    const std::string output = a.Last('o');
    if (const auto refused =
            tool.Refuse(a, kRenderHelp, a.Positional.size() == 2 && !output.empty(),
                        TrMark("render takes an archive, an entry name and -o FILE")))
        return *refused;
    int width = 512, height = 512;
    if (a.Has(kOptSize) && !ParseSize(a.Last(kOptSize), width, height))
        return tool.Usage(FormatText(Tr("--size takes WxH, each from 1 to {1}, not {2}"), kMostSide,
                                     a.Last(kOptSize)));
    TSceneChoice choice;
    if (a.Has(kOptFrame) && !ParseCount(a.Last(kOptFrame), choice.Frame))
        return tool.Usage(
            FormatText(Tr("--frame takes a frame's number, not {1}"), a.Last(kOptFrame)));
    if (a.Has(kOptSkin) && !ParseCount(a.Last(kOptSkin), choice.Skin))
        return tool.Usage(
            FormatText(Tr("--skin takes a skin's number, not {1}"), a.Last(kOptSkin)));
    const std::string view = a.Has(kOptView) ? a.Last(kOptView) : "";
    if (!view.empty() && view != "front" && view != "side" && view != "top" && view != "iso")
        return tool.Usage(FormatText(Tr("--view takes front, side, top or iso, not {1}"), view));

    const std::string& archive = a.Positional[0];
    const std::string& name = a.Positional[1];
    std::optional<TLockedFile> file;
    TPakIndex index;
    if (!tool.OpenIndex(archive, file, index))
        return kExitUnusable;
    const std::optional<std::size_t> found = FirstEntryNamed(index.Entries, name);
    if (!found) {
        tool.SayEntry(archive, name, Tr("no such entry"));
        return kExitProblems;
    }
    const TPakEntry entry = index.Entries[*found];
    try {
        if (entry.FileLength > kMostSceneEntry)
            throw TFailure(FormatText(Tr("at {1} bytes it is no model or map this program draws"),
                                      entry.FileLength));
        const bool lump = entry.Coding != nullptr && entry.Coding->Lump;
        const std::vector<unsigned char> bytes = ReadWholeEntry(*file, entry);
        const TEntryKind kind = lump ? TEntryKind::ekWadLump : ClassifyEntry(entry.Name, bytes);
        if (!HoldsScene(kind))
            throw TFailure(
                FormatText(Tr("it is {1}, not a model or a map"), Tr(EntryKindName(kind))));
        const TFoundPalette palette = FindArchivePalette(*file, index.Entries, archive,
                                                         TShareMode::smShared, PaletteGameOf(kind));
        for (const std::string& problem : palette.Problems)
            tool.Note(archive + ": " + problem);
        if (palette.Source == TPaletteSource::psGrey)
            tool.Note(archive + ": " + NoPaletteNote(palette));
        const TEntryScene shown =
            EntrySceneOf(kind, bytes, choice, palette.Colours, ArchiveLookup(*file, index.Entries));
        for (const std::string& note : shown.Notes)
            tool.NoteEntry(archive, entry.Name, note);
        if (shown.Scene.Triangles.empty())
            throw TFailure(Tr("it holds nothing to draw"));
        TCamera camera;
        if (view == "front")
            camera = FrontView(shown.Scene, width, height);
        else if (view == "side")
            camera = SideView(shown.Scene, width, height);
        else if (view == "top")
            camera = TopView(shown.Scene, width, height);
        else if (view == "iso" || !shown.Map)
            camera = IsoView(shown.Scene, width, height);
        else
            camera = MapCamera({shown.Start.At.X, shown.Start.At.Y, shown.Start.At.Z + kEyeHeight},
                               shown.Start.Yaw);
        TRenderOptions options;
        options.Threads = 0;
        WritePicture(tool, output, *file,
                     EncodePng(RenderScene(shown.Scene, camera, width, height, options)));
    } catch (const TArchiveChangedFailure& e) {
        tool.SayEntry(archive, entry.Name, Reasoned(e));
        return kExitProblems;
    } catch (const TFailure& e) {
        tool.SayEntry(archive, entry.Name, Reasoned(e));
        return kExitProblems;
    }
    return kExitOk;
}

} // namespace zorvak
