#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zk::test {

using namespace std::chrono_literals;

// The user id tests run unprivileged work under ("nobody").
inline constexpr int kUnprivilegedUser = 65534;

// The built stand-in program (tests/helpers/zk_standin.cpp).
std::string standInProgram();
// Copies the stand-in into the folder under the name, executable, and returns its path.
std::string copyStandIn(const std::string& folder, const std::string& name);

// What a stand-in wrote into its mark file.
struct StandInMark {
  int pid = 0;
  int session = 0;
  std::string workingDirectory;
  std::string standardStreams[3];
  std::vector<std::string> arguments;
};
// Waits for the mark file to appear; nothing when it does not within the timeout.
std::optional<StandInMark> waitForMark(const std::string& file,
                                       std::chrono::milliseconds timeout = 10s);

// A process the test started. When the object goes, the process is killed
// by its id (if it still runs) and collected.
class ChildProcess {
 public:
  // Runs the program with the arguments, argv[0] being `argv0` (the program's
  // path when empty), as `user` (user and group id) when given and the test
  // runs as root. Returns once the program runs; throws when it cannot start.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments = {},
               const std::string& argv0 = {}, std::optional<int> user = std::nullopt);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  int pid() const { return pid_; }
  // True once the process has ended within the timeout.
  bool waitForEnd(std::chrono::milliseconds timeout = 10s);
  // Whether the process was killed (after waitForEnd): by SIGKILL on Linux;
  // on Windows, which tells only the exit code, by TerminateProcess with exit
  // code 0 as the product's stopping does it (the stand-in never exits by
  // itself with 0, and this object's own kill uses another code).
  bool endedByKill() const;

 private:
  int pid_ = -1;
  void* handle_ = nullptr;  // the process handle on Windows
  bool ended_ = false;
  int status_ = 0;
};

// A process the test did not start itself but knows by id (a detached program
// found through its mark). Killed by its id when the object goes; collected
// when it became the test's child (see collectOrphans).
class AdoptedProcess {
 public:
  explicit AdoptedProcess(int pid) : pid_(pid) {}
  ~AdoptedProcess();
  AdoptedProcess(const AdoptedProcess&) = delete;
  AdoptedProcess& operator=(const AdoptedProcess&) = delete;
  int pid() const { return pid_; }

 private:
  int pid_;
};

// Makes the test process the parent of orphaned descendants, so that detached
// programs started from the test can be collected after they are killed.
void collectOrphans();

// Runs `work` in a forked child, as `user` when the test runs as root (as the
// current user otherwise), and returns the text the work returned. Throws when
// the child fails. The work must not use test assertions. Windows cannot fork:
// there the work runs in this process, and a `user` throws.
std::string runInChild(std::optional<int> user, const std::function<std::string()>& work);

// Always false on Windows, which has no root that switches users.
bool runningAsRoot();

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const std::string& name, const std::string& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace zk::test
