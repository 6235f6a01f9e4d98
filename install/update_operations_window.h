#pragma once

#include "core/user_interface.h"
#include "install/sevenzip/sevenzip.h"
#include "install/update_operations.h"
#include "transfer/http_client.h"

namespace zk {

// The update actions' operations as the main window performs them: downloads
// through its configured client IdHTTP1 with progress on the window, its
// `archive` slot, the product's processes, and the file system. It holds
// references only; the window owns everything it refers to.
class WindowUpdateOperations final : public UpdateOperations {
 public:
  WindowUpdateOperations(UserInterface& ui, HttpClient& IdHTTP1, ArchiveSlot& archive)
      : ui_(ui), http_(IdHTTP1), archive_(archive) {}

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
  UserInterface& ui_;
  HttpClient& http_;
  ArchiveSlot& archive_;
};

}  // namespace zk
