#include "framework/Translate.h"

#include <atomic>

namespace zorvak {

namespace {
// How many TEnglishTexts live; threads of a run read it while its owner
// lives.
std::atomic<int> englishHolds{0};
} // namespace

TEnglishTexts::TEnglishTexts() {
    ++englishHolds;
}

TEnglishTexts::~TEnglishTexts() {
    --englishHolds;
}

bool EnglishTextsOnly() {
    return englishHolds.load() > 0;
}

} // namespace zorvak
