// The help viewer's document: rich text as the core reader models it, or
// plain text when the bytes are not rich text.
#pragma once

#include "windows/RtfParser.h"

#include <string_view>

class QFont;
class QTextDocument;

namespace zorvak {

// The toolkit's decoders for the code pages the reader does not map itself
// (1251, 932, ...); nullopt for a code page the toolkit does not know.
TCodePageDecoder ToolkitCodePageDecoder();

// Replaces doc's content with model: paragraphs with their alignment,
// indents, spacing and tab stops; runs with their fonts, sizes, styles and
// colours. Runs without a font of their own take doc's default family.
void FillRtfDocument(QTextDocument& doc, const TRtfModel& model);

// Replaces doc's content with bytes: formatted when they are rich text,
// else as plain text in plainFont. Returns whether they were rich text.
bool LoadHelpText(QTextDocument& doc, std::string_view bytes, const QFont& plainFont);

} // namespace zorvak
