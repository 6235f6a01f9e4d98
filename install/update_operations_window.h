#pragma once

#include <map>
#include <string>

#include "core/user_interface.h"
#include "install/sevenzip/sevenzip.h"
#include "install/update_operations.h"
#include "transfer/http_client.h"
#include "trust/signed_updates.h"

namespace zk {

// The update actions' operations as the main window performs them: downloads
// through its configured client IdHTTP1 with progress on the window, its
// `archive` slot, the product's processes, and the file system. It holds
// references only; the window owns everything it refers to.
//
// With signed updates on, every download must match its folder's signed list
// before it is written, an archive is opened only when its bytes match the
// list entry of the URL it was fetched from, and once anything was refused in
// the action nothing more is extracted or copied: the installation stays as
// it was.
class WindowUpdateOperations final : public UpdateOperations {
 public:
  WindowUpdateOperations(UserInterface& ui, HttpClient& IdHTTP1, ArchiveSlot& archive,
                         trust::SignedUpdates* signedUpdates = nullptr)
      : ui_(ui),
        http_(IdHTTP1),
        archive_(archive),
        signed_(signedUpdates != nullptr && signedUpdates->enabled() ? signedUpdates : nullptr),
        refusalsBefore_(signed_ != nullptr ? signed_->refusals() : 0) {}

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
  trust::SignedUpdates* signed_;
  int refusalsBefore_;
  // The URL each staged file was asked for, by local path.
  std::map<std::string, std::string> sources_;

  bool refusedInAction() const {
    return signed_ != nullptr && signed_->refusals() != refusalsBefore_;
  }
};

}  // namespace zk
