// zorvak-pak: the archive commands of the window, for scripts.
#include "cli/PakTool.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return zorvak::RunPakTool(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0);
}
