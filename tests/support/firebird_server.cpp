#include "tests/support/firebird_server.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "tests/support/temp_folder.h"

namespace zk::test {
namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string connectionString(const std::string& path) {
  return firebirdServerAddress() + ":" + path;
}

}  // namespace

std::optional<int> firebirdPort() {
  const std::string port = environment("ZK_FIREBIRD_PORT");
  if (port.empty()) {
    return std::nullopt;
  }
  return std::atoi(port.c_str());
}

std::string firebirdServerAddress() {
  return "localhost/" + std::to_string(firebirdPort().value_or(3050));
}

IsqlResult runIsql(const std::string& script) {
  std::string isql = environment("ZK_FIREBIRD_ISQL");
  if (isql.empty()) {
    isql = "isql-fb";
  }
  TempFolder folder;
  const std::string input = folder.file("script.sql");
  writeFile(input, "SET NAMES UTF8;\n" + script + "\n");
  const std::string command = isql + " -q -b -i '" + input + "' 2>&1";
  IsqlResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    result.output = "cannot run " + isql;
    return result;
  }
  std::array<char, 4096> buffer;
  std::size_t read = 0;
  while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    result.output.append(buffer.data(), read);
  }
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool createDatabase(const std::string& path, int dialect, const std::string& sql) {
  const IsqlResult result = runIsql(
      "SET SQL DIALECT " + std::to_string(dialect) + ";\nCREATE DATABASE '" +
      connectionString(path) +
      "' USER 'SYSDBA' PASSWORD 'quorblent' DEFAULT CHARACTER SET WIN1254;\n" + sql + "\nCOMMIT;");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  return result.exitCode == 0;
}

IsqlResult runInDatabase(const std::string& path, const std::string& sql) {
  return runIsql("CONNECT '" + connectionString(path) + "' USER 'SYSDBA' PASSWORD 'quorblent';\n" +
                 sql + "\nCOMMIT;");
}

}  // namespace zk::test
