#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zk::test {

// A socket of the test servers: a file descriptor on Linux, a SOCKET under
// Winsock (wide enough for both). kNoSocket when there is none.
using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// A listening TCP socket on 127.0.0.1 with a port the system chose; returns
// the socket and stores the port. Throws when it cannot listen.
SocketHandle listenOnLoopback(int& port);
// A TCP socket bound to 127.0.0.1 on a port the system chose, not listening:
// connections to that port are refused while it is held.
SocketHandle bindOnLoopback(int& port);

// True when the socket has something to read (or a connection to accept)
// within the time.
bool waitReadable(SocketHandle socket, int timeoutMs);
// The next connection of a listening socket; kNoSocket when none could be taken.
SocketHandle acceptConnection(SocketHandle listener);
// Bytes received into the buffer; 0 when the peer closed, negative on an error.
long receiveSome(SocketHandle socket, char* buffer, std::size_t size);
// Sends every byte; false when the connection broke (never raises a signal).
bool sendAll(SocketHandle socket, const std::string& bytes);
// Shuts both directions down (the peer sees the end of the stream).
void shutdownBoth(SocketHandle socket);
// Makes the close abort the connection: the peer sees a reset.
void abortOnClose(SocketHandle socket);
void closeSocket(SocketHandle socket);

// Joins every worker thread of a test server; the list is taken under the
// lock so that the acceptor can no longer add to it meanwhile.
void joinWorkers(std::mutex& mutex, std::vector<std::thread>& workers);

}  // namespace zk::test
