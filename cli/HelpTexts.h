// What zorvak-pak --help and COMMAND --help print.
#pragma once

namespace zorvak {

extern const char* const kUsage;
extern const char* const kListHelp;
extern const char* const kExtractHelp;
extern const char* const kCatHelp;
extern const char* const kInfoHelp;
extern const char* const kBuildHelp;
extern const char* const kAddHelp;
extern const char* const kRmHelp;
extern const char* const kMvHelp;
extern const char* const kCompactHelp;
extern const char* const kDiffHelp;
extern const char* const kGrepHelp;
extern const char* const kMountHelp;
extern const char* const kRenderHelp;
extern const char* const kVerifyHelp;

} // namespace zorvak
