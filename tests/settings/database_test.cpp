#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/error.h"
#include "settings/data_module.h"
#include "tests/support/firebird_server.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

// -------------------------------------------------------- against the server

class DatabaseObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::firebirdPort()) {
      GTEST_SKIP() << test::kNoFirebirdServer;
    }
  }

  std::string database() const { return folder.file("firma.fdb"); }
  std::string connectionString() const { return test::firebirdServerAddress() + ":" + database(); }

  void openQuery(const std::string& sql) {
    dm.ibd.setDatabaseName(connectionString());
    dm.ib1.setSql(sql);
    dm.ib1.open();
  }

  // The attachments to the database other than isql's own.
  int otherAttachments() {
    const test::IsqlResult result = test::runInDatabase(
        database(),
        "SELECT 'N=' || COUNT(*) FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> "
        "CURRENT_CONNECTION AND MON$SYSTEM_FLAG = 0;");
    const std::size_t at = result.output.find("N=");
    return at == std::string::npos ? -1 : std::atoi(result.output.c_str() + at + 2);
  }

  test::TempFolder folder;
  Tdm dm;
};

TEST_F(DatabaseObjects, ErrorTextJoinsTheClientsLinesWithoutTheFinalStop) {
  dm.ibd.setDatabaseName(connectionString());  // no such file
  try {
    dm.ibd.connect();
    FAIL() << "connected";
  } catch (const DatabaseError& error) {
    const std::string text = error.what();
    EXPECT_EQ(error.sqlCode(), -902);
    EXPECT_EQ(error.errorCode(), 335544344L);  // isc_io_error
    EXPECT_TRUE(text.starts_with("I/O error during \"open\" operation for file")) << text;
    EXPECT_NE(text.find("\r\nError while trying to open file\r\n"), std::string::npos) << text;
    EXPECT_FALSE(text.ends_with(".")) << text;
    EXPECT_EQ(text.find('\n', 0), text.find("\r\n") + 1) << "lines end in CR LF";
  }
  EXPECT_FALSE(dm.ibd.connected());
}

TEST_F(DatabaseObjects, MissingPermissionIsItsOwnKind) {
  ASSERT_TRUE(test::createDatabase(database(), 3,
                                   "CREATE OR ALTER USER zkokur PASSWORD 'okur1';"
                                   "CREATE TABLE firmabilgi (yil INTEGER);"));
  dm.ibd.params = {"user_name=zkokur", "password=okur1", "lc_ctype=WIN1254"};
  try {
    openQuery("Select yil from firmabilgi");
    FAIL() << "opened";
  } catch (const DatabasePermissionError& error) {
    EXPECT_EQ(error.sqlCode(), -551);
    EXPECT_NE(std::string(error.what()).find("no permission"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(dm.ib1.active());
  EXPECT_THROW(dm.ib1.fieldAsText("yil"), Error);
}

TEST_F(DatabaseObjects, DescriptorGrowsToEveryColumnAndNamesMatchWithoutCase) {
  ASSERT_TRUE(
      test::createDatabase(database(), 3,
                           "CREATE TABLE t (a INTEGER, \"yil\" VARCHAR(4), c DATE, "
                           "d NUMERIC(6,2), e NUMERIC(9,3));"
                           "INSERT INTO t VALUES (1, '2024', '2024-02-29', 20.24, -0.005);"));
  openQuery("select a, \"yil\", c, d, e from t");
  EXPECT_EQ(dm.ib1.fieldAsText("A"), "1");
  EXPECT_EQ(dm.ib1.fieldAsText("YIL"), "2024");
  EXPECT_EQ(dm.ib1.fieldAsText("c"), "2024-02-29");
  EXPECT_EQ(dm.ib1.fieldAsText("d"), "20.24");
  EXPECT_EQ(dm.ib1.fieldAsText("e"), "-0.005");
  try {
    dm.ib1.fieldAsText("b");
    FAIL() << "no failure";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "ib1: Field 'b' not found");
  }
  dm.ibd.close();
  EXPECT_FALSE(dm.ibd.connected());
}

TEST_F(DatabaseObjects, DestroyingTheModuleEndsAnOpenTransactionAndDetaches) {
  ASSERT_TRUE(test::createDatabase(database(), 3, "CREATE TABLE baska (yil INTEGER);"));
  {
    Tdm module;
    module.ibd.setDatabaseName(connectionString());
    module.ib1.setSql("Select yil from firmabilgi");
    EXPECT_THROW(module.ib1.open(), DatabaseError);
    ASSERT_TRUE(module.IBTransaction1.inTransaction());
    EXPECT_EQ(otherAttachments(), 1);
  }
  EXPECT_EQ(otherAttachments(), 0);
}

TEST_F(DatabaseObjects, CommitThatFailsIsPassedOverSilently) {
  ASSERT_TRUE(test::createDatabase(database(), 3,
                                   "CREATE TABLE firmabilgi (yil INTEGER);"
                                   "INSERT INTO firmabilgi VALUES (2024);"));
  openQuery("Select yil from firmabilgi");
  EXPECT_EQ(dm.ib1.fieldAsText("yil"), "2024");
  // Another connection ends ours on the server: the commit fails.
  const test::IsqlResult ended = test::runInDatabase(
      database(), "DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION;");
  ASSERT_EQ(ended.exitCode, 0) << ended.output;

  EXPECT_NO_THROW(dm.ibd.close());
  EXPECT_FALSE(dm.IBTransaction1.inTransaction());
  EXPECT_FALSE(dm.ib1.allocated());
}

TEST_F(DatabaseObjects, FailedDetachIsRaisedAndLeavesTheConnection) {
  ASSERT_TRUE(test::createDatabase(database(), 3,
                                   "CREATE TABLE firmabilgi (yil INTEGER);"
                                   "INSERT INTO firmabilgi VALUES (2024);"));
  openQuery("Select yil from firmabilgi");
  // A transaction the data module does not know of keeps the server from
  // letting the connection go.
  FirebirdClient& client = dm.client();
  isc_tr_handle stray = 0;
  struct {
    isc_db_handle* database;
    ISC_LONG length;
    const char* parameters;
  } element{dm.ibd.handle(), 0, nullptr};
  ASSERT_EQ(client.startMultiple(client.status(), &stray, 1, &element), 0);

  try {
    dm.ibd.close();
    FAIL() << "detached";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.errorCode(), 335544357L) << error.what();  // isc_open_trans
    EXPECT_NE(std::string(error.what()).find("open transactions"), std::string::npos)
        << error.what();
  }
  EXPECT_TRUE(dm.ibd.connected());
  EXPECT_FALSE(dm.IBTransaction1.inTransaction());

  // The server has ended the connection meanwhile; the stray transaction
  // goes with it and the next close lets the handle go.
  client.rollbackTransaction(client.status(), &stray);
  EXPECT_NO_THROW(dm.ibd.close());
  EXPECT_FALSE(dm.ibd.connected());
}

}  // namespace
}  // namespace zk
