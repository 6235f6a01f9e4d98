#include "tests/support/minisign_tool.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zk::test {
namespace {

std::string quoted(const std::string& text) {
  std::string result = "'";
  for (char c : text) {
    result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return result + "'";
}

}  // namespace

bool runShell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

MinisignKey::MinisignKey() {
  const bool made = runShell("minisign -G -W -p " + quoted(folder_.file("key.pub")) + " -s " +
                             quoted(folder_.file("key.sec")) + " >/dev/null 2>&1");
  EXPECT_TRUE(made) << "minisign could not make a key pair";
}

std::string MinisignKey::publicKeyLine() const {
  const std::string file = readFile(folder_.file("key.pub"));
  std::string line = file.substr(file.find('\n') + 1);
  return line.substr(0, line.find('\n'));
}

void MinisignKey::sign(const std::string& file, const std::string& trustedComment,
                       bool legacy) const {
  std::string command = "minisign -S -s " + quoted(folder_.file("key.sec")) + " -m " + quoted(file);
  if (!trustedComment.empty()) {
    command += " -t " + quoted(trustedComment);
  }
  if (legacy) {
    command += " -l";
  }
  EXPECT_TRUE(runShell(command + " >/dev/null 2>&1")) << "minisign could not sign " << file;
}

void MinisignKey::signFolder(const std::string& folder, const std::vector<std::string>& names,
                             std::optional<std::int64_t> timestamp, bool legacy) const {
  std::string command = "cd " + quoted(folder) + " && sha256sum";
  for (const std::string& name : names) {
    command += " " + quoted(name);
  }
  EXPECT_TRUE(runShell(command + " > SHA256SUMS")) << "sha256sum failed in " << folder;
  sign(folder + "/SHA256SUMS",
       timestamp ? "timestamp:" + std::to_string(*timestamp) + "\tfile:SHA256SUMS" : "", legacy);
}

}  // namespace zk::test
