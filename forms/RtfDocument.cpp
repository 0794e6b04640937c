#include "forms/RtfDocument.h"
#include "formats/Lookup.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <utility>

namespace zorvak {

namespace {

// The toolkit's name for a Windows code page.
QByteArray CodePageName(int codePage) {
    switch (codePage) {
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 10000:
        return "macintosh";
    case 437:
    case 850:
    case 852:
    case 866:
        return "IBM" + QByteArray::number(codePage);
    default:
        return "windows-" + QByteArray::number(codePage);
    }
}

// Twips are 1/1440 inch; the document lays out in pixels of the screen.
class TTwips {
public:
    TTwips() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        dpi_ = screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
        if (dpi_ <= 0)
            dpi_ = 96.0;
    }
    qreal ToPixels(std::int32_t twips) const { return twips * dpi_ / 1440.0; }

private:
    qreal dpi_;
};

// Fonts named by Windows documents are rarely here; the generic family
// keeps a fixed-pitch font fixed and a serif font serif.
constexpr std::pair<TRtfFontFamily, const char*> kGenericFamilies[] = {
    {TRtfFontFamily::rffRoman, "serif"},
    {TRtfFontFamily::rffSwiss, "sans-serif"},
    {TRtfFontFamily::rffModern, "monospace"},
};

constexpr std::pair<TRtfFontFamily, QFont::StyleHint> kStyleHints[] = {
    {TRtfFontFamily::rffRoman, QFont::Serif},       {TRtfFontFamily::rffSwiss, QFont::SansSerif},
    {TRtfFontFamily::rffModern, QFont::TypeWriter}, {TRtfFontFamily::rffScript, QFont::Cursive},
    {TRtfFontFamily::rffDecor, QFont::Decorative},
};

QStringList FontFamilies(const TRtfFont& font) {
    QStringList families;
    if (!font.Name.empty())
        families << QString::fromUtf8(font.Name.data(), static_cast<qsizetype>(font.Name.size()));
    if (const char* generic = Lookup(kGenericFamilies, font.Family, nullptr))
        families << QString::fromLatin1(generic);
    return families;
}

const QString kEllipsis = QStringLiteral("\u2026");

// Cuts plain text to what the viewer shows; true when something was left out.
bool CutPlainText(std::string& text) {
    std::size_t end = text.size();
    std::size_t lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && ++lines >= kMaxShownParagraphs) {
            end = i;
            break;
        }
    }
    if (end > kMaxShownTextBytes) {
        end = kMaxShownTextBytes;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
    }
    if (end == text.size())
        return false;
    text.resize(end);
    return true;
}

QColor ToQColor(const TRtfColor& c) {
    return QColor(c.Red, c.Green, c.Blue);
}

QTextCharFormat CharFormat(const TRtfCharFormat& f, const TRtfModel& model) {
    QTextCharFormat out;
    if (f.Font >= 0 && static_cast<std::size_t>(f.Font) < model.Fonts.size()) {
        const TRtfFont& font = model.Fonts[static_cast<std::size_t>(f.Font)];
        const QStringList families = FontFamilies(font);
        if (!families.isEmpty())
            out.setFontFamilies(families);
        out.setFontStyleHint(Lookup(kStyleHints, font.Family, QFont::AnyStyle));
    }
    out.setFontPointSize(f.HalfPoints / 2.0);
    out.setFontWeight(f.Bold ? QFont::Bold : QFont::Normal);
    out.setFontItalic(f.Italic);
    out.setFontUnderline(f.Underline);
    out.setFontStrikeOut(f.Strike);
    if (f.Vertical == TRtfVertical::rvSuper)
        out.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (f.Vertical == TRtfVertical::rvSub)
        out.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (f.HasColor)
        out.setForeground(ToQColor(f.Color));
    if (f.HasBackground)
        out.setBackground(ToQColor(f.Background));
    return out;
}

constexpr std::pair<TRtfAlign, Qt::AlignmentFlag> kAlignments[] = {
    {TRtfAlign::raCenter, Qt::AlignHCenter},
    {TRtfAlign::raRight, Qt::AlignRight},
    {TRtfAlign::raJustify, Qt::AlignJustify},
};

constexpr std::pair<TRtfTabKind, QTextOption::TabType> kTabTypes[] = {
    {TRtfTabKind::rtkCenter, QTextOption::CenterTab},
    {TRtfTabKind::rtkRight, QTextOption::RightTab},
    {TRtfTabKind::rtkDecimal, QTextOption::DelimiterTab},
};

QTextBlockFormat BlockFormat(const TRtfParaFormat& p, const TRtfModel& model, const TTwips& twips) {
    QTextBlockFormat out;
    out.setAlignment(Lookup(kAlignments, p.Align, Qt::AlignLeft));
    // A paragraph pulled into the page's margin starts at the margin here;
    // a hanging first line never reaches left of it either.
    const std::int32_t left = std::max(p.LeftIndent, 0);
    const std::int32_t first = std::max(p.FirstIndent, -left);
    out.setLeftMargin(twips.ToPixels(left));
    out.setTextIndent(twips.ToPixels(first));
    out.setRightMargin(twips.ToPixels(std::max(p.RightIndent, 0)));
    out.setTopMargin(twips.ToPixels(p.SpaceBefore));
    out.setBottomMargin(twips.ToPixels(p.SpaceAfter));
    // Stops count from the page's margin; the layout counts them from where
    // the first line starts.
    const std::int32_t lineStart = left + first;
    QList<QTextOption::Tab> tabs;
    if (p.TabSet >= 0 && static_cast<std::size_t>(p.TabSet) < model.TabSets.size()) {
        for (const TRtfTabStop& stop : model.TabSets[static_cast<std::size_t>(p.TabSet)]) {
            if (stop.Position <= lineStart)
                continue;
            QTextOption::Tab tab(twips.ToPixels(stop.Position - lineStart),
                                 Lookup(kTabTypes, stop.Kind, QTextOption::LeftTab));
            if (stop.Kind == TRtfTabKind::rtkDecimal)
                tab.delimiter = QLatin1Char('.');
            tabs << tab;
        }
    }
    // A hanging indent is a stop of its own, as word processors have it, so
    // a bullet's text lines up with the lines below it.
    if (first < 0) {
        const qreal indent = twips.ToPixels(-first);
        const auto at = std::find_if(tabs.begin(), tabs.end(), [&](const QTextOption::Tab& tab) {
            return tab.position >= indent;
        });
        if (at == tabs.end() || at->position != indent)
            tabs.insert(at, QTextOption::Tab(indent, QTextOption::LeftTab));
    }
    if (!tabs.isEmpty())
        out.setTabPositions(tabs);
    return out;
}

} // namespace

TCodePageDecoder ToolkitCodePageDecoder() {
    return [](int codePage, std::string_view bytes) -> std::optional<std::string> {
        QStringDecoder decoder(CodePageName(codePage).constData());
        if (!decoder.isValid())
            return std::nullopt;
        const QString text =
            decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        if (decoder.hasError() && text.isEmpty())
            return std::nullopt;
        return text.toStdString();
    };
}

void FillRtfDocument(QTextDocument& doc, const TRtfModel& model) {
    const TTwips twips;
    doc.clear();
    doc.setUndoRedoEnabled(false);
    QTextOption option = doc.defaultTextOption();
    option.setTabStopDistance(twips.ToPixels(model.DefaultTab));
    doc.setDefaultTextOption(option);

    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    for (std::size_t i = 0; i < model.Paragraphs.size(); ++i) {
        const TRtfParagraph& paragraph = model.Paragraphs[i];
        const QTextBlockFormat block = BlockFormat(paragraph.Format, model, twips);
        const QTextCharFormat mark = CharFormat(paragraph.MarkFormat, model);
        if (i == 0) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(mark);
        } else {
            cursor.insertBlock(block, mark);
        }
        for (std::size_t r = 0; r < paragraph.RunCount; ++r) {
            const TRtfRun& run = model.Runs[paragraph.FirstRun + r];
            const std::string_view text = model.RunText(run);
            cursor.insertText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                              CharFormat(run.Format, model));
        }
    }
    if (model.Cut) {
        if (!model.Paragraphs.empty())
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        cursor.insertText(kEllipsis, QTextCharFormat());
    }
    cursor.endEditBlock();
    doc.setModified(false);
}

bool LoadHelpText(QTextDocument& doc, std::string_view bytes, const QFont& plainFont) {
    doc.setDefaultFont(plainFont);
    if (IsRichText(bytes)) {
        TRtfLimits limits;
        limits.MaxTextBytes = kMaxShownTextBytes;
        limits.MaxParagraphs = kMaxShownParagraphs;
        FillRtfDocument(doc, ReadRtf(bytes, ToolkitCodePageDecoder(), limits));
        return true;
    }
    std::string text = DecodePlainText(bytes);
    const bool cut = CutPlainText(text);
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (cut)
        shown += QLatin1Char('\n') + kEllipsis;
    doc.setPlainText(shown);
    doc.setModified(false);
    return false;
}

} // namespace zorvak
