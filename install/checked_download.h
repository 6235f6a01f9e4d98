#pragma once

#include <string>

#include "core/user_interface.h"
#include "transfer/http_client.h"
#include "trust/signed_updates.h"

namespace zk {

// DownloadFile with the window's client. With signed updates on, the file's
// server folder must have an accepted signed list first, and the body must
// match its entry before it replaces the target; a refusal shows its box and
// ends the handler silently, the target as it was.
void checkedDownloadFile(HttpClient& IdHTTP1, UserInterface& ui,
                         trust::SignedUpdates* signedUpdates, const std::string& url,
                         const std::string& path);

}  // namespace zk
