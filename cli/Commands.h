// The commands of zorvak-pak, each a thin layer over the core: args[0] is
// the command's own name, the status is the run's.
#pragma once

#include "cli/ToolState.h"

#include <string>
#include <vector>

namespace zorvak {

int ListCommand(TToolState& tool, const std::vector<std::string>& args);
int ExtractCommand(TToolState& tool, const std::vector<std::string>& args);
int CatCommand(TToolState& tool, const std::vector<std::string>& args);
int InfoCommand(TToolState& tool, const std::vector<std::string>& args);
int BuildCommand(TToolState& tool, const std::vector<std::string>& args);
int VerifyCommand(TToolState& tool, const std::vector<std::string>& args);
int DiffCommand(TToolState& tool, const std::vector<std::string>& args);
int GrepCommand(TToolState& tool, const std::vector<std::string>& args);
int MountCommand(TToolState& tool, const std::vector<std::string>& args);
int RenderCommand(TToolState& tool, const std::vector<std::string>& args);
// cli/EditCommands.cpp
int AddCommand(TToolState& tool, const std::vector<std::string>& args);
int RemoveCommand(TToolState& tool, const std::vector<std::string>& args);
int MoveCommand(TToolState& tool, const std::vector<std::string>& args);
int CompactCommand(TToolState& tool, const std::vector<std::string>& args);

} // namespace zorvak
