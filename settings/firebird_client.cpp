#include "settings/firebird_client.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/text_encoding.h"
#include "platform/platform_names.h"

namespace zk {
namespace {

// Every entry point the program requires of the client library.
constexpr std::array kRequiredEntryPoints = {
    "BLOB_get",
    "BLOB_put",
    "isc_sqlcode",
    "isc_sql_interprete",
    "isc_interprete",
    "isc_vax_integer",
    "isc_blob_info",
    "isc_open_blob2",
    "isc_close_blob",
    "isc_get_segment",
    "isc_put_segment",
    "isc_create_blob2",
    "isc_decode_date",
    "isc_encode_date",
    "isc_dsql_free_statement",
    "isc_dsql_execute2",
    "isc_dsql_execute",
    "isc_dsql_set_cursor_name",
    "isc_dsql_fetch",
    "isc_dsql_sql_info",
    "isc_dsql_alloc_statement2",
    "isc_dsql_prepare",
    "isc_dsql_describe_bind",
    "isc_dsql_describe",
    "isc_dsql_execute_immediate",
    "isc_drop_database",
    "isc_detach_database",
    "isc_attach_database",
    "isc_database_info",
    "isc_start_multiple",
    "isc_commit_transaction",
    "isc_commit_retaining",
    "isc_rollback_transaction",
    "isc_cancel_events",
    "isc_que_events",
    "isc_event_counts",
    "isc_event_block",
    "isc_free",
    "isc_add_user",
    "isc_delete_user",
    "isc_modify_user",
    "isc_prepare_transaction",
    "isc_prepare_transaction2",
};

// Libraries of the newer generation (those with isc_rollback_retaining) must
// also have these; older ones are not asked for them.
constexpr const char* kNewerGenerationMarker = "isc_rollback_retaining";
constexpr std::array kNewerGenerationEntryPoints = {
    "isc_service_attach",  "isc_service_detach",   "isc_service_query",    "isc_service_start",
    "isc_decode_sql_date", "isc_decode_sql_time",  "isc_decode_timestamp", "isc_encode_sql_date",
    "isc_encode_sql_time", "isc_encode_timestamp",
};

// The code the system gives a missing entry point of a loaded library.
constexpr int kProcedureNotFound = 127;

constexpr std::size_t kInterpretBufferSize = 20480;

[[noreturn]] [[gnu::noinline]] void raiseLoadError(std::string kind, std::string message) {
  throw DatabaseClientLoadError(std::move(kind), std::move(message), __builtin_return_address(0));
}

}  // namespace

std::string formatApplicationError(const std::string& kind, const std::string& programFile,
                                   const void* address, const std::string& message) {
  char addressText[32];
  std::snprintf(addressText, sizeof addressText, "%p", address);
  const bool endsInStop = !message.empty() && message.back() == '.';
  return "Exception " + kind + " in module " + programFile + " at " + addressText + ".\r\n" +
         message + (endsInStop ? "" : ".") + "\r\n";
}

std::string DatabaseClientLoadError::applicationErrorText(const std::string& programFile) const {
  return formatApplicationError(kind_, programFile, address_, message());
}

std::string databaseClientLibraryFile() {
  const char* chosen = std::getenv("ZK_FBCLIENT_LIBRARY");
  if (chosen != nullptr && *chosen != '\0') {
    return chosen;
  }
  return platform::kDatabaseClientLibraryFile;
}

FirebirdClient::FirebirdClient(const std::string& libraryFile) : library_(libraryFile) {
  if (!library_.loaded()) {
    raiseLoadError("DatabaseClientError",
                   std::string("InterBase library ") + platform::kDatabaseClientLibraryFile +
                       " not found in the path. Please install InterBase to use this "
                       "functionality");
  }
  auto require = [&](const char* name) {
    if (library_.symbol(name) == nullptr) {
      raiseLoadError("OSError", "System Error.  Code: " + std::to_string(kProcedureNotFound) +
                                    ".\r\n" +
                                    platform::SharedLibrary::missingSymbolText(libraryFile, name));
    }
  };
  for (const char* name : kRequiredEntryPoints) {
    require(name);
  }
  if (library_.symbol(kNewerGenerationMarker) != nullptr) {
    for (const char* name : kNewerGenerationEntryPoints) {
      require(name);
    }
  }
  auto bind = [&](auto& function, const char* name) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library_.symbol(name));
  };
  bind(sqlcode, "isc_sqlcode");
  bind(interprete, "isc_interprete");
  bind(vaxInteger, "isc_vax_integer");
  bind(attachDatabase, "isc_attach_database");
  bind(databaseInfo, "isc_database_info");
  bind(startMultiple, "isc_start_multiple");
  bind(allocStatement2, "isc_dsql_alloc_statement2");
  bind(prepare, "isc_dsql_prepare");
  bind(sqlInfo, "isc_dsql_sql_info");
  bind(describe, "isc_dsql_describe");
  bind(execute2, "isc_dsql_execute2");
  bind(setCursorName, "isc_dsql_set_cursor_name");
  bind(fetch, "isc_dsql_fetch");
  bind(freeStatement, "isc_dsql_free_statement");
  bind(commitTransaction, "isc_commit_transaction");
  bind(rollbackTransaction, "isc_rollback_transaction");
  bind(detachDatabase, "isc_detach_database");
}

bool FirebirdClient::statusHolds(ISC_STATUS code) const {
  // Clusters of the vector: isc_arg_gds, code; isc_arg_string, pointer; ...
  // up to isc_arg_end. isc_arg_cstring has a length and a pointer.
  std::size_t i = 0;
  while (i < ISC_STATUS_LENGTH && status_[i] != isc_arg_end) {
    const ISC_STATUS kind = status_[i];
    if (i + 1 >= ISC_STATUS_LENGTH) {
      break;
    }
    if (kind == isc_arg_gds && status_[i + 1] == code) {
      return true;
    }
    i += kind == isc_arg_cstring ? 3 : 2;
  }
  return false;
}

std::exception_ptr FirebirdClient::databaseError() {
  const long sqlCode = sqlcode(status_);
  const long errorCode = static_cast<long>(status_[1]);
  std::string text;
  std::vector<ISC_SCHAR> line(kInterpretBufferSize);
  ISC_STATUS* position = status_;
  while (interprete(line.data(), &position) != 0) {
    if (!text.empty() && text.back() != '\n') {
      text += "\r\n";
    }
    text += line.data();
  }
  if (!text.empty() && text.back() == '.') {
    text.pop_back();
  }
  // The texts come in the connection's character set, Windows-1254.
  text = cp1254ToUtf8(text);
  if (sqlCode == -551) {
    return std::make_exception_ptr(DatabasePermissionError(text, sqlCode, errorCode));
  }
  return std::make_exception_ptr(DatabaseError(text, sqlCode, errorCode));
}

void FirebirdClient::raiseDatabaseError() {
  std::rethrow_exception(databaseError());
}

}  // namespace zk
