#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/user_interface.h"
#include "install/sevenzip/sevenzip.h"
#include "settings/profile_reader.h"
#include "transfer/http_client.h"
#include "trust/signed_updates.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace zk {

class Tdm;
struct UpdateContext;

// The main window Form1: the controls of its design, the user-interface
// operations every routine uses, and the event handlers.
class TForm1 : public QWidget, public UserInterface {
  Q_OBJECT

 public:
  // dm: the data module with the database connection; without one the
  // licence-year lookup is left out (window tests).
  explicit TForm1(Tdm* dm = nullptr);
  ~TForm1() override;

  // UserInterface
  void setCaption(const std::string& control, const std::string& text) override;
  std::string caption(const std::string& control) const override;
  std::optional<std::string> findControl(const std::string& name) const override;
  void setFontColor(const std::string& control, Rgb color) override;
  Rgb fontColor(const std::string& control) const override;
  void setEnabled(const std::string& control, bool enabled) override;
  bool isEnabled(const std::string& control) const override;
  void click(const std::string& control) override;
  void memoClear() override;
  void memoAddLine(const std::string& line) override;
  void setMemoLines(const std::vector<std::string>& lines) override;
  std::vector<std::string> memoLines() const override { return memoLines_; }
  void setStatusPanel(int index, const std::string& text) override;
  std::string statusPanel(int index) const override;
  void setProgressMaximum(std::int32_t maximum) override;
  std::int32_t progressMaximum() const override { return progressMaximum_; }
  void setProgressPosition(std::int32_t position) override;
  std::int32_t progressPosition() const override { return progressPosition_; }
  void repaintProgress() override;
  void pump() override;
  void messageBox(const std::string& text) override;
  void setHourglass(bool on) override;
  void setTimerEnabled(bool enabled) override;

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

  // Replaces the handler a click on the control runs (tests use it).
  void setClickHandler(const std::string& control, std::function<void()> handler);
  // Shows the window centred on the screen.
  void showCentred();
  // While a handler that updates, downloads or checks runs, user clicks on the
  // update buttons and on "Yazdır Sil" are ignored.
  bool userClicksIgnored() const { return busyDepth_ > 0; }
  bool quitRequested() const { return quitRequested_; }

  // Fields of the window, all empty until the start-up sets them.
  std::string yearBaseUrl;
  std::string serverRootUrl;
  std::string updateDir;
  std::string reportDir;
  bool versionCheckDone = false;
  std::optional<IniFile> settingsFile;
  // The values of the settings file, fixed for the run.
  std::string serverAddress;
  std::string databasePath;
  // The configured HTTP client; only DownloadFile uses it.
  HttpClient IdHTTP1;
  // The archive object of the running update action.
  ArchiveSlot archive;
  // Signed updates, switched on by a public key (the build's or the settings
  // file's); off until the settings are read.
  trust::SignedUpdates updateTrust;

  // Settings file, status bar, licence year and the server URLs.
  void local_baglanti_kontrol();
  // Fetches url with IdHTTP1 and stores the whole body at targetPath.
  void DownloadFile(const std::string& url, const std::string& targetPath);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

  // Counts the handler as running for the life of the object.
  class BusyScope {
   public:
    explicit BusyScope(TForm1& form) : form_(form) { ++form_.busyDepth_; }
    ~BusyScope() { --form_.busyDepth_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    TForm1& form_;
  };

 private:
  struct LabelAnchor {
    int right;
    bool rightAligned;
  };
  void buildControls();
  void connectUserClick(QPushButton* button, const std::string& name);
  QWidget* widget(const std::string& name) const;
  QLabel* label(const std::string& name) const;
  void fitLabel(QLabel* label);
  void renderMemo();
  void showClock();
  void runUpdateAction(void (*action)(const UpdateContext&));
  void fetchStartupFiles();

  Tdm* dm_ = nullptr;

  std::map<std::string, QWidget*> widgets_;
  std::map<std::string, LabelAnchor> labelAnchors_;
  std::map<std::string, std::function<void()>> handlers_;
  std::vector<std::string> memoLines_;
  QPlainTextEdit* memo_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QLabel* panels_[3] = {};
  QTimer* timer_ = nullptr;
  std::int32_t progressMaximum_ = 100;
  std::int32_t progressPosition_ = 0;
  bool hourglass_ = false;
  int busyDepth_ = 0;
  bool quitRequested_ = false;
  bool shownOnce_ = false;
};

}  // namespace zk
