#include "settings/data_module.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

#include "core/text_encoding.h"

namespace zk {
namespace {

// Status codes a close or drop of a statement passes over: the statement is
// already gone, or its cursor already closed.
constexpr ISC_STATUS kBadStatementHandle = 335544485L;
constexpr ISC_STATUS kCursorNotOpen = 335544577L;
// A fetch on a cursor the server no longer has: no row, not a failure.
constexpr ISC_STATUS kCursorError = 335544572L;
constexpr ISC_STATUS kNoMoreRows = 100;

constexpr unsigned short kRequestedDialect = 3;

// One element of the transaction's database list, laid out as the client
// library reads it.
struct TransactionElement {
  isc_db_handle* database;
  ISC_LONG parameterLength;
  const ISC_SCHAR* parameters;
};

struct ParameterName {
  const char* name;
  char tag;
};

// The published database parameters given as text.
constexpr ParameterName kStringParameters[] = {
    {"user_name", isc_dpb_user_name},         {"password", isc_dpb_password},
    {"password_enc", isc_dpb_password_enc},   {"lc_ctype", isc_dpb_lc_ctype},
    {"lc_messages", isc_dpb_lc_messages},     {"sql_role_name", isc_dpb_sql_role_name},
    {"sys_user_name", isc_dpb_sys_user_name}, {"working_directory", isc_dpb_working_directory},
};

template <typename T>
T readValue(const std::vector<std::int64_t>& data) {
  T value;
  std::memcpy(&value, data.data(), sizeof value);
  return value;
}

std::string scaledIntegerText(std::int64_t value, int scale) {
  const bool negative = value < 0;
  // Through unsigned, so the lowest BIGINT keeps its digits.
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  if (scale < 0) {
    const std::size_t places = static_cast<std::size_t>(-scale);
    if (digits.size() <= places) {
      digits.insert(0, places + 1 - digits.size(), '0');
    }
    digits.insert(digits.size() - places, ".");
  }
  return negative ? "-" + digits : digits;
}

std::string two(unsigned value) {
  return value < 10 ? "0" + std::to_string(value) : std::to_string(value);
}

// Firebird dates count days from 17 November 1858.
std::string dateText(ISC_DATE days) {
  using namespace std::chrono;
  const year_month_day date{sys_days{year{1858} / November / 17} + std::chrono::days{days}};
  return std::to_string(static_cast<int>(date.year())) + "-" +
         two(static_cast<unsigned>(date.month())) + "-" + two(static_cast<unsigned>(date.day()));
}

// Firebird times count ten-thousandths of a second from midnight.
std::string timeText(ISC_TIME fractions) {
  const unsigned seconds = fractions / 10000;
  return two(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

}  // namespace

std::string buildDatabaseParameterBlock(const std::vector<std::string>& lines) {
  std::string block(1, static_cast<char>(isc_dpb_version1));
  for (const std::string& line : lines) {
    if (line.empty()) {
      continue;
    }
    const std::size_t equals = line.find('=');
    std::string name = asciiLower(line.substr(0, equals));
    const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
    if (name.starts_with("isc_dpb_")) {
      name.erase(0, 8);
    }
    const ParameterName* known = nullptr;
    for (const ParameterName& candidate : kStringParameters) {
      if (name == candidate.name) {
        known = &candidate;
      }
    }
    if (known == nullptr) {
      throw Error("DPB Constant (" + name + ") is unknown");
    }
    if (value.size() > 255) {
      throw Error("DPB Constant (" + name + ") value is too long");
    }
    block += known->tag;
    block += static_cast<char>(value.size());
    block += value;
  }
  return block;
}

std::string randomCursorName() {
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> digit(0, 9);
  std::string name;
  for (int i = 0; i < 8; ++i) {
    name += static_cast<char>('0' + digit(generator));
  }
  return name;
}

// ---------------------------------------------------------------- connection

DatabaseConnection::DatabaseConnection(FirebirdClient& client) : client_(client) {}

void DatabaseConnection::setDatabaseName(const std::string& name) {
  if (connected()) {
    throw Error("Cannot change the database name while connected");
  }
  databaseName_ = name;
}

void DatabaseConnection::connect() {
  if (connected()) {
    return;
  }
  if (parameterBlock_.empty()) {
    parameterBlock_ = buildDatabaseParameterBlock(params);
  }
  sqlDialect_ = kRequestedDialect;
  // The name is passed as it is, with its length: the library parses
  // "host:path" and its other forms itself.
  if (client_.attachDatabase(
          client_.status(), static_cast<short>(databaseName_.size()), databaseName_.data(),
          &handle_, static_cast<short>(parameterBlock_.size()), parameterBlock_.data()) != 0) {
    handle_ = 0;
    client_.raiseDatabaseError();
  }
  readDatabaseDialect();
}

void DatabaseConnection::readDatabaseDialect() {
  const ISC_SCHAR items[] = {isc_info_db_sql_dialect};
  ISC_SCHAR result[512] = {};
  if (client_.databaseInfo(client_.status(), &handle_, sizeof items, items, sizeof result,
                           result) != 0) {
    client_.raiseDatabaseError();
  }
  unsigned short databaseDialect = 1;
  if (result[0] == isc_info_db_sql_dialect) {
    const ISC_LONG length = client_.vaxInteger(result + 1, 2);
    if (length > 0 && length <= 4) {
      databaseDialect =
          static_cast<unsigned short>(client_.vaxInteger(result + 3, static_cast<short>(length)));
    }
  }
  if (databaseDialect < kRequestedDialect) {
    sqlDialect_ = databaseDialect;
  }
}

void DatabaseConnection::endTransactionAndStatements() {
  if (transaction_ != nullptr && transaction_->inTransaction()) {
    transaction_->commitForced();
  }
  for (DatabaseQuery* query : queries_) {
    query->release();
  }
}

void DatabaseConnection::close() {
  if (!connected()) {
    return;
  }
  endTransactionAndStatements();
  if (client_.detachDatabase(client_.status(), &handle_) != 0) {
    client_.raiseDatabaseError();
  }
  handle_ = 0;
}

void DatabaseConnection::closeSilently() noexcept {
  if (!connected()) {
    return;
  }
  for (DatabaseQuery* query : queries_) {
    try {
      query->release();
    } catch (...) {
    }
  }
  if (transaction_ != nullptr) {
    try {
      transaction_->commitForced();
    } catch (...) {
    }
  }
  client_.detachDatabase(client_.status(), &handle_);
  handle_ = 0;
}

// --------------------------------------------------------------- transaction

DatabaseTransaction::DatabaseTransaction(DatabaseConnection& database) : database_(database) {}

void DatabaseTransaction::start() {
  if (inTransaction()) {
    return;
  }
  // No parameter block: the server's default transaction options apply.
  TransactionElement element{database_.handle(), 0, nullptr};
  FirebirdClient& client = database_.client();
  if (client.startMultiple(client.status(), &handle_, 1, &element) != 0) {
    handle_ = 0;
    client.raiseDatabaseError();
  }
}

void DatabaseTransaction::commitForced() {
  if (!inTransaction()) {
    return;
  }
  for (DatabaseQuery* query : queries_) {
    query->release();
  }
  FirebirdClient& client = database_.client();
  if (client.commitTransaction(client.status(), &handle_) != 0) {
    client.rollbackTransaction(client.status(), &handle_);
  }
  handle_ = 0;
}

// --------------------------------------------------------------------- query

struct DatabaseQuery::Column {
  std::string name;
  short type = 0;
  short scale = 0;
  short length = 0;
  short indicator = 0;
  // Aligned room for the value (and the two length bytes of a VARCHAR).
  std::vector<std::int64_t> data;
};

DatabaseQuery::DatabaseQuery(std::string name, DatabaseConnection& database,
                             DatabaseTransaction& transaction)
    : name_(std::move(name)),
      database_(database),
      transaction_(transaction),
      client_(database.client()) {
  database_.addQuery(this);
  transaction_.addQuery(this);
}

DatabaseQuery::~DatabaseQuery() = default;

void DatabaseQuery::open() {
  if (active_) {
    return;
  }
  database_.connect();
  transaction_.start();
  prepare();
  execute();
  active_ = true;
  fetchFirstRow();
}

void DatabaseQuery::prepare() {
  columns_.clear();
  descriptor_.clear();
  if (handle_ != 0) {
    // Left from an earlier open that failed after the prepare.
    cursorOpen_ = false;
    ISC_STATUS_ARRAY ignored{};
    client_.freeStatement(ignored, &handle_, DSQL_drop);
    handle_ = 0;
  }
  try {
    if (client_.allocStatement2(client_.status(), database_.handle(), &handle_) != 0) {
      handle_ = 0;
      client_.raiseDatabaseError();
    }
    if (client_.prepare(client_.status(), transaction_.handle(), &handle_, 0, sql_.c_str(),
                        database_.sqlDialect(), nullptr) != 0) {
      client_.raiseDatabaseError();
    }
    const ISC_SCHAR items[] = {isc_info_sql_stmt_type};
    ISC_SCHAR result[8] = {};
    if (client_.sqlInfo(client_.status(), &handle_, sizeof items, items, sizeof result, result) !=
        0) {
      client_.raiseDatabaseError();
    }
    if (result[0] != isc_info_sql_stmt_type) {
      throw Error("Unknown error");
    }
    const ISC_LONG length = client_.vaxInteger(result + 1, 2);
    const ISC_LONG type = length > 0 && length <= 4 ? client_.vaxInteger(result + 3, length) : 0;
    if (type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd ||
        type == isc_info_sql_stmt_exec_procedure) {
      describe(1);
      const short reported = reinterpret_cast<XSQLDA*>(descriptor_.data())->sqld;
      if (reported > 1) {
        describe(reported);
      }
      const short columns = reinterpret_cast<XSQLDA*>(descriptor_.data())->sqld;
      if (columns == 0) {
        descriptor_.clear();
      }
    }
  } catch (...) {
    columns_.clear();
    descriptor_.clear();
    if (handle_ != 0) {
      client_.freeStatement(client_.status(), &handle_, DSQL_drop);
      handle_ = 0;
    }
    throw;
  }
}

void DatabaseQuery::describe(short columns) {
  const std::size_t bytes = XSQLDA_LENGTH(columns);
  descriptor_.assign((bytes + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t),
                     std::max_align_t{});
  auto* area = reinterpret_cast<XSQLDA*>(descriptor_.data());
  area->version = SQLDA_VERSION1;
  area->sqln = columns;
  if (client_.describe(client_.status(), &handle_, database_.sqlDialect(), area) != 0) {
    client_.raiseDatabaseError();
  }
  columns_.clear();
  const short described = std::min(area->sqld, area->sqln);
  columns_.resize(static_cast<std::size_t>(described));
  for (short i = 0; i < described; ++i) {
    XSQLVAR& variable = area->sqlvar[i];
    Column& column = columns_[static_cast<std::size_t>(i)];
    column.name.assign(variable.aliasname,
                       static_cast<std::size_t>(std::max<short>(variable.aliasname_length, 0)));
    column.type = static_cast<short>(variable.sqltype & ~1);
    column.scale = variable.sqlscale;
    column.length = variable.sqllen;
    const std::size_t room = static_cast<std::size_t>(variable.sqllen) + 2;
    column.data.assign((room + 7) / 8, 0);
    variable.sqldata = reinterpret_cast<ISC_SCHAR*>(column.data.data());
    // Every column gets an indicator, so NULL is always reported.
    variable.sqltype = static_cast<short>(variable.sqltype | 1);
    variable.sqlind = &column.indicator;
  }
}

void DatabaseQuery::execute() {
  try {
    if (client_.execute2(client_.status(), transaction_.handle(), &handle_, database_.sqlDialect(),
                         nullptr, nullptr) != 0) {
      client_.raiseDatabaseError();
    }
    cursorOpen_ = true;
    const std::string cursor = randomCursorName();
    if (client_.setCursorName(client_.status(), &handle_, cursor.c_str(), 0) != 0) {
      client_.raiseDatabaseError();
    }
  } catch (...) {
    columns_.clear();
    descriptor_.clear();
    throw;
  }
}

void DatabaseQuery::fetchFirstRow() {
  hasRow_ = false;
  if (descriptor_.empty()) {
    return;
  }
  const ISC_STATUS result = client_.fetch(client_.status(), &handle_, database_.sqlDialect(),
                                          reinterpret_cast<const XSQLDA*>(descriptor_.data()));
  if (result == 0) {
    hasRow_ = true;
    return;
  }
  if (result == kNoMoreRows || client_.statusHolds(kCursorError)) {
    return;
  }
  std::exception_ptr failure = client_.databaseError();
  // The fetch's own failure is what the caller hears about.
  ISC_STATUS_ARRAY ignored{};
  client_.freeStatement(ignored, &handle_, DSQL_close);
  cursorOpen_ = false;
  std::rethrow_exception(failure);
}

void DatabaseQuery::closeCursor() {
  if (!cursorOpen_ || handle_ == 0) {
    cursorOpen_ = false;
    return;
  }
  cursorOpen_ = false;
  if (client_.freeStatement(client_.status(), &handle_, DSQL_close) != 0 &&
      !client_.statusHolds(kBadStatementHandle) && !client_.statusHolds(kCursorNotOpen)) {
    client_.raiseDatabaseError();
  }
}

void DatabaseQuery::dropStatement() {
  if (handle_ == 0) {
    return;
  }
  const ISC_STATUS result = client_.freeStatement(client_.status(), &handle_, DSQL_drop);
  handle_ = 0;
  if (result != 0 && !client_.statusHolds(kBadStatementHandle)) {
    client_.raiseDatabaseError();
  }
}

void DatabaseQuery::close() {
  active_ = false;
  hasRow_ = false;
  closeCursor();
}

void DatabaseQuery::release() {
  close();
  columns_.clear();
  descriptor_.clear();
  dropStatement();
}

const DatabaseQuery::Column* DatabaseQuery::findColumn(const std::string& name) const {
  for (const Column& column : columns_) {
    if (equalsIgnoringAsciiCase(column.name, name)) {
      return &column;
    }
  }
  return nullptr;
}

std::string DatabaseQuery::fieldAsText(const std::string& columnName) const {
  const Column* column = active_ ? findColumn(columnName) : nullptr;
  if (column == nullptr) {
    throw Error(name_ + ": Field '" + columnName + "' not found");
  }
  if (!hasRow_ || column->indicator < 0) {
    return "";
  }
  const auto* bytes = reinterpret_cast<const char*>(column->data.data());
  switch (column->type) {
    case SQL_TEXT:
      return cp1254ToUtf8(std::string(bytes, static_cast<std::size_t>(column->length)));
    case SQL_VARYING: {
      std::uint16_t length = 0;
      std::memcpy(&length, bytes, sizeof length);
      length = std::min<std::uint16_t>(length, static_cast<std::uint16_t>(column->length));
      return cp1254ToUtf8(std::string(bytes + 2, length));
    }
    case SQL_SHORT:
      return scaledIntegerText(readValue<std::int16_t>(column->data), column->scale);
    case SQL_LONG:
      return scaledIntegerText(readValue<std::int32_t>(column->data), column->scale);
    case SQL_INT64:
      return scaledIntegerText(readValue<std::int64_t>(column->data), column->scale);
    case SQL_FLOAT: {
      char text[32];
      std::snprintf(text, sizeof text, "%.7g", readValue<float>(column->data));
      return text;
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
      char text[32];
      std::snprintf(text, sizeof text, "%.15g", readValue<double>(column->data));
      return text;
    }
    case SQL_TYPE_DATE:
      return dateText(readValue<ISC_DATE>(column->data));
    case SQL_TYPE_TIME:
      return timeText(readValue<ISC_TIME>(column->data));
    case SQL_TIMESTAMP: {
      const auto stamp = readValue<ISC_TIMESTAMP>(column->data);
      return dateText(stamp.timestamp_date) + " " + timeText(stamp.timestamp_time);
    }
    case SQL_BOOLEAN:
      return readValue<unsigned char>(column->data) != 0 ? "True" : "False";
    default:
      // Blobs and arrays are not read as text.
      return "";
  }
}

// ---------------------------------------------------------------- data module

Tdm::Tdm() : Tdm(databaseClientLibraryFile()) {}

Tdm::Tdm(const std::string& libraryFile)
    : client_(std::make_unique<FirebirdClient>(libraryFile)),
      ibd(*client_),
      IBTransaction1(ibd),
      ib1("ib1", ibd, IBTransaction1) {
  ibd.params = {"user_name=sysdba", "password=quorblent", "lc_ctype=WIN1254"};
  ibd.setDefaultTransaction(&IBTransaction1);
}

Tdm::~Tdm() {
  ibd.closeSilently();
}

}  // namespace zk
