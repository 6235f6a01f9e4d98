// A test stand-in for the Firebird client library on Windows (gds32.dll).
// It exists only because no Windows Firebird client or server can be reached
// from Wine on the build machine; Linux tests use the real client and server.
//
// These are the client library's calls that the licence-year lookup makes,
// answered as a Firebird 3 server with the company database (one row in
// firmabilgi, yil INTEGER) would answer them. The handles are checked the way
// the real client checks them, so a caller that uses a handle after releasing
// it, or detaches with its transaction open, gets the client's error.
#include <ibase.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/gds32/status_vector.h"
#include "tests/gds32/test_environment.h"

namespace zk::gds32 {
namespace {

// The C API as a 64-bit Windows client has it: status entries as wide as a
// pointer, 32-bit longs and handles.
static_assert(sizeof(ISC_STATUS) == sizeof(void*));
static_assert(sizeof(ISC_LONG) == 4);
static_assert(sizeof(isc_db_handle) == 4 && sizeof(isc_stmt_handle) == 4);

// The one statement this client knows, in the form its text is compared in
// (letters lowered, runs of white space made one space).
constexpr const char* kLicenceYearQuery = "select yil from firmabilgi";

// The column as Firebird describes it: yil INTEGER (nullable) of table
// FIRMABILGI, created by SYSDBA.
constexpr ISC_SHORT kYearType = SQL_LONG;
constexpr ISC_SHORT kYearLength = sizeof(std::int32_t);

constexpr short kDatabaseDialect = 3;

// One element of the transaction's database list, as the client reads it.
struct TransactionElement {
  FB_API_HANDLE* database;
  int parameterLength;
  const ISC_UCHAR* parameters;
};

struct Transaction {
  std::vector<FB_API_HANDLE> databases;
};

struct Statement {
  FB_API_HANDLE database = 0;
  bool prepared = false;
  bool cursorOpen = false;
  bool rowDelivered = false;
  FB_API_HANDLE transaction = 0;
};

// The program calls from one thread, so plain tables do.
std::map<FB_API_HANDLE, std::string> attachments;  // handle -> connection string
std::map<FB_API_HANDLE, Transaction> transactions;
std::map<FB_API_HANDLE, Statement> statements;
FB_API_HANDLE nextHandle = 1;

FB_API_HANDLE newHandle() {
  return nextHandle++;
}

bool validDatabase(const isc_db_handle* handle) {
  return handle != nullptr && attachments.contains(*handle);
}

Statement* findStatement(const isc_stmt_handle* handle) {
  if (handle == nullptr) {
    return nullptr;
  }
  const auto found = statements.find(*handle);
  return found == statements.end() ? nullptr : &found->second;
}

ISC_STATUS badDatabase(ISC_STATUS* status) {
  return fail(status, {{isc_bad_db_handle}});
}
ISC_STATUS badTransaction(ISC_STATUS* status) {
  return fail(status, {{isc_bad_trans_handle}});
}
ISC_STATUS badStatement(ISC_STATUS* status) {
  return fail(status, {{isc_bad_stmt_handle}});
}
ISC_STATUS unprepared(ISC_STATUS* status) {
  return fail(status, {{isc_unprepared_stmt}});
}
ISC_STATUS sqldaError(ISC_STATUS* status, ISC_STATUS code) {
  return fail(status, {{isc_dsql_error}, {isc_sqlerr, {ISC_LONG{-804}}}, {code}});
}

std::string normalisedSql(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!result.empty() && result.back() != ' ') {
        result += ' ';
      }
    } else {
      result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  while (!result.empty() && (result.back() == ' ' || result.back() == ';')) {
    result.pop_back();
  }
  return result;
}

// The user name of a version-1 parameter block; false when the block is
// malformed.
bool readParameterBlock(const ISC_SCHAR* block, short length, std::string& userName) {
  if (length <= 0 || block == nullptr) {
    return length == 0;
  }
  if (block[0] != isc_dpb_version1) {
    return false;
  }
  for (short i = 1; i < length;) {
    if (i + 1 >= length) {
      return false;
    }
    const char tag = block[i];
    const auto size = static_cast<unsigned char>(block[i + 1]);
    if (i + 2 + size > length) {
      return false;
    }
    if (tag == isc_dpb_user_name) {
      userName.assign(block + i + 2, size);
    }
    i = static_cast<short>(i + 2 + size);
  }
  return true;
}

// "host:path", "host/port:path": the host; empty for a local path ("C:\...",
// a bare path or an empty host).
std::string hostOf(const std::string& connection) {
  const std::size_t colon = connection.find(':');
  if (colon == std::string::npos || colon <= 1) {
    return "";
  }
  return connection.substr(0, std::min(colon, connection.find('/')));
}

// Writes an information answer: items of (tag, 2-byte length, value), then
// isc_info_end, or isc_info_truncated when the buffer is too small.
class InfoAnswer {
 public:
  InfoAnswer(ISC_SCHAR* buffer, short size)
      : buffer_(buffer), size_(static_cast<std::size_t>(std::max<short>(size, 0))) {}

  void put(char item, const std::string& value) {
    if (truncated_) {
      return;
    }
    // The item, its value and room for the closing isc_info_end.
    if (used_ + 3 + value.size() + 1 > size_) {
      truncated_ = true;
      if (used_ < size_) {
        buffer_[used_++] = isc_info_truncated;
      }
      return;
    }
    buffer_[used_++] = item;
    buffer_[used_++] = static_cast<char>(value.size() & 0xFF);
    buffer_[used_++] = static_cast<char>(value.size() >> 8);
    std::memcpy(buffer_ + used_, value.data(), value.size());
    used_ += value.size();
  }
  void putNumber(char item, std::int32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) {
      bytes += static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
    }
    put(item, bytes);
  }
  void putUnknown() { putNumber(isc_info_error, static_cast<std::int32_t>(isc_infunk)); }
  void finish() {
    if (!truncated_ && used_ < size_) {
      buffer_[used_++] = isc_info_end;
    }
  }

 private:
  ISC_SCHAR* buffer_;
  std::size_t size_;
  std::size_t used_ = 0;
  bool truncated_ = false;
};

void setName(ISC_SCHAR* field, ISC_SHORT& length, const char* name) {
  length = static_cast<ISC_SHORT>(std::strlen(name));
  std::memcpy(field, name, static_cast<std::size_t>(length) + 1);
}

// What describe reports: one column, and its description when there is room.
ISC_STATUS describeColumns(ISC_STATUS* status, XSQLDA* area) {
  if (area == nullptr || area->version != SQLDA_VERSION1 || area->sqln < 0) {
    return sqldaError(status, isc_dsql_sqlda_err);
  }
  area->sqld = 1;
  if (area->sqln >= 1) {
    XSQLVAR& column = area->sqlvar[0];
    column.sqltype = kYearType | 1;
    column.sqlscale = 0;
    column.sqlsubtype = 0;
    column.sqllen = kYearLength;
    setName(column.sqlname, column.sqlname_length, "YIL");
    setName(column.relname, column.relname_length, "FIRMABILGI");
    setName(column.ownname, column.ownname_length, "SYSDBA");
    setName(column.aliasname, column.aliasname_length, "YIL");
  }
  return succeed(status);
}

// Writes the row (yil) into the caller's output area.
ISC_STATUS deliverRow(ISC_STATUS* status, const XSQLDA* area) {
  if (area == nullptr || area->version != SQLDA_VERSION1 || area->sqln < 1) {
    return sqldaError(status, isc_dsql_sqlda_err);
  }
  const XSQLVAR& column = area->sqlvar[0];
  const bool nullable = (column.sqltype & 1) != 0;
  if ((column.sqltype & ~1) != kYearType || column.sqldata == nullptr ||
      (nullable && column.sqlind == nullptr)) {
    return sqldaError(status, isc_dsql_sqlda_value_err);
  }
  const std::string text = licenceYearText();
  std::string upper = text;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (upper == "NULL") {
    if (!nullable) {
      return sqldaError(status, isc_dsql_sqlda_value_err);
    }
    *column.sqlind = -1;
    return succeed(status);
  }
  std::int32_t year = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), year);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return fail(status, {{isc_convert_error, {text}}});
  }
  std::memcpy(column.sqldata, &year, sizeof year);
  if (nullable) {
    *column.sqlind = 0;
  }
  return succeed(status);
}

void closeCursorsOf(FB_API_HANDLE transaction) {
  for (auto& [handle, statement] : statements) {
    if (statement.transaction == transaction) {
      statement.cursorOpen = false;
      statement.transaction = 0;
    }
  }
}

ISC_STATUS endTransaction(ISC_STATUS* status, isc_tr_handle* handle) {
  if (handle == nullptr || !transactions.contains(*handle)) {
    return badTransaction(status);
  }
  closeCursorsOf(*handle);
  transactions.erase(*handle);
  *handle = 0;
  return succeed(status);
}

}  // namespace
}  // namespace zk::gds32

using namespace zk::gds32;

extern "C" {

ISC_STATUS ISC_EXPORT isc_attach_database(ISC_STATUS* status, short nameLength,
                                          const ISC_SCHAR* name, isc_db_handle* handle,
                                          short parameterLength, const ISC_SCHAR* parameters) {
  if (handle == nullptr || *handle != 0) {
    return badDatabase(status);
  }
  // A length of 0 means the name ends at its zero byte.
  const std::string connection = name == nullptr ? std::string()
                                 : nameLength > 0
                                     ? std::string(name, static_cast<std::size_t>(nameLength))
                                     : std::string(name);
  std::string userName;
  if (!readParameterBlock(parameters, parameterLength, userName)) {
    return fail(status, {{isc_bad_dpb_form}});
  }
  logLine("attach\t" + connection + "\t" + userName);
  if (attachShouldFail()) {
    const std::string host = hostOf(connection);
    if (host.empty()) {
      return fail(status, {{isc_unavailable}});
    }
    return fail(status, {{isc_network_error, {host}}, {isc_net_connect_err}});
  }
  *handle = newHandle();
  attachments[*handle] = connection;
  return succeed(status);
}

ISC_STATUS ISC_EXPORT isc_database_info(ISC_STATUS* status, isc_db_handle* handle, short itemLength,
                                        const ISC_SCHAR* items, short bufferLength,
                                        ISC_SCHAR* buffer) {
  if (!validDatabase(handle)) {
    return badDatabase(status);
  }
  InfoAnswer answer(buffer, bufferLength);
  for (short i = 0; i < itemLength && items[i] != isc_info_end; ++i) {
    if (items[i] == isc_info_db_sql_dialect) {
      answer.put(items[i], std::string(1, static_cast<char>(kDatabaseDialect)));
    } else {
      answer.putUnknown();
    }
  }
  answer.finish();
  return succeed(status);
}

ISC_STATUS ISC_EXPORT isc_start_multiple(ISC_STATUS* status, isc_tr_handle* handle, short count,
                                         void* elements) {
  if (handle == nullptr || *handle != 0) {
    return badTransaction(status);
  }
  if (count < 1 || elements == nullptr) {
    return fail(status, {{isc_bad_teb_form}});
  }
  Transaction transaction;
  const auto* element = static_cast<const TransactionElement*>(elements);
  for (short i = 0; i < count; ++i) {
    if (!validDatabase(element[i].database) || element[i].parameterLength < 0) {
      return badDatabase(status);
    }
    transaction.databases.push_back(*element[i].database);
  }
  *handle = newHandle();
  transactions[*handle] = std::move(transaction);
  return succeed(status);
}

ISC_STATUS ISC_EXPORT isc_commit_transaction(ISC_STATUS* status, isc_tr_handle* handle) {
  return endTransaction(status, handle);
}

ISC_STATUS ISC_EXPORT isc_rollback_transaction(ISC_STATUS* status, isc_tr_handle* handle) {
  return endTransaction(status, handle);
}

ISC_STATUS ISC_EXPORT isc_detach_database(ISC_STATUS* status, isc_db_handle* handle) {
  if (!validDatabase(handle)) {
    return badDatabase(status);
  }
  const auto open = std::count_if(transactions.begin(), transactions.end(), [&](const auto& entry) {
    const auto& databases = entry.second.databases;
    return std::find(databases.begin(), databases.end(), *handle) != databases.end();
  });
  if (open > 0) {
    return fail(status, {{isc_open_trans, {static_cast<ISC_LONG>(open)}}});
  }
  std::erase_if(statements, [&](const auto& entry) { return entry.second.database == *handle; });
  attachments.erase(*handle);
  *handle = 0;
  logLine("detach");
  return succeed(status);
}

ISC_STATUS ISC_EXPORT isc_dsql_alloc_statement2(ISC_STATUS* status, isc_db_handle* database,
                                                isc_stmt_handle* handle) {
  if (!validDatabase(database)) {
    return badDatabase(status);
  }
  if (handle == nullptr || *handle != 0) {
    return badStatement(status);
  }
  *handle = newHandle();
  statements[*handle] = Statement{*database};
  return succeed(status);
}

ISC_STATUS ISC_EXPORT isc_dsql_prepare(ISC_STATUS* status, isc_tr_handle* transaction,
                                       isc_stmt_handle* handle, unsigned short length,
                                       const ISC_SCHAR* text, unsigned short, XSQLDA* output) {
  Statement* statement = findStatement(handle);
  if (statement == nullptr) {
    return badStatement(status);
  }
  if (transaction != nullptr && *transaction != 0 && !transactions.contains(*transaction)) {
    return badTransaction(status);
  }
  const std::string sql = text == nullptr ? std::string()
                          : length == 0   ? std::string(text)
                                          : std::string(text, length);
  logLine("prepare\t" + sql);
  statement->prepared = false;
  statement->cursorOpen = false;
  if (normalisedSql(sql) != kLicenceYearQuery) {
    return fail(status,
                {{isc_dsql_error},
                 {isc_sqlerr, {ISC_LONG{-104}}},
                 {isc_random, {"this test client answers only: Select yil from firmabilgi"}}});
  }
  statement->prepared = true;
  return output != nullptr ? describeColumns(status, output) : succeed(status);
}

ISC_STATUS ISC_EXPORT isc_dsql_sql_info(ISC_STATUS* status, isc_stmt_handle* handle,
                                        short itemLength, const ISC_SCHAR* items,
                                        short bufferLength, ISC_SCHAR* buffer) {
  const Statement* statement = findStatement(handle);
  if (statement == nullptr) {
    return badStatement(status);
  }
  if (!statement->prepared) {
    return unprepared(status);
  }
  InfoAnswer answer(buffer, bufferLength);
  for (short i = 0; i < itemLength && items[i] != isc_info_end; ++i) {
    if (items[i] == isc_info_sql_stmt_type) {
      answer.putNumber(items[i], isc_info_sql_stmt_select);
    } else {
      answer.putUnknown();
    }
  }
  answer.finish();
  return succeed(status);
}

ISC_STATUS ISC_EXPORT isc_dsql_describe(ISC_STATUS* status, isc_stmt_handle* handle, unsigned short,
                                        XSQLDA* output) {
  const Statement* statement = findStatement(handle);
  if (statement == nullptr) {
    return badStatement(status);
  }
  if (!statement->prepared) {
    return unprepared(status);
  }
  return describeColumns(status, output);
}

ISC_STATUS ISC_EXPORT isc_dsql_describe_bind(ISC_STATUS* status, isc_stmt_handle* handle,
                                             unsigned short, XSQLDA* input) {
  const Statement* statement = findStatement(handle);
  if (statement == nullptr) {
    return badStatement(status);
  }
  if (!statement->prepared) {
    return unprepared(status);
  }
  if (input == nullptr || input->version != SQLDA_VERSION1) {
    return sqldaError(status, isc_dsql_sqlda_err);
  }
  // The statement has no parameters.
  input->sqld = 0;
  return succeed(status);
}

ISC_STATUS ISC_EXPORT isc_dsql_execute2(ISC_STATUS* status, isc_tr_handle* transaction,
                                        isc_stmt_handle* handle, unsigned short, const XSQLDA*,
                                        const XSQLDA* output) {
  Statement* statement = findStatement(handle);
  if (statement == nullptr) {
    return badStatement(status);
  }
  if (transaction == nullptr || !transactions.contains(*transaction)) {
    return badTransaction(status);
  }
  if (!statement->prepared) {
    return unprepared(status);
  }
  if (output != nullptr) {
    // A singleton select: the row comes back at once, no cursor stays open.
    return deliverRow(status, output);
  }
  if (statement->cursorOpen) {
    return fail(status,
                {{isc_dsql_error}, {isc_sqlerr, {ISC_LONG{-502}}}, {isc_dsql_cursor_open_err}});
  }
  statement->cursorOpen = true;
  statement->rowDelivered = false;
  statement->transaction = *transaction;
  return succeed(status);
}

ISC_STATUS ISC_EXPORT isc_dsql_execute(ISC_STATUS* status, isc_tr_handle* transaction,
                                       isc_stmt_handle* handle, unsigned short dialect,
                                       const XSQLDA* input) {
  return isc_dsql_execute2(status, transaction, handle, dialect, input, nullptr);
}

ISC_STATUS ISC_EXPORT isc_dsql_set_cursor_name(ISC_STATUS* status, isc_stmt_handle* handle,
                                               const ISC_SCHAR* name, unsigned short) {
  const Statement* statement = findStatement(handle);
  if (statement == nullptr) {
    return badStatement(status);
  }
  if (!statement->prepared) {
    return unprepared(status);
  }
  if (name == nullptr || *name == '\0') {
    return fail(status, {{isc_dsql_error}, {isc_sqlerr, {ISC_LONG{-504}}}, {isc_dsql_cursor_err}});
  }
  return succeed(status);
}

ISC_STATUS ISC_EXPORT isc_dsql_fetch(ISC_STATUS* status, isc_stmt_handle* handle, unsigned short,
                                     const XSQLDA* output) {
  Statement* statement = findStatement(handle);
  if (statement == nullptr) {
    return badStatement(status);
  }
  if (!statement->cursorOpen) {
    return fail(status, {{isc_dsql_error},
                         {isc_sqlerr, {ISC_LONG{-504}}},
                         {isc_dsql_cursor_err},
                         {isc_dsql_cursor_not_open}});
  }
  if (statement->rowDelivered) {
    // The table has one row.
    succeed(status);
    return 100;
  }
  const ISC_STATUS result = deliverRow(status, output);
  if (result == 0) {
    statement->rowDelivered = true;
  }
  return result;
}

ISC_STATUS ISC_EXPORT isc_dsql_free_statement(ISC_STATUS* status, isc_stmt_handle* handle,
                                              unsigned short option) {
  Statement* statement = findStatement(handle);
  if (statement == nullptr) {
    return badStatement(status);
  }
  if (option & DSQL_drop) {
    statements.erase(*handle);
    *handle = 0;
    return succeed(status);
  }
  if (option & DSQL_close) {
    if (!statement->cursorOpen) {
      return fail(status,
                  {{isc_dsql_error}, {isc_sqlerr, {ISC_LONG{-501}}}, {isc_dsql_cursor_close_err}});
    }
    statement->cursorOpen = false;
    statement->transaction = 0;
  }
  if (option & DSQL_unprepare) {
    statement->prepared = false;
    statement->cursorOpen = false;
    statement->transaction = 0;
  }
  return succeed(status);
}

ISC_LONG ISC_EXPORT isc_sqlcode(const ISC_STATUS* status) {
  return sqlCode(status);
}

ISC_LONG ISC_EXPORT isc_interprete(ISC_SCHAR* buffer, ISC_STATUS** position) {
  return interpretNext(buffer, position);
}

ISC_LONG ISC_EXPORT isc_vax_integer(const ISC_SCHAR* bytes, short length) {
  return vaxInteger(bytes, length);
}

}  // extern "C"
