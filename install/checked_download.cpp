#include "install/checked_download.h"

#include "transfer/download_file.h"

namespace zk {

void checkedDownloadFile(HttpClient& IdHTTP1, UserInterface& ui,
                         trust::SignedUpdates* signedUpdates, const std::string& url,
                         const std::string& path) {
  if (signedUpdates == nullptr || !signedUpdates->enabled()) {
    DownloadFile(IdHTTP1, ui, url, path);
    return;
  }
  signedUpdates->requireFolder(ui, url);
  DownloadFile(IdHTTP1, ui, url, path,
               [&](const std::string& bodyFile) { signedUpdates->requireFile(ui, url, bodyFile); });
}

}  // namespace zk
