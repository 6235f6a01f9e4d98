#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace zk {

// What stopping processes needs from the system. The base class is the
// system itself; tests derive from it to watch or refuse what it does.
class ProcessTable {
 public:
  virtual ~ProcessTable() = default;
  // Every live process with its names; nothing when they cannot be listed.
  virtual std::optional<std::vector<platform::ProcessInfo>> snapshot();
  // False when the process could not be ended.
  virtual bool terminate(int processId);
  virtual void pause(int milliseconds);
  virtual void repaintNotificationArea();
};

// Whether a process name stands for exeName: its name part (the text after
// the last "\", "/" or ":") or the whole name equals exeName, ignoring the case
// of the ASCII letters only.
bool processNameMatches(const std::string& processName, const std::string& exeName);

// Ends every process of the system that one of its names matches, at once and
// without asking it to close, then waits 30 ms when at least one ended so the
// system lets go of its files. Processes that cannot be ended are passed
// over; the calling process is never ended. Reports nothing, never fails.
void StopProcessByName(const std::string& exeName);
void StopProcessByName(const std::string& exeName, ProcessTable& table);

// Starts working directory + "/zelvak.exe" detached; a missing or unstartable
// file is not reported.
void StartMainProgram();

}  // namespace zk
