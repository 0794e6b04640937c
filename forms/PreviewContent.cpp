#include "forms/PreviewContent.h"

#include "framework/Failures.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace zorvak {

namespace {

// The preview's texts, in the preview's context.
std::string Say(const char* text) {
    return QCoreApplication::translate("zorvak::TPreviewForm", text).toStdString();
}

constexpr std::size_t kTextSniffBytes = 64 * 1024;

std::string Size(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// what holds %1, the part's number.
std::string PartName(const char* what, const TEntryPart& part) {
    const std::string number =
        std::to_string(part.Index) + (part.InGroup ? "." + std::to_string(part.Member) : "");
    return QCoreApplication::translate("zorvak::TPreviewForm", what)
        .arg(QString::fromStdString(number))
        .toStdString();
}

// What the list shows beside a part's name.
std::string Detail(TPartList list, const TEntryPart& part) {
    switch (list) {
    case TPartList::plNone:
        return {};
    case TPartList::plTextures:
        if (part.NotFound)
            return Say(QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "not in the archive"));
        if (part.Damaged)
            return Say(QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "damaged"));
        return part.Picture ? Size(part.Width, part.Height)
                            : Say(QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "missing"));
    case TPartList::plLumps:
        break;
    default:
        return Size(part.Width, part.Height);
    }
    if (part.Damaged)
        return Say(QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "damaged"));
    if (!part.Picture) {
        char type[8];
        std::snprintf(type, sizeof type, "0x%02X", part.LumpType);
        return QCoreApplication::translate("zorvak::TPreviewForm", "type %1")
            .arg(QLatin1String(type))
            .toStdString();
    }
    if (part.Source.Coding == TPartCoding::pcPalette)
        return Say(QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "256 colours"));
    return Size(part.Width, part.Height);
}

std::string Named(TPartList list, const TEntryPart& part) {
    switch (list) {
    case TPartList::plSkins:
        return PartName(QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "skin %1"), part);
    case TPartList::plFrames:
        return PartName(QT_TRANSLATE_NOOP("zorvak::TPreviewForm", "frame %1"), part);
    case TPartList::plTextures:
        return part.Picture ? part.Name
                            : QCoreApplication::translate("zorvak::TPreviewForm", "texture %1")
                                  .arg(part.Index)
                                  .toStdString();
    default:
        return part.Name;
    }
}

} // namespace

TPreviewPalette FindPreviewPalette(const TLockedFile& archive, const TPakEntries& entries,
                                   const std::filesystem::path& archivePath, TPaletteGame game) {
    const TFoundPalette found =
        FindArchivePalette(archive, entries, archivePath, TShareMode::smExclusive, game);
    return {found.Colours, found.Source,
            found.Source == TPaletteSource::psGrey ? NoPaletteNote(found) : std::string(),
            found.Final};
}

bool UsesPalette(TEntryKind kind) {
    return NeedsPalette(kind);
}

bool LooksLikeText(std::span<const unsigned char> bytes) {
    if (bytes.empty())
        return false;
    const auto sample = bytes.first(std::min(bytes.size(), kTextSniffBytes));
    return std::none_of(sample.begin(), sample.end(), [](unsigned char c) {
        return (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 0x7F;
    });
}

std::size_t TextShownLength(std::span<const unsigned char> bytes, std::size_t limit) {
    if (bytes.size() <= limit)
        return bytes.size();
    std::size_t n = limit;
    // Back over continuation bytes to the start of the character cut.
    for (int i = 0; i < 3 && n > 0 && (bytes[n] & 0xC0) == 0x80; ++i)
        --n;
    return n;
}

TPictureSet PicturesOf(TEntryKind kind, std::string_view name, std::span<const unsigned char> bytes,
                       const TPalette& colours, const TEntryLookup& lookup) {
    const TEntryParts parts = ListEntryParts(kind, name, bytes, {}, lookup);
    TPictureSet set;
    set.List = parts.List;
    set.TotalParts = parts.Total;
    // Shared by the parts' decoders, which may outlive the caller's palette.
    const auto palette = std::make_shared<const TPalette>(colours);
    for (const TEntryPart& part : parts.Parts) {
        // A PCX or TGA picture that cannot be read is no picture at all to
        // show.
        if ((kind == TEntryKind::ekPcx || kind == TEntryKind::ekTga) && !part.Problem.empty())
            throw TFailure(part.Problem);
        TPicturePart shown;
        shown.Name = Named(parts.List, part);
        shown.Detail = Detail(parts.List, part);
        shown.Format = part.Format;
        shown.InPalette = part.InPalette;
        shown.GridCell = part.GridCell;
        if (part.Picture) {
            shown.Decode = [bytes, part, palette, lookup] {
                return DecodePartPicture(bytes, part, *palette, lookup);
            };
        } else {
            shown.Problem = part.Problem;
            shown.Bytes = PartBytes(bytes, part);
        }
        set.Parts.push_back(std::move(shown));
    }
    return set;
}

} // namespace zorvak
