// The start-up sequence, the clock and the server version check of the main
// window. The sequence itself is shared with the command-line runs.

#include "app/clock_text.h"
#include "app/common/startup_sequence.h"
#include "app/main_form.h"
#include "install/checked_download.h"
#include "versions/server_version_check.h"

namespace zk {

void MainForm::DownloadFile(const std::string& url, const std::string& targetPath) {
  checkedDownloadFile(IdHTTP1, *this, &updateTrust, url, targetPath);
}

Startup MainForm::startup() {
  return {*this,
          *this,
          IdHTTP1,
          dm_,
          [this](const std::string& url, const std::string& path) { DownloadFile(url, path); },
          [this] { showClock(); }};
}

void MainForm::local_baglanti_kontrol() {
  zk::local_baglanti_kontrol(startup());
}

void MainForm::showClock() {
  setCaption("Label20", currentDateText());
  setCaption("Label10", currentTimeText());
}

void MainForm::FormCreate() {
  runStartupSequence(startup());
}

void MainForm::Timer1Timer() {
  showClock();
  pump();
  if (!versionCheckDone) {
    versionCheckDone = true;
    BusyScope busy(*this);
    click("Button1");
  }
}

void MainForm::Button1Click() {
  zk::Button1Click(
      *this, yearBaseUrl,
      [this](const std::string& url, const std::string& path) { DownloadFile(url, path); },
      &updateTrust);
}

}  // namespace zk
