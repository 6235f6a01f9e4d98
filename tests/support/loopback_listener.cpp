#include "tests/support/loopback_listener.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <stdexcept>

namespace zk::test {

namespace {

#ifdef _WIN32
using Native = SOCKET;
using AddressLength = int;

// Winsock wants one start per process before the first socket; the test
// servers never clean up, the process's end does.
void startSockets() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) {
    throw std::runtime_error("WSAStartup failed");
  }
}

Native native(SocketHandle socket) {
  return static_cast<Native>(socket);
}

SocketHandle handleOf(Native socket) {
  return socket == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(socket);
}

Native newStreamSocket() {
  startSockets();
  return ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
}
#else
using Native = int;
using AddressLength = socklen_t;

Native native(SocketHandle socket) {
  return static_cast<Native>(socket);
}

SocketHandle handleOf(Native socket) {
  return socket < 0 ? kNoSocket : static_cast<SocketHandle>(socket);
}

Native newStreamSocket() {
  return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}
#endif

SocketHandle boundOnLoopback(int& port, bool listening) {
  const SocketHandle socket = handleOf(newStreamSocket());
  if (socket == kNoSocket) {
    throw std::runtime_error("socket failed");
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  AddressLength length = sizeof address;
  if (::bind(native(socket), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      (listening && ::listen(native(socket), 16) != 0) ||
      ::getsockname(native(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closeSocket(socket);
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port = ntohs(address.sin_port);
  return socket;
}

}  // namespace

SocketHandle listenOnLoopback(int& port) {
  return boundOnLoopback(port, true);
}

SocketHandle bindOnLoopback(int& port) {
  return boundOnLoopback(port, false);
}

bool waitReadable(SocketHandle socket, int timeoutMs) {
#ifdef _WIN32
  WSAPOLLFD entry{native(socket), POLLRDNORM, 0};
  return ::WSAPoll(&entry, 1, timeoutMs) > 0;
#else
  pollfd entry{native(socket), POLLIN, 0};
  return ::poll(&entry, 1, timeoutMs) > 0;
#endif
}

SocketHandle acceptConnection(SocketHandle listener) {
#ifdef _WIN32
  return handleOf(::accept(native(listener), nullptr, nullptr));
#else
  return handleOf(::accept4(native(listener), nullptr, nullptr, SOCK_CLOEXEC));
#endif
}

long receiveSome(SocketHandle socket, char* buffer, std::size_t size) {
#ifdef _WIN32
  return ::recv(native(socket), buffer, static_cast<int>(size), 0);
#else
  return static_cast<long>(::recv(native(socket), buffer, size, 0));
#endif
}

bool sendAll(SocketHandle socket, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
#ifdef _WIN32
    const long sent =
        ::send(native(socket), bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
#else
    const long sent = static_cast<long>(
        ::send(native(socket), bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL));
#endif
    if (sent <= 0) {
      return false;
    }
    done += static_cast<std::size_t>(sent);
  }
  return true;
}

void shutdownBoth(SocketHandle socket) {
#ifdef _WIN32
  ::shutdown(native(socket), SD_BOTH);
#else
  ::shutdown(native(socket), SHUT_RDWR);
#endif
}

void abortOnClose(SocketHandle socket) {
  linger abort{};
  abort.l_onoff = 1;
  abort.l_linger = 0;
  ::setsockopt(native(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
               sizeof abort);
}

void closeSocket(SocketHandle socket) {
#ifdef _WIN32
  ::closesocket(native(socket));
#else
  ::close(native(socket));
#endif
}

void joinWorkers(std::mutex& mutex, std::vector<std::thread>& workers) {
  std::vector<std::thread> taken;
  {
    std::lock_guard<std::mutex> lock(mutex);
    taken.swap(workers);
  }
  for (std::thread& worker : taken) {
    worker.join();
  }
}

}  // namespace zk::test
