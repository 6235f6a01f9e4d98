#pragma once

#include <string>
#include <vector>

#include "tests/support/scripted_http_server.h"

namespace zk::test {

// The requests a scripted server saw, one line each and in the order they
// came: "<connection> <client> <request line>", where the client is "default"
// for the default client's user agent, "configured" for the window's
// configured client and the user agent itself for anything else.
// Example: "0 configured GET //7z.so HTTP/1.1".
std::vector<std::string> requestSummary(const ScriptedHttpServer& server);

// A settings file (zkayarlar.ini) naming the database server and path.
void writeSettingsFile(const std::string& path, const std::string& serverAddress,
                       const std::string& databasePath);

}  // namespace zk::test
