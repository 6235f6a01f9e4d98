#include <gtest/gtest.h>

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/error.h"
#include "platform/win32/wide_text.h"
#include "settings/licence_year.h"
#include "tests/helpers/stand_in.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_folder.h"

// The licence-year lookup on Windows, through the data module loading
// "gds32.dll" by name as the program does. No Windows Firebird client or
// server can be reached from Wine here, so the library found is the test
// client of tests/gds32, which answers as a server with the company database
// (yil INTEGER) would. Its folder is added to the library search only while
// a test here runs, so the other tests still find no client library.
namespace zk {
namespace {

class ScopedLibraryFolder {
 public:
  explicit ScopedLibraryFolder(const std::string& folder) {
    SetDllDirectoryW(platform::win32::widen(test::nativePath(folder)).c_str());
  }
  ~ScopedLibraryFolder() { SetDllDirectoryW(nullptr); }
  ScopedLibraryFolder(const ScopedLibraryFolder&) = delete;
  ScopedLibraryFolder& operator=(const ScopedLibraryFolder&) = delete;
};

// The file the loaded "gds32.dll" came from, with "\" separators and in lower case.
std::string loadedClientFile() {
  const HMODULE module = GetModuleHandleW(L"gds32.dll");
  if (module == nullptr) {
    return "";
  }
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  std::string file = platform::win32::narrow(std::wstring(path, length));
  for (char& c : file) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return file;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    result.push_back(line);
  }
  return result;
}

class LicenceYearThroughTestClient : public ::testing::Test {
 protected:
  void SetUp() override { root = updateServerRoot(); }

  void lookUp(const std::string& serverAddress, const std::string& databasePath) {
    lookupLicenceYear(ui, dm, serverAddress, databasePath, yearBaseUrl, serverRootUrl);
  }
  std::vector<std::string> clientLog() const { return lines(test::readFile(logFile)); }

  // Set before the data module loads the library.
  test::ScopedEnvironment programsOwnLibrary{"ZK_FBCLIENT_LIBRARY", ""};
  ScopedLibraryFolder libraryFolder{ZK_TEST_GDS32_DIR};
  test::TempFolder folder;
  std::string logFile = folder.file("gds32.log");
  test::ScopedEnvironment log{"ZK_TEST_GDS32_LOG", logFile};
  test::ScopedEnvironment defaultYear{"ZK_TEST_LICENCE_YEAR", ""};
  test::ScopedEnvironment attachWorks{"ZK_TEST_GDS32_FAIL_ATTACH", ""};

  test::RecordingUi ui;
  Tdm dm;
  std::string root;
  std::string yearBaseUrl;
  std::string serverRootUrl;
};

TEST_F(LicenceYearThroughTestClient, YearFixesBothUrlsAndTheConnectionIsClosed) {
  std::string expectedFile = test::nativePath(std::string(ZK_TEST_GDS32_DIR) + "/gds32.dll");
  for (char& c : expectedFile) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  EXPECT_EQ(loadedClientFile(), expectedFile);

  lookUp("dbserver", "C:\\ZelvaK\\Şirket\\FIRMA.FDB");
  EXPECT_EQ(ui.caption("Label2"), "2027");
  EXPECT_EQ(yearBaseUrl, root + "2027/");
  EXPECT_EQ(serverRootUrl, root);
  EXPECT_EQ(ui.statusHistory, std::vector<std::string>{"Lisans Yılı Alınıyor."});
  EXPECT_FALSE(dm.ibd.connected());
  EXPECT_FALSE(dm.IBTransaction1.inTransaction());
  EXPECT_FALSE(dm.ib1.allocated());
  // The connection string reaches the client in Windows-1254 ("Ş" is 0xDE),
  // the user name from the parameter block; the client's detach succeeds only
  // once the transaction has ended.
  EXPECT_EQ(clientLog(), (std::vector<std::string>{
                             "attach\tdbserver:C:\\ZelvaK\\\xDEirket\\FIRMA.FDB\tsysdba",
                             "prepare\tSelect yil from firmabilgi",
                             "detach",
                         }));
}

TEST_F(LicenceYearThroughTestClient, YearTheDatabaseHoldsIsTheYearShown) {
  {
    test::ScopedEnvironment year("ZK_TEST_LICENCE_YEAR", "2031");
    lookUp("dbserver", "C:\\ZelvaK\\FIRMA.FDB");
    EXPECT_EQ(ui.caption("Label2"), "2031");
    EXPECT_EQ(yearBaseUrl, root + "2031/");
  }
  test::ScopedEnvironment year("ZK_TEST_LICENCE_YEAR", "NULL");
  lookUp("dbserver", "C:\\ZelvaK\\FIRMA.FDB");
  EXPECT_EQ(ui.caption("Label2"), "");
  EXPECT_EQ(yearBaseUrl, root + "/");
  EXPECT_FALSE(dm.ibd.connected());
}

TEST_F(LicenceYearThroughTestClient, UnreachableServerEndsAsMissingField) {
  test::ScopedEnvironment unreachable("ZK_TEST_GDS32_FAIL_ATTACH", "1");
  try {
    lookUp("dbserver", "C:\\ZelvaK\\FIRMA.FDB");
    FAIL() << "no failure";
  } catch (const DatabaseError& error) {
    FAIL() << "the database error came through: " << error.what();
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "ib1: Field 'yil' not found");
  }
  EXPECT_EQ(ui.caption("Label2"), "2020");
  EXPECT_EQ(yearBaseUrl, "");
  EXPECT_EQ(serverRootUrl, "");
  EXPECT_EQ(ui.status(), "Lisans Yılı Alınıyor.");
  EXPECT_FALSE(dm.ibd.connected());
  EXPECT_EQ(clientLog(),
            std::vector<std::string>{"attach\tdbserver:C:\\ZelvaK\\FIRMA.FDB\tsysdba"});
}

TEST_F(LicenceYearThroughTestClient, AttachFailureIsTheClientsNetworkError) {
  // The status vector's 64-bit entries and the message texts pass from the
  // client to the data module's error.
  test::ScopedEnvironment unreachable("ZK_TEST_GDS32_FAIL_ATTACH", "1");
  dm.ibd.setDatabaseName("dbserver:C:\\ZelvaK\\FIRMA.FDB");
  try {
    dm.ibd.connect();
    FAIL() << "no failure";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.sqlCode(), -902);
    EXPECT_EQ(error.errorCode(), 335544721L);  // isc_network_error
    EXPECT_STREQ(error.what(),
                 "Unable to complete network request to host \"dbserver\".\r\n"
                 "Failed to establish a connection");
  }
  EXPECT_FALSE(dm.ibd.connected());
}

}  // namespace
}  // namespace zk
