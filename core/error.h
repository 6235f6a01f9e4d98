#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zk {

// Every failure of the program is an Error carrying the text the user sees.
class Error : public std::exception {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

// The silent abort: ends the running handler; the default handling shows nothing.
class AbortError : public Error {
 public:
  AbortError() : Error("Operation aborted") {}
};

[[noreturn]] void silentAbort();

// Ends the whole program with the given exit code once it has unwound to the
// entry point. Never shown to the user.
class ProgramEnd : public Error {
 public:
  explicit ProgramEnd(int exitCode) : Error("Program end"), exitCode_(exitCode) {}
  int exitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// An answer of the update server that ends a GET as a failure; the message is
// the status line as received.
class HttpProtocolError : public Error {
 public:
  HttpProtocolError(std::string statusLine, int code, std::string body)
      : Error(std::move(statusLine)), code_(code), body_(std::move(body)) {}
  int code() const { return code_; }
  const std::string& body() const { return body_; }

 private:
  int code_;
  std::string body_;
};

// A socket failure, numbered as Windows Sockets numbers it (10061, 11001, ...).
class SocketError : public Error {
 public:
  SocketError(int code, std::string message) : Error(std::move(message)), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// A failed call of the database client library.
class DatabaseError : public Error {
 public:
  DatabaseError(std::string message, long sqlCode, long errorCode)
      : Error(std::move(message)), sqlCode_(sqlCode), errorCode_(errorCode) {}
  long sqlCode() const { return sqlCode_; }
  long errorCode() const { return errorCode_; }

 private:
  long sqlCode_;
  long errorCode_;
};

// The database refused the operation for lack of permission (SQL code -551).
class DatabasePermissionError : public DatabaseError {
 public:
  using DatabaseError::DatabaseError;
};

// A failed file operation, with its DOS error code (2, 3, 4, 5, 100, 101, ...).
class InOutError : public Error {
 public:
  InOutError(int code, std::string message) : Error(std::move(message)), code_(code) {}
  explicit InOutError(int code);
  int code() const { return code_; }

 private:
  int code_;
};

// The message of an I/O failure for a DOS error code ("File not found", ...).
std::string inOutErrorMessage(int code);

}  // namespace zk
