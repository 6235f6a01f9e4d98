#include "tests/support/program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace zk::test {

std::string programPath() {
  const char* build = std::getenv("ZK_BUILD_DIR");
  // Absolute, so that it still names the program after the child changed
  // folder; without the variable, the build folder these tests came from.
  const std::string folder = build != nullptr ? build : ZK_DEFAULT_BUILD_DIR;
  return std::filesystem::absolute(folder).string() + "/app/guncelleme";
}

ProgramResult runProgram(const std::string& folder,
                         const std::map<std::string, std::string>& environment,
                         int timeoutSeconds) {
  return runProgram(folder, std::vector<std::string>{}, environment, timeoutSeconds);
}

ProgramResult runProgram(const std::string& folder, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment,
                         int timeoutSeconds) {
  const std::string errorFile = folder + "/.guncelleme-stderr";
  const std::string outputFile = folder + "/.guncelleme-stdout";
  const std::string program = programPath();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) {
    throw std::runtime_error("fork failed");
  }
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) {
      _exit(126);
    }
    const int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int nothing = open("/dev/null", O_RDWR);
    dup2(nothing, 0);
    dup2(out, 1);
    dup2(err, 2);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("ZK_AUTO_CLOSE_MESSAGE_BOXES", "1", 1);
    for (const auto& [name, value] : environment) {
      setenv(name.c_str(), value.c_str(), 1);
    }
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  ProgramResult result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  }
  const auto take = [](const std::string& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    unlink(file.c_str());
    return text.str();
  };
  result.standardError = take(errorFile);
  result.standardOutput = take(outputFile);
  return result;
}

}  // namespace zk::test
