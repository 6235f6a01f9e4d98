#pragma once

#include <functional>
#include <string>

#include "core/user_interface.h"
#include "trust/signed_updates.h"

namespace zk {

// DownloadFile of the main window: fetches url with the configured client and
// stores the body at path.
using FileDownloader = std::function<void(const std::string& url, const std::string& path)>;

inline constexpr const char* kNoConnectionMessage =
    "Internet Bağlantınız yok. Bağlantı olmadan güncelleme gerçekleştirilemez.";

// Whether the system reports a network connection.
bool isInternetConnection();

// The connectivity test shared by the start-up and the check: when the system
// reports no connection, the message box, then the silent abort.
void requireInternetConnection(UserInterface& ui);

// Fetches one server text with a fresh default client and shows it in the
// control "label" + labelNumber (nowhere when there is none). With signed
// updates on, a text its folder's signed list does not name is refused like a
// failed fetch, before anything is shown.
void textbak(UserInterface& ui, const std::string& url, const std::string& labelNumber,
             trust::SignedUpdates* signedUpdates = nullptr);

// The server version check run by Button1: the six server texts, the blue
// marks, the update buttons unlocked, the announcement in the memo. It is
// the two halves below, one after the other.
void Button1Click(UserInterface& ui, const std::string& yearBaseUrl,
                  const FileDownloader& downloadFile,
                  trust::SignedUpdates* signedUpdates = nullptr);

// The connectivity test, then the six server texts and the blue marks; the
// update buttons are unlocked whether or not the texts arrived.
void checkServerVersions(UserInterface& ui, const std::string& yearBaseUrl,
                         trust::SignedUpdates* signedUpdates = nullptr);

// The memo cleared, the announcement fetched and loaded into it.
void showAnnouncement(UserInterface& ui, const std::string& yearBaseUrl,
                      const FileDownloader& downloadFile);

// Replaces the memo by the lines of a Windows-1254 text file; a file that
// cannot be opened fails with "Cannot open file "%s". %s".
void loadMemoFromFile(UserInterface& ui, const std::string& path);

}  // namespace zk
