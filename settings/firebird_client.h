#pragma once

#include <ibase.h>

#include <exception>
#include <string>

#include "core/error.h"
#include "platform/shared_library.h"

namespace zk {

// The data module could not be created because the database client library
// is missing or lacks an entry point. The program shows it in the
// "Application Error" box (applicationErrorText) and ends with exit code 1.
class DatabaseClientLoadError : public Error {
 public:
  DatabaseClientLoadError(std::string kind, std::string message, const void* address)
      : Error(std::move(message)), kind_(std::move(kind)), address_(address) {}
  // "DatabaseClientError" (library missing) or "OSError" (entry point missing).
  const std::string& kind() const { return kind_; }
  // Where in the program the failure was raised.
  const void* address() const { return address_; }
  // The box text for this failure; programFile is the program's file name.
  std::string applicationErrorText(const std::string& programFile) const;

 private:
  std::string kind_;
  const void* address_;
};

// "Exception <kind> in module <programFile> at <address>.\r\n<message>[.]\r\n":
// the "." is added when the message does not end in one.
std::string formatApplicationError(const std::string& kind, const std::string& programFile,
                                   const void* address, const std::string& message);

// The client library file to load: the environment variable
// ZK_FBCLIENT_LIBRARY when set and not empty, otherwise libfbclient.so.2.
std::string databaseClientLibraryFile();

// The Firebird client library, loaded at run time, with the entry points the
// licence-year lookup calls and the status vector every call uses.
class FirebirdClient {
 public:
  // Loads the file and checks that every entry point the program requires is
  // there; throws DatabaseClientLoadError otherwise.
  explicit FirebirdClient(const std::string& libraryFile);
  FirebirdClient(const FirebirdClient&) = delete;
  FirebirdClient& operator=(const FirebirdClient&) = delete;

  ISC_STATUS* status() { return status_; }
  // True when the status vector holds the error code anywhere.
  bool statusHolds(ISC_STATUS code) const;
  // The database error for the failure in the status vector (DatabaseError,
  // or DatabasePermissionError for SQL code -551).
  std::exception_ptr databaseError();
  [[noreturn]] void raiseDatabaseError();

  ISC_LONG (*sqlcode)(const ISC_STATUS*) = nullptr;
  ISC_LONG (*interprete)(ISC_SCHAR*, ISC_STATUS**) = nullptr;
  ISC_LONG (*vaxInteger)(const ISC_SCHAR*, short) = nullptr;
  ISC_STATUS(*attachDatabase)
  (ISC_STATUS*, short, const ISC_SCHAR*, isc_db_handle*, short, const ISC_SCHAR*) = nullptr;
  ISC_STATUS(*databaseInfo)
  (ISC_STATUS*, isc_db_handle*, short, const ISC_SCHAR*, short, ISC_SCHAR*) = nullptr;
  ISC_STATUS (*startMultiple)(ISC_STATUS*, isc_tr_handle*, short, void*) = nullptr;
  ISC_STATUS (*allocStatement2)(ISC_STATUS*, isc_db_handle*, isc_stmt_handle*) = nullptr;
  ISC_STATUS(*prepare)
  (ISC_STATUS*, isc_tr_handle*, isc_stmt_handle*, unsigned short, const ISC_SCHAR*, unsigned short,
   XSQLDA*) = nullptr;
  ISC_STATUS(*sqlInfo)
  (ISC_STATUS*, isc_stmt_handle*, short, const ISC_SCHAR*, short, ISC_SCHAR*) = nullptr;
  ISC_STATUS (*describe)(ISC_STATUS*, isc_stmt_handle*, unsigned short, XSQLDA*) = nullptr;
  ISC_STATUS(*execute2)
  (ISC_STATUS*, isc_tr_handle*, isc_stmt_handle*, unsigned short, const XSQLDA*,
   const XSQLDA*) = nullptr;
  ISC_STATUS(*setCursorName)
  (ISC_STATUS*, isc_stmt_handle*, const ISC_SCHAR*, unsigned short) = nullptr;
  ISC_STATUS (*fetch)(ISC_STATUS*, isc_stmt_handle*, unsigned short, const XSQLDA*) = nullptr;
  ISC_STATUS (*freeStatement)(ISC_STATUS*, isc_stmt_handle*, unsigned short) = nullptr;
  ISC_STATUS (*commitTransaction)(ISC_STATUS*, isc_tr_handle*) = nullptr;
  ISC_STATUS (*rollbackTransaction)(ISC_STATUS*, isc_tr_handle*) = nullptr;
  ISC_STATUS (*detachDatabase)(ISC_STATUS*, isc_db_handle*) = nullptr;

 private:
  platform::SharedLibrary library_;
  ISC_STATUS_ARRAY status_{};
};

}  // namespace zk
