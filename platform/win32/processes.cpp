#include "platform/processes.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
// clang-format on

#include "platform/win32/wide_text.h"

namespace zk::platform {
namespace {

// The 8-bit process record (tagPROCESSENTRY32, whatever UNICODE says); the
// size field is set to its full size before the first entry is asked for:
// 296 bytes in a 32-bit program, 304 in a 64-bit one, whose heap identifier
// field is pointer-sized.
static_assert(sizeof(tagPROCESSENTRY32) == (sizeof(void*) == 8 ? 304 : 296));

using SnapshotFunction = HANDLE(WINAPI*)(DWORD, DWORD);
using WalkFunction = BOOL(WINAPI*)(HANDLE, tagPROCESSENTRY32*);

// The snapshot functions, looked up by name in kernel32.dll when first
// needed; a missing one makes the walk find nothing.
struct ToolHelp {
  SnapshotFunction snapshot = nullptr;
  WalkFunction first = nullptr;
  WalkFunction next = nullptr;

  static const ToolHelp& get() {
    static const ToolHelp functions = [] {
      ToolHelp found;
      if (const HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        found.snapshot = reinterpret_cast<SnapshotFunction>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
        found.first = reinterpret_cast<WalkFunction>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "Process32First")));
        found.next = reinterpret_cast<WalkFunction>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "Process32Next")));
      }
      return found;
    }();
    return functions;
  }
  bool complete() const { return snapshot != nullptr && first != nullptr && next != nullptr; }
};

}  // namespace

std::optional<std::vector<ProcessInfo>> listProcesses() {
  const ToolHelp& toolHelp = ToolHelp::get();
  if (!toolHelp.complete()) {
    return std::vector<ProcessInfo>{};
  }
  const win32::Handle snapshot(toolHelp.snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) {
    return std::nullopt;
  }
  std::vector<ProcessInfo> processes;
  tagPROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = toolHelp.first(snapshot.get(), &entry); more;
       more = toolHelp.next(snapshot.get(), &entry)) {
    ProcessInfo process;
    process.id = static_cast<int>(entry.th32ProcessID);
    process.names.push_back(win32::ansiToUtf8(entry.szExeFile));
    processes.push_back(std::move(process));
  }
  return processes;
}

bool terminateProcess(int processId) {
  if (processId <= 0) {
    return false;
  }
  const win32::Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(processId)));
  return process.valid() && TerminateProcess(process.get(), 0) != 0;
}

int currentProcessId() {
  return static_cast<int>(GetCurrentProcessId());
}

void repaintNotificationArea() {
  const HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (tray == nullptr) {
    return;
  }
  const HWND notify = FindWindowExW(tray, nullptr, L"TrayNotifyWnd", nullptr);
  if (notify == nullptr) {
    return;
  }
  InvalidateRect(notify, nullptr, TRUE);
  RedrawWindow(notify, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void openProgram(const std::string& path) {
  // No working-directory argument: the program starts in ours.
  ShellExecuteW(GetActiveWindow(), L"open", win32::widen(path).c_str(), nullptr, nullptr,
                SW_SHOWNORMAL);
}

}  // namespace zk::platform
