#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/error.h"
#include "settings/licence_year.h"
#include "tests/support/firebird_server.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

class LicenceYear : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::firebirdPort()) {
      GTEST_SKIP() << test::kNoFirebirdServer;
    }
    ::unsetenv("ZELVAK_UPDATE_ROOT");
    root = updateServerRoot();
  }

  std::string database() const { return folder.file("firma.fdb"); }

  // Creates the company database with the statements, then looks the year up.
  void lookUp(int dialect, const std::string& sql) {
    ASSERT_TRUE(test::createDatabase(database(), dialect, sql));
    lookupLicenceYear(ui, dm, test::firebirdServerAddress(), database(), yearBaseUrl,
                      serverRootUrl);
  }

  // The state a failure before the fetch leaves behind.
  void expectUntouched() {
    EXPECT_EQ(ui.caption("Label2"), "2020");
    EXPECT_EQ(yearBaseUrl, "");
    EXPECT_EQ(serverRootUrl, "");
    EXPECT_EQ(ui.status(), "Lisans Yılı Alınıyor.");
  }

  test::TempFolder folder;
  test::RecordingUi ui;
  Tdm dm;
  std::string root;
  std::string yearBaseUrl;
  std::string serverRootUrl;
};

TEST_F(LicenceYear, IntegerYearFixesBothUrlsAndClosesTheConnection) {
  lookUp(3,
         "CREATE TABLE firmabilgi (firma VARCHAR(40), yil INTEGER);"
         "INSERT INTO firmabilgi VALUES ('Deneme', 2024);");
  EXPECT_EQ(ui.caption("Label2"), "2024");
  EXPECT_EQ(yearBaseUrl, root + "2024/");
  EXPECT_EQ(serverRootUrl, root);
  EXPECT_EQ(ui.statusHistory, std::vector<std::string>{"Lisans Yılı Alınıyor."});
  EXPECT_EQ(ui.pumps, 2);
  EXPECT_FALSE(dm.ibd.connected());
  EXPECT_FALSE(dm.IBTransaction1.inTransaction());
  EXPECT_FALSE(dm.ib1.allocated());
  EXPECT_EQ(dm.ibd.databaseName(), test::firebirdServerAddress() + ":" + database());
}

TEST_F(LicenceYear, CharYearKeepsItsTrailingBlanksInTheUrl) {
  lookUp(3, "CREATE TABLE firmabilgi (yil CHAR(6)); INSERT INTO firmabilgi VALUES ('2024');");
  EXPECT_EQ(ui.caption("Label2"), "2024  ");
  EXPECT_EQ(yearBaseUrl, root + "2024  /");
}

TEST_F(LicenceYear, VarcharYearArrivesInWindows1254AndIsShownAsUnicode) {
  lookUp(3,
         "CREATE TABLE firmabilgi (yil VARCHAR(20)); "
         "INSERT INTO firmabilgi VALUES ('2024-Şİğ');");
  EXPECT_EQ(ui.caption("Label2"), "2024-Şİğ");
  EXPECT_EQ(yearBaseUrl, root + "2024-Şİğ/");
}

TEST_F(LicenceYear, SmallintAndBigintAndNegativeYears) {
  lookUp(3,
         "CREATE TABLE t (yil BIGINT); INSERT INTO t VALUES (-9223372036854775808);"
         "CREATE VIEW firmabilgi (yil) AS SELECT yil FROM t;");
  EXPECT_EQ(ui.caption("Label2"), "-9223372036854775808");
}

TEST_F(LicenceYear, NullYearGivesEmptyCaptionAndDoubleSlash) {
  lookUp(3, "CREATE TABLE firmabilgi (yil INTEGER); INSERT INTO firmabilgi VALUES (NULL);");
  EXPECT_EQ(ui.caption("Label2"), "");
  EXPECT_EQ(yearBaseUrl, root + "/");
  EXPECT_EQ(serverRootUrl, root);
}

TEST_F(LicenceYear, EmptyTableIsNoError) {
  lookUp(3, "CREATE TABLE firmabilgi (yil INTEGER);");
  EXPECT_EQ(ui.caption("Label2"), "");
  EXPECT_TRUE(yearBaseUrl.ends_with("//"));
  EXPECT_FALSE(dm.ibd.connected());
}

TEST_F(LicenceYear, SeveralRowsGiveTheFirstRowDelivered) {
  lookUp(3,
         "CREATE TABLE firmabilgi (yil SMALLINT);"
         "INSERT INTO firmabilgi VALUES (2023);"
         "INSERT INTO firmabilgi VALUES (2024);"
         "INSERT INTO firmabilgi VALUES (2025);");
  EXPECT_EQ(ui.caption("Label2"), "2023");
  EXPECT_FALSE(dm.ibd.connected());
}

TEST_F(LicenceYear, DialectOneDatabaseIsReadWithDialectOne) {
  // In dialect 1 a NUMERIC(15,2) is a double precision column.
  lookUp(1,
         "CREATE TABLE firmabilgi (yil INTEGER, tutar NUMERIC(15,2));"
         "INSERT INTO firmabilgi VALUES (2019, 1.5);");
  EXPECT_EQ(ui.caption("Label2"), "2019");
  EXPECT_EQ(dm.ibd.sqlDialect(), 1);
}

TEST_F(LicenceYear, MissingTableIsReportedAsMissingField) {
  ASSERT_TRUE(test::createDatabase(database(), 3, "CREATE TABLE baska (yil INTEGER);"));
  try {
    lookupLicenceYear(ui, dm, test::firebirdServerAddress(), database(), yearBaseUrl,
                      serverRootUrl);
    FAIL() << "no failure";
  } catch (const DatabaseError& error) {
    FAIL() << "the database error came through: " << error.what();
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "ib1: Field 'yil' not found");
  }
  expectUntouched();
  EXPECT_EQ(ui.pumps, 1);
  // The connection and its transaction stay open until the data module goes.
  EXPECT_TRUE(dm.ibd.connected());
  EXPECT_TRUE(dm.IBTransaction1.inTransaction());
}

TEST_F(LicenceYear, UnreachableServerIsReportedAsMissingField) {
  // Port 1 on loopback refuses the connection.
  EXPECT_THROW(
      {
        try {
          lookupLicenceYear(ui, dm, "localhost/1", database(), yearBaseUrl, serverRootUrl);
        } catch (const DatabaseError&) {
          ADD_FAILURE() << "the network error came through";
          throw;
        } catch (const Error& error) {
          EXPECT_STREQ(error.what(), "ib1: Field 'yil' not found");
          throw;
        }
      },
      Error);
  expectUntouched();
  EXPECT_FALSE(dm.ibd.connected());
}

TEST_F(LicenceYear, WrongPasswordIsReportedAsMissingField) {
  ASSERT_TRUE(test::createDatabase(database(), 3, "CREATE TABLE firmabilgi (yil INTEGER);"));
  dm.ibd.params = {"user_name=sysdba", "password=yanlis", "lc_ctype=WIN1254"};
  try {
    lookupLicenceYear(ui, dm, test::firebirdServerAddress(), database(), yearBaseUrl,
                      serverRootUrl);
    FAIL() << "no failure";
  } catch (const DatabaseError& error) {
    FAIL() << "the database error came through: " << error.what();
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "ib1: Field 'yil' not found");
  }
  expectUntouched();
}

TEST_F(LicenceYear, FailedFetchSetsEmptyYearClosesAndRaisesItsOwnError) {
  // The conversion fails only when the row is fetched.
  ASSERT_TRUE(test::createDatabase(
      database(), 3,
      "CREATE TABLE t (metin VARCHAR(10)); INSERT INTO t VALUES ('yirmiğ');"
      "CREATE VIEW firmabilgi (yil) AS SELECT CAST(metin AS INTEGER) FROM t;"));
  try {
    lookupLicenceYear(ui, dm, test::firebirdServerAddress(), database(), yearBaseUrl,
                      serverRootUrl);
    FAIL() << "no failure";
  } catch (const DatabaseError& error) {
    // The client sends the text in the connection's character set.
    EXPECT_NE(std::string(error.what()).find("conversion error from string \"yirmiğ\""),
              std::string::npos)
        << error.what();
    EXPECT_FALSE(std::string(error.what()).ends_with(".")) << error.what();
    EXPECT_EQ(error.sqlCode(), -413);
    EXPECT_EQ(error.errorCode(), 335544334L);  // isc_convert_error
  }
  EXPECT_EQ(ui.caption("Label2"), "");
  EXPECT_EQ(yearBaseUrl, root + "/");
  EXPECT_EQ(serverRootUrl, root);
  EXPECT_EQ(ui.pumps, 2);
  EXPECT_FALSE(dm.ibd.connected());
}

TEST_F(LicenceYear, EmptyServerAddressIsPassedUnchanged) {
  // ":" + path is a local path to the client library, not a server.
  EXPECT_THROW(lookupLicenceYear(ui, dm, "", folder.file("yok.fdb"), yearBaseUrl, serverRootUrl),
               Error);
  EXPECT_EQ(dm.ibd.databaseName(), ":" + folder.file("yok.fdb"));
  expectUntouched();
}

TEST(UpdateServerRoot, FixedHttpRootOrTheEnvironmentsOwn) {
  ::unsetenv("ZELVAK_UPDATE_ROOT");
  const std::string fixed = updateServerRoot();
  EXPECT_TRUE(fixed.starts_with("http://"));
  EXPECT_TRUE(fixed.ends_with("/"));
  ::setenv("ZELVAK_UPDATE_ROOT", "http://127.0.0.1:8080/ayna", 1);
  EXPECT_EQ(updateServerRoot(), "http://127.0.0.1:8080/ayna/");
  ::setenv("ZELVAK_UPDATE_ROOT", "", 1);
  EXPECT_EQ(updateServerRoot(), fixed);
  ::unsetenv("ZELVAK_UPDATE_ROOT");
}

}  // namespace
}  // namespace zk
