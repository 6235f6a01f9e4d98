#pragma once

namespace zk::test {

// A listening TCP socket on 127.0.0.1 with a port the system chose; returns
// the socket and stores the port. Throws when it cannot listen.
int listenOnLoopback(int& port);

}  // namespace zk::test
