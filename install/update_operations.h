#pragma once

#include <string>

#include "core/user_interface.h"

namespace zk {

// The operations the update actions are built from, named as the window's
// routines are. Only DownloadFile, CreateRarArchive, OpenArchiveFile and
// ExtractAllTo fail (by exception); everything else passes its failures over
// in silence (DeleteDirectory reports them in message boxes and goes on).
class UpdateOperations {
 public:
  virtual ~UpdateOperations() = default;

  // The whole file at url, stored at path once it is complete; the progress
  // bar moves and window events are pumped meanwhile.
  virtual void DownloadFile(const std::string& url, const std::string& path) = 0;

  // The window's archive object: CreateRarArchive replaces it by a new one;
  // the other three work on whichever object the window holds at the time.
  virtual void CreateRarArchive() = 0;
  virtual void OpenArchiveFile(const std::string& path) = 0;
  virtual void ExtractAllTo(const std::string& folder) = 0;
  virtual void CloseArchive() = 0;

  virtual void StopProcessByName(const std::string& exeName) = 0;
  virtual void StartMainProgram() = 0;

  // Removes a folder with everything below it.
  virtual void DeleteDirectory(const std::string& path) = 0;
  // One folder level; the result is not examined.
  virtual void createFolder(const std::string& path) = 0;
  // Copies with overwrite; a copy that fails is passed over.
  virtual void copyFile(const std::string& source, const std::string& target) = 0;
  virtual void deleteFile(const std::string& path) = 0;
  // Blocks the window for the time given.
  virtual void wait(int milliseconds) = 0;
};

// What an action works with: the window, its operations and the values the
// start-up fixed. Paths are local ("/" joins them); yearBaseUrl ends in "/".
struct UpdateContext {
  UserInterface& ui;
  UpdateOperations& operations;
  std::string yearBaseUrl;
  std::string updateDir;
  std::string reportDir;
  std::string serverAddress;
};

}  // namespace zk
