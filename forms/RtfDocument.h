// The help viewer's document: rich text as the core reader models it, or
// plain text when the bytes are not rich text.
#pragma once

#include "formats/RtfParser.h"

#include <string_view>

class QFont;
class QTextDocument;

namespace zorvak {

// How much of a help file the viewer shows: a document lays out slowly
// beyond this, and no help text comes near it. What is left out is marked
// with a last paragraph holding an ellipsis.
inline constexpr std::size_t kMaxShownTextBytes = 512 * 1024;
inline constexpr std::size_t kMaxShownParagraphs = 20000;

// The toolkit's decoders for the code pages the reader does not map itself
// (1251, 932, ...); nullopt for a code page the toolkit does not know.
TCodePageDecoder ToolkitCodePageDecoder();

// Replaces doc's content with model: paragraphs with their alignment,
// indents, spacing and tab stops; runs with their fonts, sizes, styles and
// colours. Runs without a font of their own take doc's default family. A
// model that was cut ends with an ellipsis.
void FillRtfDocument(QTextDocument& doc, const TRtfModel& model);

// Replaces doc's content with bytes: formatted when they are rich text,
// else as plain text; text without a font of its own shows in plainFont.
// At most kMaxShownTextBytes and kMaxShownParagraphs are taken. Build into a
// document that no view shows yet: a shown one lays out at every step.
// Returns whether the bytes were rich text.
bool LoadHelpText(QTextDocument& doc, std::string_view bytes, const QFont& plainFont);

} // namespace zorvak
