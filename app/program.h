#pragma once

namespace zk {

// The program entry: toolkit, data module, main window, creation handler,
// event loop. Returns the exit code.
int runProgram(int argc, char** argv);

}  // namespace zk
