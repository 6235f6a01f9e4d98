#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zk::platform {

// One running process as the process list shows it.
struct ProcessInfo {
  int id = 0;
  // The names the process goes by: the path of its executable, the first word
  // of its command line (a Windows program under Wine shows "C:\...\x.exe"
  // there) and its short command name. A name the system withholds (another
  // user's executable path, say) is missing.
  std::vector<std::string> names;
};

// Every live process of the system (ended processes not yet collected by their
// parent are left out); nothing when the list cannot be read at all.
std::optional<std::vector<ProcessInfo>> listProcesses();
// Ends the process at once, without asking it to close. False when it is not
// allowed or the process is gone.
bool terminateProcess(int processId);
int currentProcessId();
// Repaints the taskbar's notification area at once, so that the icons of
// ended programs disappear; nothing where the system has no such area.
void repaintNotificationArea();

// Opens a program file the way the desktop does, in the caller's working
// directory; nothing is reported. On Windows the shell's "open". Elsewhere a
// Windows program (the file starts with "MZ") runs under wine when wine is
// installed, any other file runs directly when it is executable, otherwise
// nothing starts; the program runs detached (its own session, standard
// streams on /dev/null).
void openProgram(const std::string& path);

}  // namespace zk::platform
