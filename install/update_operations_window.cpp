#include "install/update_operations_window.h"

#include "core/error.h"
#include "install/checked_download.h"
#include "install/process_control.h"
#include "install/working_folders.h"
#include "platform/file_replacement.h"
#include "platform/files.h"
#include "platform/sleep.h"
#include "transfer/download_file.h"

namespace zk {

// The members share their names with the routines they call, hence zk::.

void WindowUpdateOperations::DownloadFile(const std::string& url, const std::string& path) {
  if (signed_ == nullptr) {
    zk::DownloadFile(http_, ui_, url, path);
    return;
  }
  sources_[path] = url;
  checkedDownloadFile(http_, ui_, signed_, url, path);
}

void WindowUpdateOperations::CreateRarArchive() {
  archive_.CreateRarArchive();
}

void WindowUpdateOperations::OpenArchiveFile(const std::string& path) {
  if (signed_ != nullptr) {
    if (refusedInAction()) {
      silentAbort();
    }
    // An archive left in the staging folder by an earlier run, or one whose
    // download failed in this action, is checked like a fresh one; one that
    // came from no known URL cannot be.
    const auto source = sources_.find(path);
    if (source == sources_.end()) {
      silentAbort();
    }
    signed_->requireFile(ui_, source->second, path);
  }
  archive_.OpenArchiveFile(path);
}

void WindowUpdateOperations::ExtractAllTo(const std::string& folder) {
  if (refusedInAction()) {
    silentAbort();
  }
  archive_.ExtractAllTo(folder);
}

void WindowUpdateOperations::CloseArchive() {
  archive_.CloseArchive();
}

void WindowUpdateOperations::StopProcessByName(const std::string& exeName) {
  zk::StopProcessByName(exeName);
}

void WindowUpdateOperations::StartMainProgram() {
  zk::StartMainProgram();
}

void WindowUpdateOperations::DeleteDirectory(const std::string& path) {
  zk::DeleteDirectory(ui_, path);
}

void WindowUpdateOperations::createFolder(const std::string& path) {
  platform::createFolder(path);
}

void WindowUpdateOperations::copyFile(const std::string& source, const std::string& target) {
  if (refusedInAction()) {
    return;
  }
  platform::copyFileOverwrite(source, target);
}

void WindowUpdateOperations::deleteFile(const std::string& path) {
  platform::deleteFile(path);
}

void WindowUpdateOperations::wait(int milliseconds) {
  platform::sleepMilliseconds(milliseconds);
}

}  // namespace zk
