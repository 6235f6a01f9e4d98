#include "tests/support/fake_update_operations.h"

#include "core/error.h"
#include "platform/files.h"

namespace zk::test {

// "~/name" for a file of the working directory, whichever separator the
// system's local paths use.
std::string ActionLog::shorten(const std::string& path) const {
  if (!home.empty() && path.compare(0, home.size(), home) == 0) {
    std::string rest = path.substr(home.size());
    if (!rest.empty() && rest.front() == platform::kPathSeparator) {
      rest.front() = '/';
    }
    return "~" + rest;
  }
  return path;
}

void LoggingUi::setCaption(const std::string& control, const std::string& text) {
  if (control == "Label19") {
    log_.add("status " + text);
  }
  RecordingUi::setCaption(control, text);
}

void LoggingUi::setEnabled(const std::string& control, bool enabled) {
  log_.add((enabled ? "enable " : "disable ") + control);
  RecordingUi::setEnabled(control, enabled);
}

void LoggingUi::click(const std::string& control) {
  log_.add("click " + control);
  RecordingUi::click(control);
}

void LoggingUi::memoAddLine(const std::string& line) {
  log_.add("memo " + line);
  RecordingUi::memoAddLine(line);
}

void LoggingUi::pump() {
  log_.add("pump");
  RecordingUi::pump();
}

void FakeUpdateOperations::failOn(const std::string& step, const std::string& message,
                                  int occurrence) {
  failures_.push_back({step, message, occurrence});
}

void FakeUpdateOperations::record(const std::string& entry) {
  log_.add(entry);
  for (Failure& failure : failures_) {
    if (entry.compare(0, failure.step.size(), failure.step) == 0) {
      ++failure.seen;
      if (failure.occurrence == 0 || failure.occurrence == failure.seen) {
        log_.add("  failed");
        throw Error(failure.message);
      }
    }
  }
}

void FakeUpdateOperations::DownloadFile(const std::string& url, const std::string& path) {
  record("DownloadFile " + url + " " + log_.shorten(path));
}
void FakeUpdateOperations::CreateRarArchive() {
  record("CreateRarArchive");
}
void FakeUpdateOperations::OpenArchiveFile(const std::string& path) {
  record("OpenArchiveFile " + log_.shorten(path));
}
void FakeUpdateOperations::ExtractAllTo(const std::string& folder) {
  record("ExtractAllTo " + log_.shorten(folder));
}
void FakeUpdateOperations::CloseArchive() {
  record("CloseArchive");
}
void FakeUpdateOperations::StopProcessByName(const std::string& exeName) {
  record("StopProcessByName " + exeName);
}
void FakeUpdateOperations::StartMainProgram() {
  record("StartMainProgram");
}
void FakeUpdateOperations::DeleteDirectory(const std::string& path) {
  record("DeleteDirectory " + log_.shorten(path));
}
void FakeUpdateOperations::createFolder(const std::string& path) {
  record("createFolder " + log_.shorten(path));
}
void FakeUpdateOperations::copyFile(const std::string& source, const std::string& target) {
  record("copyFile " + log_.shorten(source) + " " + log_.shorten(target));
}
void FakeUpdateOperations::deleteFile(const std::string& path) {
  record("deleteFile " + log_.shorten(path));
}
void FakeUpdateOperations::wait(int milliseconds) {
  record("wait " + std::to_string(milliseconds));
}

}  // namespace zk::test
