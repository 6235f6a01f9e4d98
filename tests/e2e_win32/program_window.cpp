#include "tests/e2e_win32/program_window.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <stdexcept>
#include <thread>

#include "app/window_layout.h"
#include "platform/win32/wide_text.h"
#include "tests/support/temp_folder.h"

namespace zk::test {
namespace {

using namespace std::chrono_literals;
using platform::win32::narrow;
using platform::win32::widen;

// How long one window message may wait for the program: it answers only
// when it takes its messages, which a running update does between steps.
constexpr UINT kAnswerMs = 10000;
// The exit code that tells the test's own ending from the program's.
constexpr UINT kEndedByTest = 0xDEAD;

std::wstring upper(std::wstring text) {
  for (wchar_t& c : text) {
    c = static_cast<wchar_t>(std::towupper(c));
  }
  return text;
}

// This process's environment with the given variables set (an empty value
// removes the variable), as the block
// CreateProcessW takes (names compared without regard to case, as Windows
// does).
std::wstring environmentBlock(const std::map<std::string, std::string>& changes) {
  std::map<std::wstring, std::wstring> variables;  // upper-case name -> "Name=value"
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
      const std::wstring text(entry);
      // Entries such as "=C:=C:\dir" have their name after the first "=".
      const std::size_t equals = text.find(L'=', 1);
      variables[upper(text.substr(0, equals))] = text;
    }
    FreeEnvironmentStringsW(strings);
  }
  for (const auto& [name, value] : changes) {
    if (value.empty()) {
      variables.erase(upper(widen(name)));
    } else {
      variables[upper(widen(name))] = widen(name) + L"=" + widen(value);
    }
  }
  std::wstring block;
  for (const auto& [unused, entry] : variables) {
    block += entry;
    block += L'\0';
  }
  block += L'\0';
  return block;
}

HANDLE openOutput(const std::string& path) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const HANDLE file = CreateFileW(widen(nativePath(path)).c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot create " + path);
  }
  return file;
}

std::string withoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK matchMainWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[64] = L"";
  if (owner == search->processId && GetClassNameW(window, className, 64) > 0 &&
      std::wstring(className) == L"TForm1") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

ProgramWindow::ProgramWindow(const std::string& program, const std::string& folder,
                             const std::map<std::string, std::string>& environment,
                             const std::string& outputFolder,
                             const std::vector<std::string>& arguments)
    : outputFile_(outputFolder + "/standard-output.txt"),
      errorFile_(outputFolder + "/standard-error.txt") {
  const platform::win32::Handle output(openOutput(outputFile_));
  const platform::win32::Handle error(openOutput(errorFile_));
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const platform::win32::Handle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ, &inherited,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = output.get();
  startup.hStdError = error.get();
  const std::wstring path = widen(nativePath(program));
  std::wstring commandLine = L"\"" + path + L"\"";
  for (const std::string& argument : arguments) {
    const std::wstring word = widen(argument);
    commandLine += word.find(L' ') == std::wstring::npos ? L" " + word : L" \"" + word + L"\"";
  }
  std::wstring block = environmentBlock(environment);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                      CREATE_UNICODE_ENVIRONMENT, block.data(), widen(nativePath(folder)).c_str(),
                      &startup, &info)) {
    throw std::runtime_error("cannot start " + program + ": error " +
                             std::to_string(GetLastError()));
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
}

ProgramWindow::~ProgramWindow() {
  if (running()) {
    TerminateProcess(process_, kEndedByTest);
    WaitForSingleObject(process_, INFINITE);
  }
  CloseHandle(process_);
}

bool ProgramWindow::running() const {
  return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool ProgramWindow::waitForWindow(std::chrono::milliseconds timeout) {
  return waitUntil(
      [this] {
        WindowSearch search{processId_, nullptr};
        EnumWindows(&matchMainWindow, reinterpret_cast<LPARAM>(&search));
        window_ = search.found;
        return window_ != nullptr;
      },
      timeout);
}

HWND ProgramWindow::control(const char* name) const {
  const int id = controlId(name);
  if (id < 0) {
    throw std::logic_error(std::string("no control named ") + name);
  }
  return GetDlgItem(window_, id);
}

namespace {

std::optional<std::string> windowText(HWND window) {
  if (window == nullptr) {
    return std::nullopt;
  }
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kAnswerMs, &length) == 0) {
    return std::nullopt;
  }
  std::wstring buffer(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                          reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, kAnswerMs,
                          &copied) == 0) {
    return std::nullopt;
  }
  buffer.resize(std::min<std::size_t>(copied, length));
  return narrow(buffer);
}

}  // namespace

std::optional<std::string> ProgramWindow::title() const {
  return windowText(window_);
}

std::optional<std::string> ProgramWindow::text(const char* name) const {
  return windowText(control(name));
}

bool ProgramWindow::enabled(const char* name) const {
  const HWND button = control(name);
  return button != nullptr && IsWindowEnabled(button) != FALSE;
}

void ProgramWindow::click(const char* name) const {
  PostMessageW(control(name), BM_CLICK, 0, 0);
}

void ProgramWindow::close() const {
  PostMessageW(window_, WM_CLOSE, 0, 0);
}

bool ProgramWindow::waitUntil(const std::function<bool()>& condition,
                              std::chrono::milliseconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) {
      return true;
    }
    if (!running() || std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(50ms);
  }
}

std::optional<int> ProgramWindow::waitForExit(std::chrono::milliseconds timeout) {
  if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<int>(code);
}

std::string ProgramWindow::standardOutput() const {
  return withoutCarriageReturns(readFile(outputFile_));
}

std::string ProgramWindow::standardError() const {
  return withoutCarriageReturns(readFile(errorFile_));
}

std::vector<std::string> ProgramWindow::errorLines(const std::string& prefix) const {
  const std::string text = standardError();
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    const std::string line = text.substr(start, end - start);
    if (line.rfind(prefix, 0) == 0) {
      lines.push_back(line.substr(prefix.size()));
    }
    start = end + 1;
  }
  return lines;
}

std::vector<int> childProcessesNamed(int parent, const std::string& name) {
  std::vector<int> found;
  const platform::win32::Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) {
    return found;
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  const std::wstring wanted = upper(widen(name));
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more != FALSE;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ParentProcessID == static_cast<DWORD>(parent) &&
        upper(entry.szExeFile) == wanted) {
      found.push_back(static_cast<int>(entry.th32ProcessID));
    }
  }
  return found;
}

void endProcess(int processId) {
  const HANDLE process =
      OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(processId));
  if (process != nullptr) {
    if (TerminateProcess(process, kEndedByTest)) {
      WaitForSingleObject(process, 10000);
    }
    CloseHandle(process);
  }
}

}  // namespace zk::test
