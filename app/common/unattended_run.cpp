#include "app/common/unattended_run.h"

#include <memory>
#include <vector>

#include "app/common/console_ui.h"
#include "app/common/download_progress.h"
#include "app/common/error_box_text.h"
#include "app/common/startup_sequence.h"
#include "core/error.h"
#include "install/checked_download.h"
#include "install/sevenzip/sevenzip.h"
#include "install/update_actions.h"
#include "install/update_operations_window.h"
#include "platform/console.h"
#include "platform/files.h"
#include "settings/data_module.h"
#include "settings/firebird_client.h"
#include "transfer/download_file.h"
#include "versions/module_catalogue.h"
#include "versions/server_version_check.h"

namespace zk {
namespace {

std::string fileNameOf(const std::string& path) {
  return path.substr(path.find_last_of("/\\") + 1);
}

// A download with its progress named after the file.
template <typename Download>
void withProgress(DownloadProgress& progress, const std::string& path, Download download) {
  progress.start(fileNameOf(path));
  try {
    download();
  } catch (...) {
    progress.finish();
    throw;
  }
  progress.finish();
}

// The window's update operations, with downloads that show their progress.
class ConsoleUpdateOperations final : public UpdateOperations {
 public:
  ConsoleUpdateOperations(UserInterface& ui, HttpClient& IdHTTP1, ArchiveSlot& archive,
                          DownloadProgress& progress, trust::SignedUpdates& signedUpdates)
      : progress_(progress), window_(ui, IdHTTP1, archive, &signedUpdates) {}

  void DownloadFile(const std::string& url, const std::string& path) override {
    withProgress(progress_, path, [&] { window_.DownloadFile(url, path); });
  }
  void CreateRarArchive() override { window_.CreateRarArchive(); }
  void OpenArchiveFile(const std::string& path) override { window_.OpenArchiveFile(path); }
  void ExtractAllTo(const std::string& folder) override { window_.ExtractAllTo(folder); }
  void CloseArchive() override { window_.CloseArchive(); }
  void StopProcessByName(const std::string& exeName) override {
    window_.StopProcessByName(exeName);
  }
  void StartMainProgram() override { window_.StartMainProgram(); }
  void DeleteDirectory(const std::string& path) override { window_.DeleteDirectory(path); }
  void createFolder(const std::string& path) override { window_.createFolder(path); }
  void copyFile(const std::string& source, const std::string& target) override {
    window_.copyFile(source, target);
  }
  void deleteFile(const std::string& path) override { window_.deleteFile(path); }
  void wait(int milliseconds) override { window_.wait(milliseconds); }

 private:
  DownloadProgress& progress_;
  WindowUpdateOperations window_;
};

const char* verdictText(RowVerdict verdict) {
  switch (verdict) {
    case RowVerdict::LeftOut:
      return "kurulu değil";
    case RowVerdict::Current:
      return "güncel";
    case RowVerdict::Behind:
      return "güncelleme var";
  }
  return "";
}

// Shown in place of a text that is not on one line.
std::string shown(const std::string& text) {
  std::string line;
  for (char c : text) {
    line += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return line;
}

// One run of --check or --update.
class UnattendedRun {
 public:
  UnattendedRun(const CommandLine& line, std::string name)
      : line_(line),
        name_(std::move(name)),
        terminal_(platform::standardErrorIsTerminal()),
        log_([this](std::string_view text) { writeLog(text); }, &platform::localTimestamp),
        progress_(
            terminal_ ? DownloadProgress::TextSink(&platform::writeStandardError)
                      : DownloadProgress::TextSink(),
            logIsTerminal() ? DownloadProgress::LineSink()
                            : [this](const std::string& text) { log_.write("ilerleme", text); },
            &platform::monotonicMilliseconds),
        ui_(log_, progress_) {}

  int run();

 private:
  bool logIsTerminal() const { return line_.logFile.empty() && terminal_; }
  void writeLog(std::string_view text);
  // The outcome: its log line, and on failure the reason on standard error
  // too when the log is a file.
  int end(int code, const std::string& outcome);
  int fail(const std::string& reason);
  // The reason of a failure that ended in the silent abort or the program's
  // end: the message box shown just before it.
  std::string abortReason() const;
  // A failure written as the default handling would show it; the silent
  // abort and the program's end show nothing. Gives the reason.
  std::string reportFailure(const std::exception& failure);
  void noteFailure(const std::string& reason) {
    if (!firstFailure_) {
      firstFailure_ = reason;
    }
  }
  bool startUp(Tdm& dm);
  bool checkVersions();
  // One line per module on standard output; false when a version is no number.
  bool printModules(bool& anyBehind);
  bool automaticUpdate();
  FileDownloader downloader() {
    return [this](const std::string& url, const std::string& path) {
      withProgress(progress_, path,
                   [&] { checkedDownloadFile(IdHTTP1_, ui_, &fields_.updateTrust, url, path); });
    };
  }

  const CommandLine& line_;
  std::string name_;
  bool terminal_;
  RunLog log_;
  DownloadProgress progress_;
  ConsoleUi ui_;
  ProgramFields fields_;
  HttpClient IdHTTP1_;
  ArchiveSlot archive_;
  std::optional<std::string> firstFailure_;
};

void UnattendedRun::writeLog(std::string_view text) {
  if (line_.logFile.empty()) {
    platform::writeStandardError(text);
  } else {
    platform::appendToFile(line_.logFile, text);
  }
}

int UnattendedRun::end(int code, const std::string& outcome) {
  log_.write("sonuç", outcome);
  if (code == kExitFailed && !line_.logFile.empty()) {
    platform::writeStandardError(name_ + ": " + outcome + "\n");
  }
  return code;
}

int UnattendedRun::fail(const std::string& reason) {
  const bool update = line_.mode == CommandLine::Mode::Update;
  return end(kExitFailed,
             std::string(update ? "güncelleme başarısız: " : "denetim yapılamadı: ") + reason);
}

std::string UnattendedRun::abortReason() const {
  return ui_.messages().empty() ? std::string(AbortError().message()) : ui_.messages().back();
}

std::string UnattendedRun::reportFailure(const std::exception& failure) {
  if (dynamic_cast<const AbortError*>(&failure) != nullptr ||
      dynamic_cast<const ProgramEnd*>(&failure) != nullptr) {
    return abortReason();
  }
  const std::string text = errorBoxText(failure.what());
  ui_.errorBox(text);
  return text;
}

// A failed fetch of the archive library or the logo leaves the clock
// started: the window would go on to its check, and so does this run.
bool UnattendedRun::startUp(Tdm& dm) {
  // No one reads a clock here.
  const Startup startup{ui_, fields_, IdHTTP1_, &dm, downloader(), [] {}};
  try {
    runStartupSequence(startup);
  } catch (const std::exception& failure) {
    noteFailure(reportFailure(failure));
    const bool aborted = dynamic_cast<const AbortError*>(&failure) != nullptr ||
                         dynamic_cast<const ProgramEnd*>(&failure) != nullptr;
    return !aborted && ui_.timerEnabled();
  }
  return true;
}

// The versions decide; a failed announcement is reported and the run goes on,
// as the window's buttons are unlocked after it.
bool UnattendedRun::checkVersions() {
  fields_.versionCheckDone = true;
  try {
    checkServerVersions(ui_, fields_.yearBaseUrl, &fields_.updateTrust);
  } catch (const std::exception& failure) {
    firstFailure_ = reportFailure(failure);
    return false;
  }
  try {
    showAnnouncement(ui_, fields_.yearBaseUrl, downloader());
  } catch (const std::exception& failure) {
    noteFailure(reportFailure(failure));
  }
  return true;
}

bool UnattendedRun::printModules(bool& anyBehind) {
  std::optional<std::string> unreadable;
  std::string lines;
  for (const ModuleEntry& row : ModuleCatalogue::rows()) {
    std::string verdict;
    try {
      const RowVerdict decided = automaticUpdateVerdict(ui_, row, fields_.serverAddress);
      anyBehind = anyBehind || decided == RowVerdict::Behind;
      verdict = verdictText(decided);
    } catch (const Error& failure) {
      verdict = "sürüm okunamadı";
      if (!unreadable) {
        unreadable = failure.message();
      }
    }
    lines += std::string(row.captionText) + ": mevcut " +
             shown(ui_.caption(std::string(row.localLabel))) + ", sunucu " +
             shown(ui_.caption(std::string(row.serverLabel))) + ", " + verdict + "\n";
  }
  platform::writeStandardOutput(lines);
  if (unreadable) {
    noteFailure(*unreadable);
    return false;
  }
  return true;
}

bool UnattendedRun::automaticUpdate() {
  ConsoleUpdateOperations operations(ui_, IdHTTP1_, archive_, progress_, fields_.updateTrust);
  const UpdateContext context{ui_,
                              operations,
                              fields_.yearBaseUrl,
                              fields_.updateDir,
                              fields_.reportDir,
                              fields_.serverAddress};
  // The nested actions run by click, as on the window.
  ui_.setClickHandler("BitBtn1", [&context] { BitBtn1Click(context); });
  ui_.setClickHandler("BitBtn2", [&context] { BitBtn2Click(context); });
  ui_.setClickHandler("BitBtn3", [&context] { BitBtn3Click(context); });
  ui_.setClickHandler("BitBtn4", [&context] { BitBtn4Click(context); });
  ui_.setClickHandler("BitBtn5", [&context] { BitBtn5Click(context); });
  ui_.setClickHandler("BitBtn7", [&context] { BitBtn7Click(context); });
  ui_.setClickHandler("BitBtn8", [&context] { BitBtn8Click(context); });
  const std::size_t messagesBefore = ui_.messages().size();
  bool completed = true;
  try {
    ui_.click("BitBtn1");
  } catch (const std::exception& failure) {
    noteFailure(reportFailure(failure));
    completed = false;
  }
  // A box shown on the way (a staging folder that could not be removed) is
  // a failure the update went on after.
  if (ui_.messages().size() > messagesBefore) {
    noteFailure(ui_.messages()[messagesBefore]);
    completed = false;
  }
  for (const auto& name :
       {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5", "BitBtn7", "BitBtn8"}) {
    ui_.setClickHandler(name, {});
  }
  return completed;
}

int UnattendedRun::run() {
  const bool update = line_.mode == CommandLine::Mode::Update;
  log_.write("başlangıç", name_ + (update ? " --update" : " --check"));

  // The database client library first, as the window's program loads it
  // before anything else.
  std::unique_ptr<Tdm> dm;
  try {
    dm = std::make_unique<Tdm>();
  } catch (const DatabaseClientLoadError& failure) {
    return fail(errorBoxText(failure.what()));
  }

  if (!startUp(*dm) || !checkVersions()) {
    return fail(*firstFailure_);
  }
  bool anyBehind = false;
  const bool readable = printModules(anyBehind);
  if (!update) {
    if (!readable) {
      return fail(*firstFailure_);
    }
    return anyBehind ? end(kExitUpdatesAvailable, "güncelleme var")
                     : end(kExitDone, "tüm modüller güncel");
  }

  // Nothing is stopped or started when no module is behind.
  if (readable && !anyBehind) {
    if (firstFailure_) {
      return fail(*firstFailure_);
    }
    return end(kExitDone, "tüm modüller güncel, güncellenecek bir şey yok");
  }
  if (!automaticUpdate() || firstFailure_) {
    return fail(*firstFailure_);
  }
  return end(kExitDone, "otomatik güncelleme tamamlandı");
}

}  // namespace

int runUnattended(const CommandLine& line, const std::string& name) {
  if (!line.logFile.empty()) {
    if (const int error = platform::appendToFile(line.logFile, ""); error != 0) {
      platform::writeStandardError(name + ": günlük dosyası yazılamıyor: " + line.logFile + ": " +
                                   platform::systemErrorText(error) + "\n");
      return kExitFailed;
    }
  }
  UnattendedRun run(line, name);
  return run.run();
}

std::optional<int> runCommandLine(int argc, char** argv) {
  if (argc <= 1) {
    return std::nullopt;
  }
  platform::useParentConsole();
  const std::vector<std::string> arguments = platform::programArguments(argc, argv);
  const std::string name = programName(!arguments.empty() ? arguments[0] : "");
  const CommandLine line = parseCommandLine(
      std::vector<std::string>(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end()),
      platform::kSlashOptions);
  switch (line.mode) {
    case CommandLine::Mode::Interactive:
      return std::nullopt;
    case CommandLine::Mode::Help:
      platform::writeStandardOutput(helpText(name, platform::kSlashOptions));
      return kExitDone;
    case CommandLine::Mode::Invalid:
      platform::writeStandardError(name + ": " + line.error + " (yardım için --help)\n");
      return kExitUsage;
    case CommandLine::Mode::Check:
    case CommandLine::Mode::Update:
      break;
  }
  return runUnattended(line, name);
}

}  // namespace zk
