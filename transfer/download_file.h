#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/user_interface.h"
#include "transfer/http_client.h"

namespace zk {

// Fetches `url` with the window's client and stores the whole body at
// `targetPath` once it has arrived; the progress bar and Label27 follow the
// body while it comes. Nothing reaches the disk when the request fails. The
// file is written beside the target and renamed over it, so a failed write
// leaves the target as it was. Failures: those of HttpClient::Get,
// "Cannot create file "<expanded path>". <system text>", "Stream write error".
//
// `accept`, when given, sees the whole body after the request completed and
// before anything is written; when it fails, its failure goes on and the
// target stays as it was (signed updates check the bytes there).
using BodyCheck = std::function<void(std::string_view body)>;
void DownloadFile(HttpClient& IdHTTP1, UserInterface& ui, const std::string& url,
                  const std::string& targetPath, const BodyCheck& accept = {});

// The window's handlers for IdHTTP1's progress notifications.
void IdHTTP1WorkBegin(UserInterface& ui, HttpClient& sender, WorkMode mode,
                      std::int32_t expectedTotal);
void IdHTTP1Work(UserInterface& ui, HttpClient& sender, WorkMode mode, std::int32_t countSoFar);
void IdHTTP1WorkEnd(UserInterface& ui, HttpClient& sender, WorkMode mode);

// Connects the three handlers above to `IdHTTP1` for `ui`.
void connectWorkHandlers(HttpClient& IdHTTP1, UserInterface& ui);

}  // namespace zk
