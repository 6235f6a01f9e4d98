#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/common/startup_sequence.h"
#include "core/user_interface.h"
#include "install/sevenzip/sevenzip.h"
#include "transfer/http_client.h"

namespace zk {

class Tdm;
struct UpdateContext;

// What the main window Form1 is apart from its toolkit: the fields the
// start-up fixes (ProgramFields: yearBaseUrl, serverAddress, ...), the
// configured HTTP client, the archive object and the event handlers. The Qt
// window and the Windows window derive from it, so the start-up, the clock,
// the server version check and the update actions are one code on both.
class MainForm : public UserInterface, public ProgramFields {
 public:
  // dm: the data module with the database connection; without one the
  // licence-year lookup is left out (window tests).
  explicit MainForm(Tdm* dm);

  // Event handlers. A user click runs its handler under the default handling;
  // a programmatic click (click()) runs it directly.
  virtual void FormCreate();
  virtual void Timer1Timer();
  virtual void Button1Click();
  virtual void BitBtn1Click();
  virtual void BitBtn2Click();
  virtual void BitBtn3Click();
  virtual void BitBtn4Click();
  virtual void BitBtn5Click();
  virtual void BitBtn7Click();
  virtual void BitBtn8Click();

  // While a handler that updates, downloads or checks runs, user clicks on the
  // update buttons and on "Yazdır Sil" are ignored.
  bool userClicksIgnored() const { return busyDepth_ > 0; }
  // Replaces the handler a click on the control runs (tests use it).
  void setClickHandler(const std::string& control, std::function<void()> handler);

  // The configured HTTP client; only DownloadFile uses it.
  HttpClient IdHTTP1;
  // The archive object of the running update action.
  ArchiveSlot archive;

  // Every control of the window's design, Timer1 and IdHTTP1.
  std::optional<std::string> findControl(const std::string& name) const override;

  // The memo's lines and the progress bar's range, kept here and shown by the
  // window's toolkit.
  void memoClear() override;
  void memoAddLine(const std::string& line) override;
  void setMemoLines(const std::vector<std::string>& lines) override;
  std::vector<std::string> memoLines() const override { return memoLines_; }
  void setProgressMaximum(std::int32_t maximum) override;
  std::int32_t progressMaximum() const override { return progressMaximum_; }
  void setProgressPosition(std::int32_t position) override;
  std::int32_t progressPosition() const override { return progressPosition_; }

  // Settings file, status bar, licence year and the server URLs.
  void local_baglanti_kontrol();
  // Fetches url with IdHTTP1 and stores the whole body at targetPath.
  void DownloadFile(const std::string& url, const std::string& targetPath);

 protected:
  // Counts the handler as running for the life of the object.
  class BusyScope {
   public:
    explicit BusyScope(MainForm& form) : form_(form) { ++form_.busyDepth_; }
    ~BusyScope() { --form_.busyDepth_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    MainForm& form_;
  };

  // Runs the handler of a click on the control; nothing for controls without one.
  void runClickHandler(const std::string& control);
  // Show memoLines() in the memo; progressPosition() of progressMaximum() in
  // the bar (a bar of range 0 is drawn empty).
  virtual void renderMemo() = 0;
  virtual void renderProgress() = 0;

 private:
  void showClock();
  void runUpdateAction(void (*action)(const UpdateContext&));
  // What the shared start-up sequence works with: this window.
  Startup startup();

  Tdm* dm_ = nullptr;
  int busyDepth_ = 0;
  std::vector<std::string> memoLines_;
  std::int32_t progressMaximum_ = 100;
  std::int32_t progressPosition_ = 0;
  std::map<std::string, std::function<void()>> handlers_;
};

}  // namespace zk
