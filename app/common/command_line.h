#pragma once

#include <string>
#include <vector>

namespace zk {

// What the command line asks for.
struct CommandLine {
  enum class Mode {
    Interactive,  // no arguments: the window
    Help,         // --help (-h; "/?" where options may start with "/")
    Check,        // --check
    Update,       // --update
    Invalid,      // anything else; `error` says what, in one line
  };
  Mode mode = Mode::Interactive;
  // --log FILE (or --log=FILE); empty: the log goes to standard error.
  std::string logFile;
  std::string error;
};

// The arguments after the program's name. slashOptions: "/?" asks for help,
// as the system's own programs accept it.
CommandLine parseCommandLine(const std::vector<std::string>& arguments, bool slashOptions);

// The help text, with the program's name in its usage line.
std::string helpText(const std::string& programName, bool slashOptions);

// The program's name for messages: the file name without folder and
// extension.
std::string programName(const std::string& executablePath);

}  // namespace zk
