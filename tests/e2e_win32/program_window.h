#pragma once

// guncelleme.exe as the test starts it, and its main window as a user's tools
// see it from another process: the top-level window of class "TForm1" that
// belongs to the process, each control by its window identifier, texts
// through WM_GETTEXT, clicks and the close box as posted messages.

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zk::test {

class ProgramWindow {
 public:
  // Starts `program` with `folder` as its working directory and this
  // process's environment with `environment` on top (an empty value removes
  // a variable), with `arguments` (quoted when they hold a blank; none may hold a quote) after
  // its name. Standard output and standard error go to files in
  // `outputFolder`; standard input is empty.
  ProgramWindow(const std::string& program, const std::string& folder,
                const std::map<std::string, std::string>& environment,
                const std::string& outputFolder, const std::vector<std::string>& arguments = {});
  // A program still running then is ended.
  ~ProgramWindow();
  ProgramWindow(const ProgramWindow&) = delete;
  ProgramWindow& operator=(const ProgramWindow&) = delete;

  // Waits for the main window to exist; false when the program ended first
  // or the time ran out.
  bool waitForWindow(std::chrono::milliseconds timeout);
  HWND window() const { return window_; }

  // The window's or a control's text, read with WM_GETTEXT; nothing when the
  // program did not answer in time.
  std::optional<std::string> title() const;
  std::optional<std::string> text(const char* control) const;
  bool enabled(const char* control) const;
  // Posts a click on a button, as a mouse click comes: the handler runs
  // later, in the program's own message loop.
  void click(const char* control) const;
  // Posts WM_CLOSE, as the close box does.
  void close() const;

  // Polls `condition` until it holds; false when the program ended or the
  // time ran out first.
  bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) const;
  // The exit code once the program has ended within the timeout.
  std::optional<int> waitForExit(std::chrono::milliseconds timeout);
  bool running() const;

  // What the program wrote so far, without carriage returns.
  std::string standardOutput() const;
  std::string standardError() const;
  // The lines of standard error that start with `prefix`, without it.
  std::vector<std::string> errorLines(const std::string& prefix) const;

  int processId() const { return static_cast<int>(processId_); }

 private:
  HWND control(const char* name) const;

  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HWND window_ = nullptr;
  std::string outputFile_;
  std::string errorFile_;
};

// The processes whose executable is `name` ("zelvak.exe") and whose parent
// is the process `parent`: the programs a run started.
std::vector<int> childProcessesNamed(int parent, const std::string& name);
// Ends a process this test (or a program it started) started, by its id.
void endProcess(int processId);

}  // namespace zk::test
