#include "tests/e2e/installation_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/text_encoding.h"
#include "platform/platform_names.h"
#include "tests/support/demo_fixture.h"
#include "tests/support/firebird_server.h"
#include "versions/module_catalogue.h"

namespace zk::test {
namespace {

namespace fs = std::filesystem;

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

void writeExecutable(const std::string& path, const std::string& bytes) {
  writeFile(path, bytes);
  chmod(path.c_str(), 0755);
}

}  // namespace

std::vector<ModuleArchive> moduleArchives(const std::string& version) {
  const std::string standIn = readFile(standInProgram());
  return buildModuleArchives(
      version, [&](const std::string& name) { return demoProgram(standIn, name, version); });
}

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    const std::string line = text.substr(start, end - start);
    if (line.rfind(prefix, 0) == 0) {
      lines.push_back(line.substr(prefix.size()));
    }
    start = end + 1;
  }
  return lines;
}

void InstallationTest::SetUp() {
  if (!firebirdPort() || environment("ZK_FIREBIRD_ROOT").empty()) {
    GTEST_SKIP() << kNoFirebirdServer;
  }
  firebirdRoot = environment("ZK_FIREBIRD_ROOT");
  collectOrphans();
  ASSERT_TRUE(createDatabase(database, 3,
                             "CREATE TABLE firmabilgi (yil INTEGER, unvan VARCHAR(60));\n"
                             "COMMIT;\n"
                             "INSERT INTO firmabilgi VALUES (" +
                                 std::string(kYear) + ", 'Örnek Ticaret A.Ş.');\n"));
}

void InstallationTest::TearDown() {
  started.reset();
  if (!serverRoot.empty() && serverRoot.find("/e2e-") != std::string::npos) {
    std::error_code ignored;
    fs::remove_all(serverRoot, ignored);
  }
}

bool InstallationTest::useNginx() {
  const std::string root = environment("ZK_NGINX_ROOT");
  const std::string port = environment("ZK_NGINX_PORT");
  if (root.empty() || port.empty()) {
    return false;
  }
  const std::string name =
      "e2e-" + std::to_string(getpid()) + "-" + fs::path(temp.path()).filename().string();
  serverRoot = root + "/" + name;
  serverUrl = "http://127.0.0.1:" + port + "/" + name + "/";
  return true;
}

std::vector<std::string> InstallationTest::nginxRequests() const {
  const std::string log = readFile(environment("ZK_NGINX_ACCESS_LOG"));
  const std::string folder = "/" + fs::path(serverRoot).filename().string() + "/";
  std::vector<std::string> requests;
  std::size_t start = 0;
  while (start < log.size()) {
    std::size_t end = log.find('\n', start);
    if (end == std::string::npos) {
      end = log.size();
    }
    const std::string line = log.substr(start, end - start);
    start = end + 1;
    const std::size_t quote = line.find("\"GET ");
    if (quote == std::string::npos || line.find(folder, quote) != quote + 5) {
      continue;
    }
    const std::size_t close = line.find('"', quote + 1);
    // "GET /target HTTP/1.1" STATUS BYTES -> "GET /target STATUS"
    const std::string request = line.substr(quote + 1, close - quote - 1);
    const std::string status = line.substr(close + 2, 3);
    requests.push_back(request.substr(0, request.rfind(' ')) + " " + status);
  }
  return requests;
}

std::string InstallationTest::workstation() const {
  return "127.0.0.1/" + std::to_string(firebirdPort().value_or(3050));
}

void InstallationTest::writeServer(const std::string& root, const std::set<std::string>& omit,
                                   const std::map<std::string, std::string>& archiveBytes) {
  const std::string year = root + "/" + kYear;
  fs::create_directories(year);
  const auto put = [&](const std::string& path, const std::string& bytes) {
    if (omit.count(path.substr(path.rfind('/') + 1)) == 0) {
      writeFile(path, bytes);
    }
  };
  put(root + "/" + platform::kArchiveLibraryFile,
      readFile(std::string(platform::kSystemArchiveLibraryFolder) + "/" +
               platform::kArchiveLibraryFile));
  put(root + "/" + std::string(catalogue::kLogoFile), demoPng());
  for (const VersionPair& pair : kVersions) {
    put(year + "/" + pair.file, pair.server);
  }
  put(year + "/" + std::string(catalogue::kExtraServerText), "1");
  put(year + "/" + std::string(catalogue::kAnnouncementFile), demoAnnouncement());
  for (const ModuleArchive& module : newArchives) {
    const auto replaced = archiveBytes.find(module.archive);
    put(year + "/" + module.archive,
        replaced != archiveBytes.end() ? replaced->second : rarArchive(module.items));
  }
}

void InstallationTest::writeInstallation(const std::string& serverAddress,
                                         const std::set<std::string>& current) {
  fs::create_directories(install + "/report");
  writeFile(install + "/zkayarlar.ini",
            utf8ToCp1254("; ZelvaK bağlantı ayarları\r\n[BAGLANTI]\r\nDB_ADRES=" + database +
                         "\r\nSUNUCU_IP=" + serverAddress + "\r\n"));
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
      writeExecutable(install + "/" + target->second, item.data);
    }
  }
}

ProgramResult InstallationTest::runUpdate(const std::string& rootUrl,
                                          const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> environment{
      {"FIREBIRD", firebirdRoot},        {"ZELVAK_UPDATE_ROOT", rootUrl},
      {"ZK_CONNECTIVITY", "online"},     {"ZK_STANDIN_MARK", startMark},
      {"ZK_DEMO_AUTOMATIC_UPDATE", "1"}, {"ZK_DEMO_TIMEOUT_SECONDS", "30"},
  };
  for (const auto& [name, value] : extra) {
    environment[name] = value;
  }
  return runProgram(install, environment, 40);
}

ProgramResult InstallationTest::runCommandLine(const std::string& rootUrl,
                                               const std::vector<std::string>& arguments,
                                               const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> environment{
      {"FIREBIRD", firebirdRoot},
      {"ZELVAK_UPDATE_ROOT", rootUrl},
      {"ZK_CONNECTIVITY", "online"},
      {"ZK_STANDIN_MARK", startMark},
  };
  for (const auto& [name, value] : extra) {
    environment[name] = value;
  }
  return runProgram(install, arguments, environment, 40);
}

std::optional<StandInMark> InstallationTest::startedMainProgram(std::chrono::milliseconds timeout) {
  auto mark = waitForMark(startMark, timeout);
  if (mark) {
    started = std::make_unique<AdoptedProcess>(mark->pid);
  }
  return mark;
}

std::map<std::string, std::string> InstallationTest::installedFiles() const {
  return installationFiles(install,
                           {platform::kArchiveLibraryFile, std::string(catalogue::kLogoFile),
                            std::string(catalogue::kAnnouncementFile)});
}

std::map<std::string, std::string> InstallationTest::serverNewFiles() const {
  return installedByUpdate(newArchives, versionOf("verrp.txt").server);
}

}  // namespace zk::test
