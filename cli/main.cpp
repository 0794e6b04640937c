// zorvak-pak: the archive commands of the window, for scripts.
#include "cli/PakTool.h"
#include "framework/Console.h"
#include "framework/Interrupt.h"
#include "framework/Translate.h"

#include <cstdlib>
#include <iostream>
#include <string_view>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    zorvak::StartTranslation();
    zorvak::UseBinaryStandardStreams();
    zorvak::InstallInterruptHandlers();
    zorvak::TBufferedStandardError errBuffer;
    std::ostream err(&errBuffer);
    zorvak::TToolOptions options;
    options.ErrIsTerminal = zorvak::IsTerminal(zorvak::TConsoleStream::csError);
    // A dumb terminal cannot clear a line: no progress unless asked for.
    const char* term = std::getenv("TERM");
    options.DumbTerminal = term != nullptr && std::string_view(term) == "dumb";
    options.Progress = options.ErrIsTerminal && !options.DumbTerminal;
    options.Input = &std::cin;
    options.InputFile = zorvak::StandardInputFile();
    options.OutIsTerminal = zorvak::IsTerminal(zorvak::TConsoleStream::csOutput);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = zorvak::RunPakTool(args, std::cout, err, options);
    std::cout.flush();
    err.flush();
    return status;
}
