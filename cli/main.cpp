// zorvak-pak: the archive commands of the window, for scripts.
#include "cli/PakTool.h"
#include "framework/Console.h"
#include "framework/Interrupt.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    zorvak::UseBinaryStandardStreams();
    zorvak::InstallInterruptHandlers();
    zorvak::TBufferedStandardError errBuffer;
    std::ostream err(&errBuffer);
    zorvak::TToolOptions options;
    options.Progress = zorvak::IsTerminal(zorvak::TConsoleStream::csError);
    options.ErrIsTerminal = options.Progress;
    options.OutIsTerminal = zorvak::IsTerminal(zorvak::TConsoleStream::csOutput);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = zorvak::RunPakTool(args, std::cout, err, options);
    std::cout.flush();
    err.flush();
    return status;
}
