#include "app/common/unattended_run.h"
#include "app/program.h"

int main(int argc, char** argv) {
  // Options are handled before any window object exists.
  if (const auto exitCode = zk::runCommandLine(argc, argv)) {
    return *exitCode;
  }
  return zk::runProgram(argc, argv);
}
