// Rich text as the help viewer's document shows it: each fragment's
// formatting checked through the document's character and block formats.
#include "forms/RtfDocument.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <functional>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

const char* const kHeader = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}"
                            "{\\f1\\fmodern Courier New;}{\\f2\\fcharset2 Symbol;}}"
                            "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";

qreal Pixels(int twips) {
    return twips * QGuiApplication::primaryScreen()->logicalDotsPerInchX() / 1440.0;
}

struct TFormatCase {
    const char* Name;
    const char* Body;
    const char* Needle; // the text whose formats are checked
    std::function<void(const QTextCharFormat&, const QTextBlockFormat&)> Check;
};

TEST(RtfDocument, FragmentsShowTheirFormatting) {
    const TFormatCase cases[] = {
        {"bold", "\\b target\\b0  x", "target",
         [](auto& c, auto&) { EXPECT_EQ(c.fontWeight(), QFont::Bold); }},
        {"bold off", "\\b x\\b0  target", "target",
         [](auto& c, auto&) { EXPECT_EQ(c.fontWeight(), QFont::Normal); }},
        {"italic", "{\\i target}", "target", [](auto& c, auto&) { EXPECT_TRUE(c.fontItalic()); }},
        {"underline", "\\ul target\\ulnone", "target",
         [](auto& c, auto&) { EXPECT_TRUE(c.fontUnderline()); }},
        {"strike", "\\strike target", "target",
         [](auto& c, auto&) { EXPECT_TRUE(c.fontStrikeOut()); }},
        {"group restores", "{\\b\\i\\ul x}target", "target",
         [](auto& c, auto&) {
             EXPECT_EQ(c.fontWeight(), QFont::Normal);
             EXPECT_FALSE(c.fontItalic() || c.fontUnderline());
         }},
        {"plain resets", "\\b\\i\\fs40\\cf1 x\\plain target", "target",
         [](auto& c, auto&) {
             EXPECT_EQ(c.fontWeight(), QFont::Normal);
             EXPECT_FALSE(c.fontItalic());
             EXPECT_EQ(c.fontPointSize(), 12);
             EXPECT_FALSE(c.hasProperty(QTextFormat::ForegroundBrush));
         }},
        {"default font family", "target", "target",
         [](auto& c, auto&) {
             EXPECT_EQ(c.fontFamilies().toStringList().value(0), QStringLiteral("Arial"));
         }},
        {"fixed-pitch font", "\\f1 target", "target",
         [](auto& c, auto&) {
             const QStringList families = c.fontFamilies().toStringList();
             EXPECT_EQ(families.value(0), QStringLiteral("Courier New"));
             EXPECT_EQ(families.value(1), QStringLiteral("monospace"));
             EXPECT_EQ(c.fontStyleHint(), QFont::TypeWriter);
         }},
        {"symbol font draws in the default family", "{\\f2 \\'b7}target", "\u2022",
         [](auto& c, auto&) { EXPECT_TRUE(c.fontFamilies().toStringList().isEmpty()); }},
        {"size", "\\fs40 target", "target",
         [](auto& c, auto&) { EXPECT_EQ(c.fontPointSize(), 20); }},
        {"default size", "target", "target",
         [](auto& c, auto&) { EXPECT_EQ(c.fontPointSize(), 12); }},
        {"colour", "\\cf1 target", "target",
         [](auto& c, auto&) { EXPECT_EQ(c.foreground().color(), QColor(255, 0, 0)); }},
        {"background", "\\highlight2 target", "target",
         [](auto& c, auto&) { EXPECT_EQ(c.background().color(), QColor(0, 0, 255)); }},
        {"superscript", "\\super target", "target",
         [](auto& c, auto&) {
             EXPECT_EQ(c.verticalAlignment(), QTextCharFormat::AlignSuperScript);
         }},
        {"subscript", "\\sub target", "target",
         [](auto& c, auto&) { EXPECT_EQ(c.verticalAlignment(), QTextCharFormat::AlignSubScript); }},
        {"left", "target\\par", "target",
         [](auto&, auto& b) {
             EXPECT_EQ(b.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
         }},
        {"centre", "\\qc target\\par", "target",
         [](auto&, auto& b) { EXPECT_EQ(b.alignment(), Qt::AlignHCenter); }},
        {"right", "\\qr target\\par", "target",
         [](auto&, auto& b) { EXPECT_EQ(b.alignment(), Qt::AlignRight); }},
        {"justified", "\\qj target\\par", "target",
         [](auto&, auto& b) { EXPECT_EQ(b.alignment(), Qt::AlignJustify); }},
        {"alignment of the next paragraph", "\\qc x\\par\\pard target\\par", "target",
         [](auto&, auto& b) {
             EXPECT_EQ(b.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
         }},
        {"indents", "\\li1440\\ri720\\fi360 target\\par", "target",
         [](auto&, auto& b) {
             EXPECT_DOUBLE_EQ(b.leftMargin(), Pixels(1440));
             EXPECT_DOUBLE_EQ(b.rightMargin(), Pixels(720));
             EXPECT_DOUBLE_EQ(b.textIndent(), Pixels(360));
         }},
        {"hanging indent", "\\li720\\fi-360 target\\par", "target",
         [](auto&, auto& b) {
             EXPECT_DOUBLE_EQ(b.leftMargin(), Pixels(720));
             EXPECT_DOUBLE_EQ(b.textIndent(), -Pixels(360));
             // The first line's tab stops at the indent.
             ASSERT_EQ(b.tabPositions().size(), 1);
             EXPECT_DOUBLE_EQ(b.tabPositions().front().position, Pixels(360));
         }},
        {"hanging indent with stops of its own",
         "\\li720\\fi-360\\tx200\\tx720\\tx1000 target\\par", "target",
         [](auto&, auto& b) {
             const QList<QTextOption::Tab> tabs = b.tabPositions();
             ASSERT_EQ(tabs.size(), 2); // the stop left of the first line is dropped
             EXPECT_DOUBLE_EQ(tabs[0].position, Pixels(360));
             EXPECT_DOUBLE_EQ(tabs[1].position, Pixels(640));
         }},
        {"hanging indent never left of the margin", "\\li100\\fi-900 target\\par", "target",
         [](auto&, auto& b) { EXPECT_DOUBLE_EQ(b.textIndent(), -Pixels(100)); }},
        {"negative indent", "\\li-500 target\\par", "target",
         [](auto&, auto& b) { EXPECT_EQ(b.leftMargin(), 0); }},
        {"spacing", "\\sb240\\sa120 target\\par", "target",
         [](auto&, auto& b) {
             EXPECT_DOUBLE_EQ(b.topMargin(), Pixels(240));
             EXPECT_DOUBLE_EQ(b.bottomMargin(), Pixels(120));
         }},
        {"tab stops", "\\li720\\tx1440\\tqr\\tx4320\\tqc\\tx5760 target\\par", "target",
         [](auto&, auto& b) {
             const QList<QTextOption::Tab> tabs = b.tabPositions();
             ASSERT_EQ(tabs.size(), 3);
             // Counted from where the first line starts.
             EXPECT_DOUBLE_EQ(tabs[0].position, Pixels(720));
             EXPECT_EQ(tabs[0].type, QTextOption::LeftTab);
             EXPECT_DOUBLE_EQ(tabs[1].position, Pixels(3600));
             EXPECT_EQ(tabs[1].type, QTextOption::RightTab);
             EXPECT_EQ(tabs[2].type, QTextOption::CenterTab);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QTextDocument doc;
        const std::string rtf = std::string(kHeader) + c.Body + "}";
        ASSERT_TRUE(LoadHelpText(doc, rtf, QFont()));
        const QTextCursor found = doc.find(QString::fromUtf8(c.Needle));
        ASSERT_FALSE(found.isNull()) << doc.toPlainText().toStdString();
        c.Check(found.charFormat(), found.blockFormat());
    }
}

TEST(RtfDocument, ParagraphsLinesAndTabsBecomeBlocks) {
    QTextDocument doc;
    LoadHelpText(doc, std::string(kHeader) + "one\\line two\\tab three\\par\\par four\\par}",
                 QFont());
    ASSERT_EQ(doc.blockCount(), 3);
    EXPECT_EQ(doc.findBlockByNumber(0).text(),
              QStringLiteral("one") + QChar::LineSeparator + QStringLiteral("two\tthree"));
    EXPECT_EQ(doc.findBlockByNumber(1).text(), QString());
    EXPECT_EQ(doc.findBlockByNumber(2).text(), QStringLiteral("four"));
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.isUndoAvailable());
}

TEST(RtfDocument, PlainTextKeepsItsCharactersAndTakesTheGivenFont) {
    QTextDocument doc;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    const std::string text = "First line {\\b not bold}\r\nSecond\tline caf\xC3\xA9";
    EXPECT_FALSE(LoadHelpText(doc, text, font));
    EXPECT_EQ(doc.toPlainText(),
              QStringLiteral("First line {\\b not bold}\nSecond\tline caf\u00E9"));
    EXPECT_EQ(doc.blockCount(), 2);
    EXPECT_EQ(doc.defaultFont().pixelSize(), 13);
    QTextCursor cursor(&doc);
    cursor.movePosition(QTextCursor::NextCharacter);
    EXPECT_NE(cursor.charFormat().fontWeight(), QFont::Bold);
}

TEST(RtfDocument, ShowsNoMoreThanItCanLayOutAndSaysSo) {
    const QString ellipsis = QStringLiteral("\u2026");
    QTextDocument doc;
    // Paragraphs: rich text and plain text alike.
    std::string rich = "{\\rtf1 ";
    std::string plain;
    for (std::size_t i = 0; i < kMaxShownParagraphs + 500; ++i) {
        rich += "p" + std::to_string(i) + "\\par ";
        plain += "p" + std::to_string(i) + "\n";
    }
    for (const std::string* input : {&rich, &plain}) {
        LoadHelpText(doc, *input + "}", QFont());
        ASSERT_EQ(doc.blockCount(), static_cast<int>(kMaxShownParagraphs) + 1);
        EXPECT_EQ(doc.lastBlock().text(), ellipsis);
        EXPECT_EQ(doc.lastBlock().previous().text(),
                  QStringLiteral("p%1").arg(kMaxShownParagraphs - 1));
    }
    // Text: one long paragraph is cut between characters.
    const std::string word = "caf\xC3\xA9 ";
    std::string longText;
    while (longText.size() < 2 * kMaxShownTextBytes)
        longText += word;
    for (const std::string& input : {"{\\rtf1 " + longText + "}", longText}) {
        LoadHelpText(doc, input, QFont());
        EXPECT_EQ(doc.lastBlock().text(), ellipsis);
        const QString shown = doc.firstBlock().text();
        EXPECT_LE(shown.toUtf8().size(), static_cast<qsizetype>(kMaxShownTextBytes));
        EXPECT_GT(shown.toUtf8().size(), static_cast<qsizetype>(kMaxShownTextBytes) - 8);
        EXPECT_FALSE(shown.contains(QChar::ReplacementCharacter));
    }
    // A file within the limits has no ellipsis.
    LoadHelpText(doc, "{\\rtf1 short}", QFont());
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("short"));
}

TEST(RtfDocument, ToolkitDecodesOtherCodePages) {
    QTextDocument doc;
    LoadHelpText(doc, "{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1\\par}", QFont());
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("\u0410\u0431"));
    LoadHelpText(doc, "{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\par}", QFont());
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("\u3042"));
    // A code page no one knows falls back to 1252.
    LoadHelpText(doc, "{\\rtf1\\ansi\\ansicpg61999 \\'e9\\par}", QFont());
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("\u00E9"));
}

} // namespace
} // namespace zorvak
