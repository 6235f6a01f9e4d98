#include "versions/server_version_check.h"

#include "core/block_cleanup.h"
#include "core/error.h"
#include "core/text_encoding.h"
#include "platform/connectivity.h"
#include "platform/files.h"
#include "platform/sleep.h"
#include "platform/stream_file.h"
#include "transfer/http_client.h"
#include "versions/module_catalogue.h"

namespace zk {
namespace {

constexpr const char* kUpdateButtons[] = {"BitBtn1", "BitBtn2", "BitBtn3",
                                          "BitBtn4", "BitBtn5", "BitBtn7"};

void fetchServerVersions(UserInterface& ui, const std::string& yearBaseUrl,
                         trust::SignedUpdates* signedUpdates) {
  ui.setStatus("Sunucu Versiyon kontrolleri yapılıyor.");
  ui.pump();
  platform::sleepMilliseconds(500);
  const auto fetch = [&](const std::string& url, std::string_view labelNumber) {
    textbak(ui, url, std::string(labelNumber), signedUpdates);
    ui.pump();
  };
  const auto& main = ModuleCatalogue::row(ModuleRow::MainProgram);
  const auto& mobile = ModuleCatalogue::row(ModuleRow::MobileServer);
  const auto& printing = ModuleCatalogue::row(ModuleRow::Printing);
  const auto& reports = ModuleCatalogue::row(ModuleRow::Reports);
  const auto& dll = ModuleCatalogue::row(ModuleRow::DllBundle);
  fetch(yearBaseUrl + std::string(main.versionFile), main.serverLabelNumber);
  fetch(yearBaseUrl + std::string(mobile.versionFile), mobile.serverLabelNumber);
  fetch(yearBaseUrl + std::string(printing.versionFile), printing.serverLabelNumber);
  fetch(yearBaseUrl + std::string(catalogue::kExtraServerText),
        catalogue::kExtraServerTextLabelNumber);
  // The reports text is asked for with a "/" of its own after the year folder.
  fetch(yearBaseUrl + "/" + std::string(reports.versionFile), reports.serverLabelNumber);
  fetch(yearBaseUrl + std::string(dll.versionFile), dll.serverLabelNumber);
  for (const ModuleEntry& entry : ModuleCatalogue::rows()) {
    const std::string serverLabel(entry.serverLabel);
    if (ui.caption(std::string(entry.localLabel)) == ui.caption(serverLabel)) {
      ui.setFontColor(serverLabel, colors::kBlue);
    }
  }
  ui.pump();
}

}  // namespace

bool isInternetConnection() {
  return platform::internetConnected();
}

void requireInternetConnection(UserInterface& ui) {
  if (!isInternetConnection()) {
    ui.messageBox(kNoConnectionMessage);
    silentAbort();
  }
}

void textbak(UserInterface& ui, const std::string& url, const std::string& labelNumber,
             trust::SignedUpdates* signedUpdates) {
  if (signedUpdates != nullptr) {
    signedUpdates->requireFolder(ui, url);
  }
  HttpClient client;
  const std::string body = client.GetText(url);
  if (signedUpdates != nullptr) {
    signedUpdates->require(ui, url, body);
  }
  const std::string text = cp1254ToUtf8(body);
  if (auto control = ui.findControl("label" + labelNumber)) {
    ui.setCaption(*control, text);
  }
}

void loadMemoFromFile(UserInterface& ui, const std::string& path) {
  // A folder is refused like any file that cannot be opened.
  platform::StreamFile file = platform::StreamFile::openForReading(path);
  if (!file.isOpen()) {
    throw Error("Cannot open file \"" + platform::expandFileName(path) + "\". " +
                platform::systemErrorText(file.errorNumber()));
  }
  std::string content;
  char buffer[65536];
  std::int64_t got = 0;
  while ((got = file.read(buffer, sizeof buffer)) > 0) {
    content.append(buffer, static_cast<std::size_t>(got));
  }
  ui.setMemoText(cp1254ToUtf8(content));
}

void Button1Click(UserInterface& ui, const std::string& yearBaseUrl,
                  const FileDownloader& downloadFile, trust::SignedUpdates* signedUpdates) {
  checkServerVersions(ui, yearBaseUrl, signedUpdates);
  showAnnouncement(ui, yearBaseUrl, downloadFile);
}

void checkServerVersions(UserInterface& ui, const std::string& yearBaseUrl,
                         trust::SignedUpdates* signedUpdates) {
  requireInternetConnection(ui);
  block([&] { fetchServerVersions(ui, yearBaseUrl, signedUpdates); }).cleanup([&] {
    for (const char* button : kUpdateButtons) {
      ui.setEnabled(button, true);
    }
  });
}

void showAnnouncement(UserInterface& ui, const std::string& yearBaseUrl,
                      const FileDownloader& downloadFile) {
  ui.memoClear();
  const std::string announcement = platform::localPath(std::string(catalogue::kAnnouncementFile));
  block([&] {
    downloadFile(yearBaseUrl + std::string(catalogue::kAnnouncementFile), announcement);
  }).cleanup([&] {
    loadMemoFromFile(ui, announcement);
    ui.setStatus("Sunucu Versiyon kontrolleri Yapıldı.");
    ui.pump();
  });
}

}  // namespace zk
