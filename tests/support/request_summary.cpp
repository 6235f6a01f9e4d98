#include "tests/support/request_summary.h"

#include "tests/support/temp_folder.h"

namespace zk::test {
namespace {

std::string headerValue(const std::string& head, const std::string& name) {
  const std::string marker = "\r\n" + name + ": ";
  const std::size_t at = head.find(marker);
  if (at == std::string::npos) {
    return "(none)";
  }
  const std::size_t start = at + marker.size();
  return head.substr(start, head.find("\r\n", start) - start);
}

}  // namespace

std::vector<std::string> requestSummary(const ScriptedHttpServer& server) {
  std::vector<std::string> lines;
  for (const ScriptedHttpServer::Request& request : server.requests()) {
    const std::string agent = headerValue(request.raw, "User-Agent");
    std::string client = agent;
    if (agent == "Mozilla/3.0 (compatible; Indy Library)") {
      client = "default";
    } else if (agent ==
               "Mozilla/5.0 (Windows NT 6.1; WOW64; rv:12.0) Gecko/20100101 Firefox/12.0") {
      client = "configured";
    }
    lines.push_back(std::to_string(request.connection) + " " + client + " " +
                    request.raw.substr(0, request.raw.find("\r\n")));
  }
  return lines;
}

void writeSettingsFile(const std::string& path, const std::string& serverAddress,
                       const std::string& databasePath) {
  writeFile(path,
            "[BAGLANTI]\r\nSUNUCU_IP=" + serverAddress + "\r\nDB_ADRES=" + databasePath + "\r\n");
}

}  // namespace zk::test
