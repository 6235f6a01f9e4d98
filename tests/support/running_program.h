#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>

namespace zk::test {

// Starts guncelleme as runProgram does (offscreen, in `folder`, message boxes
// written to standard error and closed at once) but leaves it running, so a
// test can watch what it does before it ends it. A program still running when
// the object goes is ended.
class RunningProgram {
 public:
  RunningProgram(const std::string& folder, const std::map<std::string, std::string>& environment);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // What the program wrote to standard error so far.
  std::string standardError() const;
  // Whether the program is still running.
  bool running();
  // Kills it and waits for it. Returns whether it was still running.
  bool stop();

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  std::string errorFile_;
};

// Polls `condition` every 20 ms until it holds or the time is up; returns its
// last value.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs);

}  // namespace zk::test
