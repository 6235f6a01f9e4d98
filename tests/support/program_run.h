#pragma once

#include <map>
#include <string>
#include <vector>

namespace zk::test {

// The built guncelleme ($ZK_BUILD_DIR/app/guncelleme).
std::string programPath();

struct ProgramResult {
  int exitCode = -1;
  std::string standardError;
  std::string standardOutput;
};

// Runs guncelleme offscreen in `folder` with message boxes that close
// themselves (each one is a "MESSAGE: " or "ERROR: " line on standard error),
// the extra environment given, and a time limit after which it is killed.
// Both output streams are collected through files in `folder`, removed
// afterwards.
ProgramResult runProgram(const std::string& folder,
                         const std::map<std::string, std::string>& environment = {},
                         int timeoutSeconds = 60);
// The same with command-line arguments.
ProgramResult runProgram(const std::string& folder, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment,
                         int timeoutSeconds = 60);

}  // namespace zk::test
