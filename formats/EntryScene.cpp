#include "formats/EntryScene.h"

#include "formats/Pcx.h"
#include "formats/Quake2Map.h"
#include "formats/Wal.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

namespace zorvak {

namespace {

// An entry the scene needs is read whole, within what one picture may be.
constexpr std::size_t kLookupMost = static_cast<std::size_t>(kMaxPictureRgbaBytes);

// A Quake II model's skin: the first of the PCX pictures it names that the
// archive holds.
std::optional<TRgbaPicture> FindSkin(const TModelInfo& info, std::size_t skin,
                                     const TEntryLookup& lookup, std::vector<std::string>& notes) {
    if (info.Skins.empty())
        return std::nullopt;
    if (skin >= info.Skins.size())
        throw TFailure(FormatText(Tr("Quake II model has no skin {1}"), skin));
    const std::string& name = info.Skins[skin].Name;
    std::optional<TFoundEntry> found;
    if (lookup)
        found = lookup(name, kLookupMost);
    if (!found) {
        notes.push_back(
            FormatText(Tr("The skin {1} is not in the archive; the model is drawn grey"), name));
        return std::nullopt;
    }
    try {
        return ReadPcxRgba(found->Bytes);
    } catch (const TFailure& e) {
        notes.push_back(FormatText(Tr("The skin {1} cannot be read ({2}); the model is drawn grey"),
                                   name, e.what()));
        return std::nullopt;
    }
}

} // namespace

bool HoldsScene(TEntryKind kind) {
    return kind == TEntryKind::ekModel || kind == TEntryKind::ekMd2 || kind == TEntryKind::ekBsp ||
           kind == TEntryKind::ekQuake2Map;
}

TEntryScene EntrySceneOf(TEntryKind kind, std::span<const unsigned char> bytes,
                         const TSceneChoice& choice, const TPalette& palette,
                         const TEntryLookup& lookup) {
    TEntryScene shown;
    switch (kind) {
    case TEntryKind::ekModel:
        shown.Model = ReadModelInfo(bytes);
        shown.Scene =
            MdlScene(bytes, choice.Frame, choice.Pose, choice.Skin, choice.SkinPicture, palette);
        break;
    case TEntryKind::ekMd2: {
        shown.Model = ReadMd2Info(bytes);
        const std::optional<TRgbaPicture> skin =
            FindSkin(shown.Model, choice.Skin, lookup, shown.Notes);
        shown.Scene = Md2Scene(bytes, choice.Frame, skin ? &*skin : nullptr);
        break;
    }
    case TEntryKind::ekBsp:
    case TEntryKind::ekQuake2Map: {
        // Quake II's walls are textures/NAME.wal entries, in its palette;
        // each asked for once, by the reader.
        std::vector<std::string> missing;
        const TMapTextureLookup textures =
            [&](std::string_view name) -> std::optional<TRgbaPicture> {
            const std::string entry = Quake2TextureEntry(name);
            std::optional<TFoundEntry> found;
            if (lookup)
                found = lookup(entry, kLookupMost);
            if (!found) {
                missing.push_back(entry);
                return std::nullopt;
            }
            try {
                return ToRgba(ReadWal(found->Bytes), palette);
            } catch (const TFailure&) {
                missing.push_back(entry);
                return std::nullopt;
            }
        };
        TMapScene map = ReadMapScene(bytes, palette, textures);
        shown.Scene = std::move(map.Scene);
        shown.Start = map.Start;
        shown.Map = true;
        if (!missing.empty())
            shown.Notes.push_back(
                FormatText(TrPlural("{1} texture is not in the archive or cannot be read (the "
                                    "first: {2}); those walls are drawn grey",
                                    "{1} textures are not in the archive or cannot be read (the "
                                    "first: {2}); those walls are drawn grey",
                                    missing.size()),
                           missing.size(), missing.front()));
        break;
    }
    default:
        throw TFailure(FormatText(Tr("{1} is not a model or a map"), Tr(EntryKindName(kind))));
    }
    return shown;
}

} // namespace zorvak
