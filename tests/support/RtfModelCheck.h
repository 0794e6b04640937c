// Whether a rich-text model holds together, whatever input it came from:
// runs tile the text, paragraphs tile the runs, indexes stay inside their
// tables, and no control character but tab reaches the text.
#pragma once

#include "formats/RtfParser.h"

#include <string>

namespace zorvak::test {

inline std::string RtfModelFault(const TRtfModel& model) {
    std::size_t nextRun = 0;
    for (const auto& paragraph : model.Paragraphs) {
        if (paragraph.FirstRun != nextRun)
            return "paragraphs do not follow each other";
        if (paragraph.FirstRun + paragraph.RunCount > model.Runs.size())
            return "paragraph beyond the runs";
        if (paragraph.Format.TabSet >= static_cast<std::int32_t>(model.TabSets.size()))
            return "tab set index out of range";
        nextRun += paragraph.RunCount;
    }
    if (nextRun != model.Runs.size())
        return "runs outside any paragraph";
    std::size_t end = 0;
    for (const auto& run : model.Runs) {
        if (run.Start != end || run.Length == 0)
            return "runs do not tile the text";
        end = run.Start + run.Length;
        if (end > model.Text.size())
            return "run beyond the text";
        if (run.Format.Font >= static_cast<std::int32_t>(model.Fonts.size()))
            return "font index out of range";
    }
    if (end != model.Text.size())
        return "text outside any run";
    for (const char c : model.Text)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
            return "control character in the text";
    return {};
}

} // namespace zorvak::test
