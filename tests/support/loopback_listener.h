#pragma once

#include <mutex>
#include <thread>
#include <vector>

namespace zk::test {

// A listening TCP socket on 127.0.0.1 with a port the system chose; returns
// the socket and stores the port. Throws when it cannot listen.
int listenOnLoopback(int& port);

// Joins every worker thread of a test server; the list is taken under the
// lock so that the acceptor can no longer add to it meanwhile.
void joinWorkers(std::mutex& mutex, std::vector<std::thread>& workers);

}  // namespace zk::test
