#include "tests/e2e_win32/update_site.h"

#include <filesystem>

#include "core/text_encoding.h"
#include "tests/helpers/stand_in.h"
#include "versions/module_catalogue.h"

namespace zk::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The built program and the libraries the site holds, as this program sees
// their paths (set by the build).
const std::string kProgram = ZK_E2E_PROGRAM;
// No Firebird client for Windows can be had here, so the installation's
// "gds32.dll" is the test client library of tests/gds32: it answers the
// licence-year lookup with 2027 as a server with the company database would.
// Everything else is real: Winsock on loopback, the Windows 7-Zip library,
// Wine's processes and windows.
const std::string kTestDatabaseClient = ZK_E2E_TEST_GDS32;
const std::string kArchiveLibrary = ZK_E2E_ARCHIVE_LIBRARY;

// The server's logo: a valid 1x1 PNG picture.
const std::string kLogo(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01"
    "\x00\x00\x00\x01\x08\x02\x00\x00\x00\x90\x77\x53\xde\x00\x00\x00\x0c\x49\x44\x41"
    "\x54\x78\x9c\x63\x60\x68\x60\x00\x00\x01\x04\x00\x81\x70\xf6\xc7\xa5\x00\x00\x00"
    "\x00\x49\x45\x4e\x44\xae\x42\x60\x82",
    69);

// Whether this session can show windows at all (Wine needs its display).
bool windowsCanBeShown() {
  const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
  if (probe == nullptr) {
    return false;
  }
  DestroyWindow(probe);
  return true;
}

}  // namespace

std::vector<ModuleArchive> moduleArchives(const std::string& version) {
  const std::string standIn = readFile(standInProgram());
  // A library with bytes appended still loads.
  const std::string client = readFile(kTestDatabaseClient);
  return buildModuleArchives(
      version,
      [&](const std::string& name) {
        return standIn + "\nZELVAK-TEST " + name + " " + version + "\n";
      },
      {{"gds32.dll", version == "new" ? client + "\nZELVAK-TEST gds32.dll new\n" : client}});
}

void UpdateSiteTest::SetUp() {
  if (!windowsCanBeShown()) {
    GTEST_SKIP() << "no windows can be shown in this session (Wine needs a display): run the "
                    "tests through scripts/test.sh, which starts one";
  }
  for (const std::string& built : {kProgram, kTestDatabaseClient, kArchiveLibrary}) {
    ASSERT_TRUE(fs::is_regular_file(built)) << built << " is missing";
  }
}

void UpdateSiteTest::TearDown() {
  if (program_) {
    const int id = program_->processId();
    program_.reset();
    for (const int child : childProcessesNamed(id, "zelvak.exe")) {
      endProcess(child);
    }
  }
}

void UpdateSiteTest::writeServer(const std::string& root,
                                 const std::map<std::string, std::string>& archiveBytes) {
  const std::string year = root + "/" + kYear;
  fs::create_directories(year);
  writeFile(root + "/7z.dll", readFile(kArchiveLibrary));
  writeFile(root + "/" + std::string(catalogue::kLogoFile), kLogo);
  for (const VersionPair& pair : kVersions) {
    writeFile(year + "/" + pair.file, pair.server);
  }
  writeFile(year + "/" + std::string(catalogue::kExtraServerText), "1");
  writeFile(year + "/" + std::string(catalogue::kAnnouncementFile),
            utf8ToCp1254("ZelvaK 2027 güncellemeleri yayında.\r\n"
                         "Şubat ayı e-Fatura değişiklikleri için lütfen güncelleyiniz.\r\n"));
  for (const ModuleArchive& module : newArchives) {
    const auto replaced = archiveBytes.find(module.archive);
    writeFile(year + "/" + module.archive,
              replaced != archiveBytes.end() ? replaced->second : rarArchive(module.items));
  }
}

void UpdateSiteTest::writeInstallation(const std::set<std::string>& current) {
  fs::create_directories(install + "/report");
  writeFile(install + "/zkayarlar.ini",
            utf8ToCp1254("; ZelvaK bağlantı ayarları\r\n[BAGLANTI]\r\n"
                         "DB_ADRES=C:\\ZelvaK\\Data\\zelvak.fdb\r\nSUNUCU_IP=localhost\r\n"));
  for (const VersionPair& pair : kVersions) {
    writeFile(install + "/" + pair.file, current.count(pair.file) ? pair.server : pair.installed);
  }
  writeFile(install + "/yazici.exe", "yazıcı sürücüsü\n");
  for (const ModuleArchive& module : oldArchives) {
    for (const RarItem& item : module.items) {
      const auto target = module.installs.find(item.name);
      if (target == module.installs.end() || target->second == module.versionFile) {
        continue;  // version files are written above
      }
      fs::create_directories(fs::path(install + "/" + target->second).parent_path());
      writeFile(install + "/" + target->second, item.data);
    }
  }
}

void UpdateSiteTest::writeEarlierStaging() {
  fs::create_directories(install + "/update");
  for (const ModuleArchive& earlier : oldArchives) {
    writeFile(install + "/update/" + earlier.archive, rarArchive(earlier.items));
  }
}

ProgramWindow& UpdateSiteTest::startProgram(const std::string& rootUrl,
                                            const std::vector<std::string>& arguments) {
  const std::map<std::string, std::string> environment{
      {"ZELVAK_UPDATE_ROOT", rootUrl},
      {"ZK_CONNECTIVITY", "online"},
      {"ZK_AUTO_CLOSE_MESSAGE_BOXES", "1"},
      {"ZK_DEMO_AUTOMATIC_UPDATE", ""},
      // Only the copy the start-up fetches from the server is ever loaded.
      {"ZK_ARCHIVE_LIBRARY_FOLDERS", nativePath(install)},
      // The stand-in started as the main program writes where it runs.
      {"ZK_STANDIN_MARK", nativePath(startMark)},
  };
  program_ =
      std::make_unique<ProgramWindow>(kProgram, install, environment, temp.path(), arguments);
  return *program_;
}

::testing::AssertionResult UpdateSiteTest::waitForServerCheck(ProgramWindow& program) {
  if (!program.waitForWindow(60s)) {
    return ::testing::AssertionFailure() << "no main window; standard error:\n"
                                         << program.standardError();
  }
  const bool checked = program.waitUntil(
      [&] { return program.enabled("BitBtn1") && program.text("Label19") == kCheckDone; }, 60s);
  if (!checked) {
    return ::testing::AssertionFailure()
           << "the server check did not finish: status \"" << program.text("Label19").value_or("?")
           << "\"; standard error:\n"
           << program.standardError();
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult UpdateSiteTest::pressAutomaticUpdate(ProgramWindow& program) {
  if (auto checked = waitForServerCheck(program); !checked) {
    return checked;
  }
  // The check's handler ignores clicks until it has returned, which it does
  // just after the status above; a click that comes that early is lost, as
  // a user's would be, and the user clicks again. The update has begun once
  // it has greyed the module buttons. A second click that arrives while the
  // update runs is ignored in the same way, so it never starts another.
  for (int attempt = 0; attempt < 10; ++attempt) {
    program.click("BitBtn1");
    if (program.waitUntil([&] { return !program.enabled("BitBtn2"); }, 500ms)) {
      return ::testing::AssertionSuccess();
    }
  }
  return ::testing::AssertionFailure() << "\"Otomatik Güncelle\" did not start the update";
}

::testing::AssertionResult UpdateSiteTest::waitForUpdateEnd(ProgramWindow& program) {
  // A failure ends the update with its box, which goes to standard error.
  const bool ended = program.waitUntil(
      [&] {
        return !program.errorLines("ERROR: ").empty() || program.text("Label19") == kUpdateDone;
      },
      120s);
  if (!ended) {
    return ::testing::AssertionFailure()
           << "the update did not end: status \"" << program.text("Label19").value_or("?")
           << "\"; standard error:\n"
           << program.standardError();
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult UpdateSiteTest::closeNormally(ProgramWindow& program) {
  program.close();
  const std::optional<int> code = program.waitForExit(60s);
  for (const int child : childProcessesNamed(program.processId(), "zelvak.exe")) {
    started.push_back(child);
  }
  if (!code) {
    return ::testing::AssertionFailure() << "the program did not end after WM_CLOSE";
  }
  if (*code != 0) {
    return ::testing::AssertionFailure()
           << "the program ended with exit code " << *code << "; standard error:\n"
           << program.standardError();
  }
  return ::testing::AssertionSuccess();
}

std::map<std::string, std::string> UpdateSiteTest::installedFiles() const {
  return installationFiles(install, {"7z.dll", std::string(catalogue::kLogoFile),
                                     std::string(catalogue::kAnnouncementFile)});
}

std::map<std::string, std::string> UpdateSiteTest::serverNewFiles() const {
  return installedByUpdate(newArchives, versionOf("verrp.txt").server);
}

}  // namespace zk::test
