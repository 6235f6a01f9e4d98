#include "install/working_folders.h"

#include "platform/files.h"
#include "platform/folders.h"

namespace zk {

void DeleteDirectory(UserInterface& ui, const std::string& path) {
  const auto entries = platform::listFolder(path);
  if (!entries) {
    return;
  }
  for (const platform::FolderEntry& entry : *entries) {
    const std::string entryPath = path + "/" + entry.name;
    if (entry.isFolder) {
      DeleteDirectory(ui, entryPath);
    } else {
      platform::deleteFile(entryPath);
    }
  }
  const int error = platform::removeFolder(path);
  if (error != 0) {
    ui.messageBox("CANT DELETE EMPTY DIRECTORY:" + path + " " + platform::systemErrorText(error));
  }
}

void clearDllStagingFolder(UserInterface& ui, const std::string& updateDir) {
  const std::string stagingFolder = updateDir + "/dll";
  DeleteDirectory(ui, stagingFolder);
  platform::createFolder(stagingFolder);
  ui.pump();
}

}  // namespace zk
