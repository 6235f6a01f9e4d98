#include "versions/module_catalogue.h"

namespace zk {
namespace {

using Names = std::string_view;

constexpr Names kMainArchives[] = {"zelvak.rar"};
constexpr Names kMobileArchives[] = {"mobil.rar", "dll.rar"};
constexpr Names kPrintingArchives[] = {"yazdir.rar"};
constexpr Names kReportArchives[] = {"report.rar"};
constexpr Names kDllArchives[] = {"dll.rar"};

constexpr Names kMainInstalled[] = {"zelvak.exe"};
constexpr Names kMobileInstalled[] = {"mobil.exe", "zkbck.exe"};
constexpr Names kPrintingInstalled[] = {"yazdir.exe"};

constexpr Names kDllBundle[] = {
    "fbclient.dll",      "gds32.dll",      "inposext.dll", "InposExt.Net.dll",
    "libcrypto-1_1.dll", "libeay32.dll",   "libmysql.dll", "libssh2.dll",
    "libssl-1_1.dll",    "midas.dll",      "msvcr80.dll",  "QtCore4.dll",
    "QtGui4.dll",        "QtNetwork4.dll", "ssleay32.dll", "Microsoft.VC80.CRT.manifest",
    "verdl.txt",
};

constexpr Names kMainStops[] = {"zelvak.exe", "zkbck.exe", "mobil.exe", "yazdir.exe"};
constexpr Names kMobileStops[] = {"zelvak.exe", "mobil.exe", "zkbck.exe"};
constexpr Names kPrintingStops[] = {"yazdir.exe", "zelvak.exe"};
constexpr Names kDllStops[] = {"mobil.exe", "zkbck.exe"};

constexpr ModuleEntry kRows[] = {
    {ModuleRow::MainProgram, "main program", "Label5", "ZelvaK", "Label13", "13", "Label21", "21",
     "verzk.txt", RowCondition::Always, "BitBtn2", "1- ZelvaK", kMainArchives,
     ExtractionFolder::UpdateDir, kMainInstalled, "", kMainStops, "zelvak.exe",
     ModuleRow::MobileServer},
    {ModuleRow::MobileServer, "mobile server", "Label6", "Mobil", "Label14", "14", "Label22", "22",
     "vermb.txt", RowCondition::DatabaseServerMachine, "BitBtn3", "2- Mobil", kMobileArchives,
     ExtractionFolder::UpdateDir, kMobileInstalled, "verdl.txt", kMobileStops, "",
     ModuleRow::DllBundle},
    {ModuleRow::Printing, "printing", "Label7", "Yazdırma", "Label15", "15", "Label23", "23",
     "verpr.txt", RowCondition::PrintingInstalled, "BitBtn4", "3- Yazdırma", kPrintingArchives,
     ExtractionFolder::UpdateDir, kPrintingInstalled, "", kPrintingStops, "zelvak.exe",
     std::nullopt},
    {ModuleRow::Reports,
     "reports",
     "Label9",
     "Raporlar",
     "Label17",
     "17",
     "Label25",
     "25",
     "verrp.txt",
     RowCondition::Always,
     "BitBtn5",
     "4- Raporlar",
     kReportArchives,
     ExtractionFolder::ReportDir,
     {},
     "verrp.txt",
     {},
     "",
     std::nullopt},
    {ModuleRow::DllBundle, "DLL bundle", "Label12", "DLL'ler", "Label18", "18", "Label26", "26",
     "verdl.txt", RowCondition::Always, "BitBtn7", "5-  DLL", kDllArchives,
     ExtractionFolder::DllStaging, kDllBundle, "verdl.txt", kDllStops, "", std::nullopt},
};

constexpr ModuleRow kAutomaticOrder[] = {ModuleRow::DllBundle, ModuleRow::Reports,
                                         ModuleRow::Printing, ModuleRow::MobileServer,
                                         ModuleRow::MainProgram};

}  // namespace

std::span<const ModuleEntry> ModuleCatalogue::rows() {
  return kRows;
}

const ModuleEntry& ModuleCatalogue::row(ModuleRow row) {
  for (const ModuleEntry& entry : kRows) {
    if (entry.row == row) {
      return entry;
    }
  }
  return kRows[0];
}

std::span<const ModuleRow> ModuleCatalogue::automaticUpdateOrder() {
  return kAutomaticOrder;
}

std::span<const std::string_view> ModuleCatalogue::dllBundle() {
  return kDllBundle;
}

}  // namespace zk
