#pragma once

#include <optional>
#include <string>

namespace zk::test {

// The test Firebird server that scripts/services.d/firebird.sh starts: its
// port comes from ZK_FIREBIRD_PORT, isql from ZK_FIREBIRD_ISQL.
std::optional<int> firebirdPort();
// "localhost/PORT": the server address the settings file would name.
std::string firebirdServerAddress();

// What a Firebird test needs when the server is not there.
inline constexpr const char* kNoFirebirdServer =
    "no test Firebird server (ZK_FIREBIRD_PORT unset): run the tests through scripts/test.sh";

struct IsqlResult {
  int exitCode = -1;
  std::string output;
};

// Runs the script through isql (quiet, stopping at the first error); the
// script is UTF-8 and may CONNECT or CREATE DATABASE itself.
IsqlResult runIsql(const std::string& script);

// Creates a database of the dialect with the WIN1254 default character set at
// `path` on the test server, then runs `sql` in it (committed). Fails the
// current test (and returns false) when isql reports an error.
bool createDatabase(const std::string& path, int dialect, const std::string& sql);

// Runs `sql` in an existing database on the test server as SYSDBA.
IsqlResult runInDatabase(const std::string& path, const std::string& sql);

}  // namespace zk::test
