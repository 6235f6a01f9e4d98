#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "settings/firebird_client.h"

namespace zk {

class DatabaseTransaction;
class DatabaseQuery;

// Builds a database parameter block from "name=value" lines: the version
// byte, then per non-empty line the tag of the name (lowercased, a leading
// "isc_dpb_" dropped), one length byte and the value's bytes. An unknown
// name, or a value longer than 255 bytes, is an Error.
std::string buildDatabaseParameterBlock(const std::vector<std::string>& lines);

// A cursor name of eight decimal digits from the program's random numbers.
std::string randomCursorName();

// The database connection (ibd).
class DatabaseConnection {
 public:
  explicit DatabaseConnection(FirebirdClient& client);
  DatabaseConnection(const DatabaseConnection&) = delete;
  DatabaseConnection& operator=(const DatabaseConnection&) = delete;

  // The parameter lines the connection attaches with.
  std::vector<std::string> params;

  // Only while closed (an Error otherwise).
  void setDatabaseName(const std::string& name);
  const std::string& databaseName() const { return databaseName_; }

  bool connected() const { return handle_ != 0; }
  // Attaches unless attached, then asks for the database's dialect.
  void connect();
  // Ends the open transaction with a forced commit (silent), closes and drops
  // the statements, then detaches. A failed detach is raised and leaves the
  // connection attached.
  void close();
  // Like close(), but nothing is ever raised.
  void closeSilently() noexcept;

  // The dialect every statement is run with: 3, or the database's own when lower.
  unsigned short sqlDialect() const { return sqlDialect_; }
  const std::string& parameterBlock() const { return parameterBlock_; }

  isc_db_handle* handle() { return &handle_; }
  FirebirdClient& client() { return client_; }
  void setDefaultTransaction(DatabaseTransaction* transaction) { transaction_ = transaction; }
  void addQuery(DatabaseQuery* query) { queries_.push_back(query); }

 private:
  void readDatabaseDialect();
  void endTransactionAndStatements();

  FirebirdClient& client_;
  std::string databaseName_;
  std::string parameterBlock_;
  isc_db_handle handle_ = 0;
  unsigned short sqlDialect_ = 3;
  DatabaseTransaction* transaction_ = nullptr;
  std::vector<DatabaseQuery*> queries_;
};

// The transaction (IBTransaction1): started with the server's default options.
class DatabaseTransaction {
 public:
  explicit DatabaseTransaction(DatabaseConnection& database);
  DatabaseTransaction(const DatabaseTransaction&) = delete;
  DatabaseTransaction& operator=(const DatabaseTransaction&) = delete;

  bool inTransaction() const { return handle_ != 0; }
  void start();
  // Closes the queries running in it, commits, and when the commit fails
  // rolls back; the handle is cleared and no commit failure is raised.
  void commitForced();

  isc_tr_handle* handle() { return &handle_; }
  void addQuery(DatabaseQuery* query) { queries_.push_back(query); }

 private:
  DatabaseConnection& database_;
  isc_tr_handle handle_ = 0;
  std::vector<DatabaseQuery*> queries_;
};

// A query (ib1) read through its first row only.
class DatabaseQuery {
 public:
  DatabaseQuery(std::string name, DatabaseConnection& database, DatabaseTransaction& transaction);
  ~DatabaseQuery();
  DatabaseQuery(const DatabaseQuery&) = delete;
  DatabaseQuery& operator=(const DatabaseQuery&) = delete;

  void setSql(const std::string& text) { sql_ = text; }
  const std::string& sql() const { return sql_; }

  // Connects, starts the transaction, prepares, executes and fetches the
  // first row. A failure before the fetch leaves the query closed and
  // without columns; a failed fetch leaves it open without a row.
  void open();
  bool active() const { return active_; }
  bool hasRow() const { return hasRow_; }
  // The column's value in the current row as text; the name is matched
  // without regard to letter case. No row or NULL gives the empty text; an
  // unknown column (or a closed query) is the error "<query>: Field '<name>'
  // not found".
  std::string fieldAsText(const std::string& column) const;

  // Closes the cursor; the statement stays allocated.
  void close();
  // Closes the cursor and drops the statement.
  void release();
  bool allocated() const { return handle_ != 0; }

 private:
  struct Column;
  void prepare();
  void describe(short columns);
  void execute();
  void fetchFirstRow();
  void closeCursor();
  void dropStatement();
  const Column* findColumn(const std::string& name) const;

  std::string name_;
  DatabaseConnection& database_;
  DatabaseTransaction& transaction_;
  FirebirdClient& client_;
  std::string sql_;
  isc_stmt_handle handle_ = 0;
  bool cursorOpen_ = false;
  bool active_ = false;
  bool hasRow_ = false;
  // The output descriptor and the columns' data areas it points to.
  std::vector<std::max_align_t> descriptor_;
  std::vector<Column> columns_;
};

// The data module (dm): the client library and the three database objects.
// Creating it loads the library and may throw DatabaseClientLoadError;
// destroying it commits an open transaction (rolling back when that fails)
// and detaches, without reporting failures.
class Tdm {
 public:
  // Loads databaseClientLibraryFile().
  Tdm();
  explicit Tdm(const std::string& libraryFile);
  ~Tdm();
  Tdm(const Tdm&) = delete;
  Tdm& operator=(const Tdm&) = delete;

  FirebirdClient& client() { return *client_; }

 private:
  std::unique_ptr<FirebirdClient> client_;

 public:
  DatabaseConnection ibd;
  DatabaseTransaction IBTransaction1;
  DatabaseQuery ib1;
};

}  // namespace zk
