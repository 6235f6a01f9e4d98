#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace zk {

enum class ModuleRow { MainProgram, MobileServer, Printing, Reports, DllBundle };

// Where a module's archive is unpacked.
enum class ExtractionFolder { UpdateDir, DllStaging, ReportDir };

// When a module's installed version is shown instead of the "Yok" marker.
enum class RowCondition { Always, DatabaseServerMachine, PrintingInstalled };

struct ModuleEntry {
  ModuleRow row;
  std::string_view rowName;
  std::string_view captionLabel;
  std::string_view captionText;
  // The installed- and server-version labels and the numbers they are found by.
  std::string_view localLabel;
  std::string_view localLabelNumber;
  std::string_view serverLabel;
  std::string_view serverLabelNumber;
  std::string_view versionFile;
  RowCondition shownWhen;
  std::string_view button;
  std::string_view buttonCaption;
  std::span<const std::string_view> archives;
  ExtractionFolder extractedInto;
  std::span<const std::string_view> installedFiles;
  // The version file the update refreshes; empty when none.
  std::string_view refreshedVersionFile;
  std::span<const std::string_view> stoppedProcesses;
  // The program started at the end; empty when none.
  std::string_view startedProgram;
  std::optional<ModuleRow> runsFirst;
};

class ModuleCatalogue {
 public:
  // The five rows in window order: main program, mobile server, printing,
  // reports, DLL bundle.
  static std::span<const ModuleEntry> rows();
  static const ModuleEntry& row(ModuleRow row);
  // The order in which the automatic update works through the rows.
  static std::span<const ModuleRow> automaticUpdateOrder();
  // The files of the DLL bundle, installed in this order.
  static std::span<const std::string_view> dllBundle();
};

namespace catalogue {
// serverAddress of the machine that hosts the database (exact, case-sensitive).
inline constexpr std::string_view kDatabaseServerAddress = "localhost";
// Its presence decides whether the printing row counts.
inline constexpr std::string_view kPrintingPresenceFile = "yazici.exe";
// Shown instead of an installed version for an absent optional row.
inline constexpr std::string_view kAbsentMarker = "Yok";
inline constexpr std::string_view kMainProgram = "zelvak.exe";
inline constexpr std::string_view kPrintingProgram = "yazdir.exe";
inline constexpr std::string_view kLogoFile = "logo1024.png";
inline constexpr std::string_view kAnnouncementFile = "duyuru.txt";
// The sixth server text: fetched by the check, shown nowhere (no label 24).
inline constexpr std::string_view kExtraServerText = "verfg.txt";
inline constexpr std::string_view kExtraServerTextLabelNumber = "24";
inline constexpr std::string_view kSettingsFile = "zkayarlar.ini";
inline constexpr std::string_view kUpdateFolder = "update";
inline constexpr std::string_view kReportFolder = "report";
inline constexpr std::string_view kDllStagingFolder = "dll";
}  // namespace catalogue

}  // namespace zk
