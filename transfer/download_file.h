#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/user_interface.h"
#include "transfer/http_client.h"

namespace zk {

// Fetches `url` with the window's client and stores the body at `targetPath`;
// the progress bar and Label27 follow the body while it comes. The body is
// written, as it arrives, to a replacement file beside the target, which is
// moved over the target only when the request completed and every byte was
// written: a failed, cut or timed-out request or a failed write leaves the
// target as it was and no replacement behind. Replacements of the target left
// by a program that was killed are removed first. When no replacement can be
// made, the body is received into memory and the file is tried once more
// after the request. Failures: those of HttpClient::Get, then
// "Cannot create file "<expanded path>". <system text>"; a write that fails
// during the transfer ends the request (its connection is closed) and raises
// "Stream write error".
//
// `accept`, when given, sees the complete body after the request and before
// it replaces the target, as the file that holds it. When it fails, its
// failure goes on, the body is dropped and the target stays as it was (signed
// updates check the bytes there). With a check, a body that could not be
// written beside the target is not tried again: "Cannot create file" follows
// the request at once, since unchecked bytes must never reach the target.
using BodyCheck = std::function<void(const std::string& bodyFile)>;
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
