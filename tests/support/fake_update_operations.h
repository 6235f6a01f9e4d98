#pragma once

#include <string>
#include <vector>

#include "install/update_operations.h"
#include "tests/support/recording_ui.h"

namespace zk::test {

// One ordered record of what an action did to the window and through its
// operations, shared by LoggingUi and FakeUpdateOperations. Paths below the
// working directory are written as "~/...".
struct ActionLog {
  explicit ActionLog(std::string workingDirectory) : home(std::move(workingDirectory)) {}
  void add(const std::string& entry) { entries.push_back(entry); }
  std::string shorten(const std::string& path) const;

  std::string home;
  std::vector<std::string> entries;
};

// The recording window that also writes its status lines ("status ..."),
// added memo lines ("memo ..."), pumps, clicks and disabled buttons into
// the log.
class LoggingUi : public RecordingUi {
 public:
  explicit LoggingUi(ActionLog& log) : log_(log) {}

  void setCaption(const std::string& control, const std::string& text) override;
  void setEnabled(const std::string& control, bool enabled) override;
  void click(const std::string& control) override;
  void memoAddLine(const std::string& line) override;
  void pump() override;

 private:
  ActionLog& log_;
};

// Records every operation as its name and arguments and can be told to fail
// a given one, as the real operation fails, with an Error.
class FakeUpdateOperations : public UpdateOperations {
 public:
  explicit FakeUpdateOperations(ActionLog& log) : log_(log) {}

  // The calls whose record starts with `step` fail with `message`; with an
  // occurrence n > 0 only the n-th such call fails.
  void failOn(const std::string& step, const std::string& message, int occurrence = 0);

  void DownloadFile(const std::string& url, const std::string& path) override;
  void CreateRarArchive() override;
  void OpenArchiveFile(const std::string& path) override;
  void ExtractAllTo(const std::string& folder) override;
  void CloseArchive() override;
  void StopProcessByName(const std::string& exeName) override;
  void StartMainProgram() override;
  void DeleteDirectory(const std::string& path) override;
  void createFolder(const std::string& path) override;
  void copyFile(const std::string& source, const std::string& target) override;
  void deleteFile(const std::string& path) override;
  void wait(int milliseconds) override;

 private:
  struct Failure {
    std::string step;
    std::string message;
    int occurrence;
    int seen = 0;
  };
  void record(const std::string& entry);

  ActionLog& log_;
  std::vector<Failure> failures_;
};

}  // namespace zk::test
