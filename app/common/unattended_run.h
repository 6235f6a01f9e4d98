#pragma once

#include <optional>

#include "app/common/command_line.h"

namespace zk {

// Exit codes of the command-line runs.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUpdatesAvailable = 10;

// The entry point's first step, before any window object exists: when the
// command line names anything, it is handled here without a window (the
// help, a one-line error with kExitUsage, --check, --update) and the exit
// code comes back. Nothing when there are no arguments: the window runs.
std::optional<int> runCommandLine(int argc, char** argv);

// --check or --update, with the program's name for messages.
int runUnattended(const CommandLine& line, const std::string& name);

}  // namespace zk
