// Update actions with signed updates on: the printing module's action against
// a loopback file server whose year folder the real minisign tool signed, the
// archives unpacked by the real 7-Zip library. Every refused case leaves the
// working directory byte for byte as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/error.h"
#include "install/sevenzip/sevenzip.h"
#include "install/update_actions.h"
#include "install/update_operations_window.h"
#include "tests/helpers/stand_in.h"
#include "tests/support/fake_update_operations.h"
#include "tests/support/file_http_server.h"
#include "tests/support/minisign_tool.h"
#include "tests/support/rar_writer.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_folder.h"
#include "transfer/http_client.h"
#include "trust/signed_updates.h"
#include "versions/server_version_check.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using test::RarItem;
using Snapshot = std::map<std::string, std::string>;

const std::string kSilent = "(silent abort)";

// Every file below `folder` with its bytes.
Snapshot snapshot(const std::string& folder) {
  Snapshot files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string relative = fs::relative(entry.path(), folder).generic_string();
    files[relative] = entry.is_regular_file() ? test::readFile(entry.path().string()) : "<folder>";
  }
  return files;
}

std::string printingArchive(const std::string& version) {
  return test::rarArchive({RarItem::file("yazdir.exe", "yazdir " + version)});
}

class SignedPrintingUpdate : public ::testing::Test {
 protected:
  SignedPrintingUpdate() {
    test::collectOrphans();
    fs::create_directories(server.file("2027"));
    fs::create_directories(work.file("update"));
    fs::create_directories(work.file("report"));
    test::writeFile(server.file("2027/yazdir.rar"), printingArchive("new"));
    test::writeFile(server.file("2027/verpr.txt"), "5");
    test::writeFile(work.file("yazdir.exe"), "yazdir installed");
    // An archive an earlier run left in the staging folder.
    test::writeFile(work.file("update/yazdir.rar"), printingArchive("previous"));
    applyConfiguredClientSettings(IdHTTP1);
  }

  void sign(std::int64_t timestamp = 1000, const test::MinisignKey* by = nullptr) {
    (by != nullptr ? *by : key)
        .signFolder(server.file("2027"), {"yazdir.rar", "verpr.txt"}, timestamp);
  }
  // The floor of the year folder as an earlier run left it.
  void floorAt(std::int64_t timestamp) {
    test::writeFile(work.file("zkimza.txt"),
                    std::to_string(timestamp) + " " + http.url("/2027") + "\n");
  }

  std::string run() {
    trust::SignedUpdates trust(key.publicKeyLine(), work.file("zkimza.txt"),
                               [](const std::string& url) {
                                 HttpClient client;
                                 return client.GetText(url);
                               });
    WindowUpdateOperations operations(ui, IdHTTP1, archive, &trust);
    UpdateContext context{
        ui, operations, http.url("/2027/"), work.file("update"), work.file("report"), "server"};
    try {
      BitBtn4Click(context);
      return "";
    } catch (const AbortError&) {
      return kSilent;
    } catch (const Error& error) {
      return error.message();
    }
  }

  // The action refused `file` for `reason` and changed nothing.
  void expectRefused(const std::string& reason, const std::string& file = "yazdir.rar") {
    const Snapshot before = snapshot(work.path());
    EXPECT_EQ(run(), kSilent);
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{file + " dosyası doğrulanamadı (" + reason +
                                        "). Güncelleme yapılmadı, hiçbir dosya yüklenmedi."}));
    EXPECT_EQ(snapshot(work.path()), before);
  }

  test::MinisignKey key;
  test::TempFolder server;
  test::TempFolder work;
  test::ScopedWorkingDirectory cwd{work.path()};
  test::FileHttpServer http{server.path()};
  test::ActionLog log{work.path()};
  test::LoggingUi ui{log};
  HttpClient IdHTTP1;
  ArchiveSlot archive;
};

TEST_F(SignedPrintingUpdate, AGoodUpdateInstallsAfterTheListAndItsSignature) {
  sign(1000);
  EXPECT_EQ(run(), "");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(test::readFile(work.file("yazdir.exe")), "yazdir new");
  EXPECT_EQ(http.requestedTargets(),
            (std::vector<std::string>{"/2027/SHA256SUMS", "/2027/SHA256SUMS.minisig",
                                      "/2027/yazdir.rar"}));
  EXPECT_EQ(test::readFile(work.file("zkimza.txt")), "1000 " + http.url("/2027") + "\n");
}

TEST_F(SignedPrintingUpdate, AnArchiveAlteredByOneByteIsNeitherStoredNorInstalled) {
  sign();
  floorAt(1000);
  std::string archiveBytes = test::readFile(server.file("2027/yazdir.rar"));
  archiveBytes[archiveBytes.size() / 2] ^= 1;
  test::writeFile(server.file("2027/yazdir.rar"), archiveBytes);
  expectRefused("dosya imzalı listedekiyle aynı değil");
}

TEST_F(SignedPrintingUpdate, AnArchiveMissingFromTheListIsRefused) {
  key.signFolder(server.file("2027"), {"verpr.txt"}, 1000);
  floorAt(1000);
  expectRefused("dosya imzalı listede yok");
}

TEST_F(SignedPrintingUpdate, AListSignedByAnotherKeyIsRefused) {
  test::MinisignKey other;
  sign(1000, &other);
  floorAt(1000);
  expectRefused("dosya listesi başka bir anahtarla imzalanmış");
}

TEST_F(SignedPrintingUpdate, AListWithABadSignatureIsRefused) {
  sign();
  floorAt(1000);
  const std::string list = test::readFile(server.file("2027/SHA256SUMS"));
  // The list swapped for one naming the altered archive, the signature kept.
  test::writeFile(server.file("2027/yazdir.rar"), printingArchive("evil"));
  fs::remove(server.file("2027/SHA256SUMS"));
  test::runShell("cd '" + server.file("2027") + "' && sha256sum yazdir.rar verpr.txt > SHA256SUMS");
  ASSERT_NE(test::readFile(server.file("2027/SHA256SUMS")), list);
  expectRefused("dosya listesinin imzası geçersiz");
}

TEST_F(SignedPrintingUpdate, ATruncatedSignatureFileIsRefused) {
  sign();
  floorAt(1000);
  const std::string signature = test::readFile(server.file("2027/SHA256SUMS.minisig"));
  test::writeFile(server.file("2027/SHA256SUMS.minisig"),
                  signature.substr(0, signature.size() - 20));
  expectRefused("dosya listesinin imzası okunamadı");
}

TEST_F(SignedPrintingUpdate, AMissingListIsRefusedBeforeTheArchiveIsAskedFor) {
  floorAt(1000);
  expectRefused("sunucuda imzalı dosya listesi bulunamadı");
  EXPECT_EQ(http.requestedTargets(), (std::vector<std::string>{"/2027/SHA256SUMS"}));
}

TEST_F(SignedPrintingUpdate, AnOlderListIsRefusedANewerOneAcceptedAndTheFloorMoves) {
  sign(1000);
  floorAt(1500);
  expectRefused("dosya listesi daha önce kabul edilenden eski");

  ui.messages.clear();
  sign(2000);
  EXPECT_EQ(run(), "");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(test::readFile(work.file("yazdir.exe")), "yazdir new");
  EXPECT_EQ(test::readFile(work.file("zkimza.txt")), "2000 " + http.url("/2027") + "\n");
}

// With signing off the requests are those of a program without it, byte for
// byte: the same action and version text once through the operations without
// signed updates and once with signed updates present but off.
TEST(SigningOff, SendsExactlyTheRequestsOfTheProgramWithoutIt) {
  std::vector<std::string> runs[2];
  for (int withTrustObject = 0; withTrustObject < 2; ++withTrustObject) {
    test::collectOrphans();
    test::TempFolder work;
    fs::create_directories(work.path() + "/update");
    test::ScopedWorkingDirectory cwd(work.path());
    test::ScriptedHttpServer server;
    const std::string archiveBytes = printingArchive("new");
    for (const std::string& body : {std::string("5"), archiveBytes}) {
      server.addConnection(
          {test::ScriptedHttpServer::request(),
           test::ScriptedHttpServer::send(test::httpAnswer(
               "HTTP/1.1 200 OK",
               {"Content-Length: " + std::to_string(body.size()), "Connection: close"}, body)),
           test::ScriptedHttpServer::close()});
    }
    test::ActionLog log(work.path());
    test::LoggingUi ui(log);
    HttpClient IdHTTP1;
    applyConfiguredClientSettings(IdHTTP1);
    ArchiveSlot archive;
    trust::SignedUpdates off;
    trust::SignedUpdates* trust = withTrustObject == 1 ? &off : nullptr;
    textbak(ui, server.url("/2027/verpr.txt"), "16", trust);
    WindowUpdateOperations operations(ui, IdHTTP1, archive, trust);
    UpdateContext context{
        ui,      operations, server.url("/2027/"), work.path() + "/update", work.path() + "/report",
        "server"};
    BitBtn4Click(context);
    EXPECT_EQ(test::readFile(work.path() + "/yazdir.exe"), "yazdir new");
    for (const auto& request : server.requests()) {
      // The port differs between the two servers; everything else must not.
      std::string raw = request.raw;
      const std::string port = std::to_string(server.port());
      for (std::size_t at; (at = raw.find(port)) != std::string::npos;) {
        raw.replace(at, port.size(), "PORT");
      }
      runs[withTrustObject].push_back(raw);
    }
  }
  EXPECT_EQ(runs[0].size(), 2u);
  EXPECT_EQ(runs[0], runs[1]);
}

}  // namespace
}  // namespace zk
