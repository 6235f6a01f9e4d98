#include "install/process_control.h"

#include "core/text_encoding.h"
#include "platform/files.h"
#include "platform/sleep.h"

namespace zk {

namespace {

constexpr int kPauseAfterTermination = 30;

}  // namespace

std::optional<std::vector<platform::ProcessInfo>> ProcessTable::snapshot() {
  return platform::listProcesses();
}

bool ProcessTable::terminate(int processId) {
  return platform::terminateProcess(processId);
}

void ProcessTable::pause(int milliseconds) {
  platform::sleepMilliseconds(milliseconds);
}

void ProcessTable::repaintNotificationArea() {
  platform::repaintNotificationArea();
}

bool processNameMatches(const std::string& processName, const std::string& exeName) {
  const std::size_t separator = processName.find_last_of("\\/:");
  const std::string namePart =
      separator == std::string::npos ? processName : processName.substr(separator + 1);
  return equalsIgnoringAsciiCase(namePart, exeName) ||
         equalsIgnoringAsciiCase(processName, exeName);
}

void StopProcessByName(const std::string& exeName) {
  ProcessTable system;
  StopProcessByName(exeName, system);
}

void StopProcessByName(const std::string& exeName, ProcessTable& table) {
  const auto processes = table.snapshot();
  if (!processes) {
    return;
  }
  const int self = platform::currentProcessId();
  bool terminated = false;
  for (const platform::ProcessInfo& process : *processes) {
    if (process.id == self) {
      continue;
    }
    for (const std::string& name : process.names) {
      if (processNameMatches(name, exeName)) {
        if (table.terminate(process.id)) {
          terminated = true;
        }
        break;
      }
    }
  }
  if (terminated) {
    table.pause(kPauseAfterTermination);
    table.repaintNotificationArea();
  }
}

void StartMainProgram() {
  platform::openProgram(platform::localPath("zelvak.exe"));
}

}  // namespace zk
