#include "install/update_actions.h"

#include <initializer_list>
#include <span>
#include <string_view>

#include "core/block_cleanup.h"
#include "core/error.h"
#include "install/integer_conversion.h"
#include "platform/files.h"
#include "versions/module_catalogue.h"

namespace zk {
namespace {

const ModuleEntry& mainProgram() {
  return ModuleCatalogue::row(ModuleRow::MainProgram);
}
const ModuleEntry& mobileServer() {
  return ModuleCatalogue::row(ModuleRow::MobileServer);
}
const ModuleEntry& printing() {
  return ModuleCatalogue::row(ModuleRow::Printing);
}
const ModuleEntry& reports() {
  return ModuleCatalogue::row(ModuleRow::Reports);
}
const ModuleEntry& dllBundle() {
  return ModuleCatalogue::row(ModuleRow::DllBundle);
}

// The names the actions use, all from the catalogue.
const std::string_view kZelvakExe = catalogue::kMainProgram;
const std::string_view kYazdirExe = catalogue::kPrintingProgram;
const std::string_view kMobilExe = mobileServer().installedFiles[0];
const std::string_view kZkbckExe = mobileServer().installedFiles[1];
const std::string_view kZelvakRar = mainProgram().archives[0];
const std::string_view kMobilRar = mobileServer().archives[0];
const std::string_view kYazdirRar = printing().archives[0];
const std::string_view kReportRar = reports().archives[0];
const std::string_view kDllRar = dllBundle().archives[0];
const std::string_view kReportsVersionFile = reports().refreshedVersionFile;

// The steps of the actions, bound to one context, so that an action reads as
// its list of steps.
class Steps {
 public:
  explicit Steps(const UpdateContext& context)
      : ui(context.ui), context_(context), ops_(context.operations) {}

  UserInterface& ui;

  void status(const std::string& text) { ui.setStatus(text); }
  void pump() { ui.pump(); }
  void prepend(const std::string& line) { ui.memoPrepend(line); }
  void click(std::string_view button) { ui.click(std::string(button)); }

  void stop(std::string_view exeName) { ops_.StopProcessByName(std::string(exeName)); }
  void stop(std::span<const std::string_view> exeNames) {
    for (std::string_view name : exeNames) {
      stop(name);
    }
  }
  void startMainProgram() { ops_.StartMainProgram(); }
  void wait(int milliseconds) { ops_.wait(milliseconds); }

  void createRarArchive() { ops_.CreateRarArchive(); }
  void closeArchive() { ops_.CloseArchive(); }

  // yearBaseUrl + name, stored as updateDir + "/" + name.
  void download(std::string_view name) {
    ops_.DownloadFile(context_.yearBaseUrl + std::string(name), staged(name));
  }
  void download(const std::string& url, const std::string& path) { ops_.DownloadFile(url, path); }
  // updateDir + "/" + name.
  void open(std::string_view archiveName) { ops_.OpenArchiveFile(staged(archiveName)); }
  void extractAllTo(const std::string& folder) { ops_.ExtractAllTo(folder); }

  // updateDir + "/" + name over working directory + "/" + name.
  void install(std::string_view name) { ops_.copyFile(staged(name), local(name)); }
  // The bundle's files, all of them and in the bundle's order, from the
  // staging folder into the working directory.
  void installDllBundle() {
    for (std::string_view name : ModuleCatalogue::dllBundle()) {
      ops_.copyFile(dllStaging() + "/" + std::string(name), local(name));
    }
  }
  void deleteDirectory(const std::string& path) { ops_.DeleteDirectory(path); }
  void createFolder(const std::string& path) { ops_.createFolder(path); }
  void deleteLocal(std::string_view name) { ops_.deleteFile(local(name)); }

  const std::string& yearBaseUrl() const { return context_.yearBaseUrl; }
  const std::string& updateDir() const { return context_.updateDir; }
  const std::string& reportDir() const { return context_.reportDir; }
  std::string dllStaging() const {
    return context_.updateDir + "/" + std::string(catalogue::kDllStagingFolder);
  }
  std::string staged(std::string_view name) const {
    return context_.updateDir + "/" + std::string(name);
  }
  static std::string local(std::string_view name) { return platform::localPath(std::string(name)); }
  bool onDatabaseServer() const {
    return context_.serverAddress == catalogue::kDatabaseServerAddress;
  }

  // Both labels of the row converted, the local one first; the row is behind
  // when its installed number is below the server's.
  bool behind(const ModuleEntry& row) const {
    const std::int32_t installed = toInteger(ui.caption(std::string(row.localLabel)));
    const std::int32_t available = toInteger(ui.caption(std::string(row.serverLabel)));
    return installed < available;
  }
  bool shownAbsent(const ModuleEntry& row) const {
    return ui.caption(std::string(row.localLabel)) == catalogue::kAbsentMarker;
  }

 private:
  const UpdateContext& context_;
  UpdateOperations& ops_;
};

// The DLL bundle action's steps; the automatic update runs them unchanged.
void updateDllBundle(Steps& s) {
  s.createRarArchive();
  block([&] { s.deleteDirectory(s.dllStaging()); }).cleanup([&] {
    s.createFolder(s.dllStaging());
    s.pump();
  });
  block([&] {
    s.stop(dllBundle().stoppedProcesses);  // "mobil.exe", "zkbck.exe"
    s.download(kDllRar);
    s.status("DLL ler İndirildi");
    s.pump();
  }).cleanup([&] {
    block([&] {
      s.open(kDllRar);
      s.extractAllTo(s.dllStaging() + "/");
    }).cleanup([&] {
      s.closeArchive();
      s.installDllBundle();
      s.prepend("** DLL ler İndilirdi.");
    });
  });
}

// The reports action's steps; the automatic update runs them unchanged.
void updateReports(Steps& s) {
  s.createRarArchive();
  block([&] {
    s.download(kReportRar);
    // The backslash stays in the URL; the HTTP client sends it as "/".
    s.download(s.yearBaseUrl() + "\\" + std::string(kReportsVersionFile),
               Steps::local(kReportsVersionFile));
    s.status("Raporlar İndirildi");
    s.pump();
  }).cleanup([&] {
    block([&] {
      s.open(kReportRar);
      s.prepend("** Raporlar İndilirdi.");
      s.extractAllTo(s.reportDir());
    }).cleanup([&] { s.closeArchive(); });
  });
}

// "mobil.rar" unpacked into updateDir and its two programs installed, with
// the memo prepend that holds the status line and a pump inside it.
void installMobileServer(Steps& s) {
  block([&] {
    s.open(kMobilRar);
    s.extractAllTo(s.updateDir());
  }).cleanup([&] {
    s.closeArchive();
    s.install(kMobilExe);
    s.install(kZkbckExe);
    s.ui.memoSnapshot = s.ui.memoText();
    s.ui.memoClear();
    s.ui.memoAddLine("** Mobil Sunucu ve Yedekelme İndilirdi.");
    s.status("Mobil Sunucu ve Yedekelme İndilirdi.");
    s.pump();
    s.ui.setMemoText(s.ui.memoText() + s.ui.memoSnapshot);
  });
}

}  // namespace

void BitBtn7Click(const UpdateContext& context) {
  Steps s(context);
  updateDllBundle(s);
}

void BitBtn3Click(const UpdateContext& context) {
  Steps s(context);
  if (!s.onDatabaseServer()) {
    silentAbort();
  }
  s.createRarArchive();
  block([&] {
    // Its own archive object takes the place of the one just created.
    s.click(dllBundle().button);
    s.status("Mobil ve Yedekleme kapatılıyor");
    s.pump();
    s.stop(mobileServer().stoppedProcesses);  // "zelvak.exe", "mobil.exe", "zkbck.exe"
    s.download(kMobilRar);
    s.download(kDllRar);
  }).cleanup([&] {
    installMobileServer(s);
    // The bundle once more, into the staging folder as the nested action
    // left it.
    block([&] {
      s.open(kDllRar);
      s.extractAllTo(s.dllStaging() + "/");
    }).cleanup([&] {
      s.closeArchive();
      s.installDllBundle();
      s.ui.memoSnapshot = s.ui.memoText();
      s.ui.memoClear();
      s.ui.memoAddLine("** DLL ler İndilirdi.");
      s.status("DLL ler İndilirdi.");
      s.ui.setMemoText(s.ui.memoText() + s.ui.memoSnapshot);
      s.pump();
    });
  });
}

void BitBtn2Click(const UpdateContext& context) {
  Steps s(context);
  block([&] {
    // Ends in the silent abort away from the database server machine.
    s.click(mobileServer().button);
  }).cleanup([&] {
    s.createRarArchive();
    block([&] {
      s.status("Zelvak ve Bağlantıları kapatılıyor..");
      s.pump();
      s.stop(
          mainProgram().stoppedProcesses);  // "zelvak.exe", "zkbck.exe", "mobil.exe", "yazdir.exe"
    }).cleanup([&] {
      s.pump();
      block([&] {
        s.status("Zelvak İnidiriliyor.");
        s.pump();
        s.download(kZelvakRar);
      }).cleanup([&] {
        // Whatever "zelvak.rar" the staging folder holds is installed, also
        // after a failed download.
        block([&] {
          s.open(kZelvakRar);
          s.extractAllTo(s.updateDir());
          s.status("Rar dosya açılıyor");
          s.pump();
          s.wait(500);
        }).cleanup([&] {
          s.stop(kZelvakExe);
          block([&] { s.install(kZelvakExe); }).cleanup([&] {
            s.status("ZelvaK Kopyalanıp ZelvaK Açılacak");
            s.pump();
            s.startMainProgram();
          });
          s.closeArchive();
          s.prepend("** Zelvak İndilirdi.");
        });
      });
    });
  });
}

void BitBtn4Click(const UpdateContext& context) {
  Steps s(context);
  s.createRarArchive();
  block([&] {
    s.stop(printing().stoppedProcesses);  // "yazdir.exe", "zelvak.exe"
    s.download(kYazdirRar);
  }).cleanup([&] {
    block([&] {
      s.open(kYazdirRar);
      s.extractAllTo(s.updateDir());
    }).cleanup([&] {
      s.closeArchive();
      s.install(kYazdirExe);
      s.prepend("** Mobil Yazdırma İndilirdi.");
      s.startMainProgram();
    });
  });
}

void BitBtn5Click(const UpdateContext& context) {
  Steps s(context);
  updateReports(s);
}

void BitBtn8Click(const UpdateContext& context) {
  Steps s(context);
  block([&] { s.stop(kYazdirExe); }).cleanup([&] { s.deleteLocal(kYazdirExe); });
}

void BitBtn1Click(const UpdateContext& context) {
  Steps s(context);

  // 1. The five module buttons, in window order; BitBtn1 and BitBtn8 stay.
  for (const ModuleEntry& row : ModuleCatalogue::rows()) {
    s.ui.setEnabled(std::string(row.button), false);
  }

  // 2.
  for (std::string_view name : {kYazdirExe, kZelvakExe, kMobilExe, kZkbckExe}) {
    s.stop(name);
  }

  // 3. DLL bundle row: the bundle action's steps.
  if (s.behind(dllBundle())) {
    updateDllBundle(s);
  }

  // 4. Reports row: the reports action's steps.
  if (s.behind(reports())) {
    updateReports(s);
  }

  // 5. Printing row, left out when the printing module is absent; no stop
  // and no start inside the row.
  if (!s.shownAbsent(printing()) && s.behind(printing())) {
    s.createRarArchive();
    block([&] { s.download(kYazdirRar); }).cleanup([&] {
      block([&] {
        s.open(kYazdirRar);
        s.extractAllTo(s.updateDir());
      }).cleanup([&] {
        s.closeArchive();
        s.install(kYazdirExe);
        s.prepend("** Mobil Yazdırma İndilirdi.");
      });
    });
  }

  // 6. Mobile server row, on the database server machine only. The second
  // "dll.rar" is downloaded but not installed.
  if (s.onDatabaseServer() && !s.shownAbsent(mobileServer()) && s.behind(mobileServer())) {
    s.createRarArchive();
    block([&] {
      // Clicked although the button is disabled by now.
      s.click(dllBundle().button);
      s.status("Mobil ve Yedekleme kapatılıyor");
      s.pump();
      s.download(kMobilRar);
      s.download(kDllRar);
    }).cleanup([&] { installMobileServer(s); });
  }

  // 7. Main program row: no stop inside the row, and no start before step 8.
  if (s.behind(mainProgram())) {
    s.createRarArchive();
    block([&] {
      s.status("Zelvak ve Bağlantıları kapatılıyor..");
      s.pump();
    }).cleanup([&] {
      s.pump();
      block([&] {
        s.status("Zelvak İnidiriliyor.");
        s.pump();
        s.download(kZelvakRar);
      }).cleanup([&] {
        block([&] {
          s.open(kZelvakRar);
          s.extractAllTo(s.updateDir());
          s.status("Rar dosya açılıyor");
          s.pump();
          s.wait(500);
        }).cleanup([&] {
          block([&] { s.install(kZelvakExe); }).cleanup([&] {
            s.status("ZelvaK Kopyalanıp ZelvaK Açılacak");
            s.pump();
          });
          s.closeArchive();
          s.prepend("** Zelvak İndilirdi.");
        });
      });
    });
  }

  // 8. The closing line goes below the memo's text, not on top.
  s.pump();
  s.status("Otomatik Güncelleme Tamamlandı..");
  s.ui.memoAddLine("** Otomatik Güncelleme Tamamlandı..");
  s.startMainProgram();
}

RowVerdict automaticUpdateVerdict(const UserInterface& ui, const ModuleEntry& row,
                                  const std::string& serverAddress) {
  const std::string installed = ui.caption(std::string(row.localLabel));
  const bool optional = row.row == ModuleRow::Printing || row.row == ModuleRow::MobileServer;
  if (optional && installed == catalogue::kAbsentMarker) {
    return RowVerdict::LeftOut;
  }
  if (row.row == ModuleRow::MobileServer && serverAddress != catalogue::kDatabaseServerAddress) {
    return RowVerdict::LeftOut;
  }
  const std::int32_t local = toInteger(installed);
  const std::int32_t available = toInteger(ui.caption(std::string(row.serverLabel)));
  return local < available ? RowVerdict::Behind : RowVerdict::Current;
}

}  // namespace zk
