#include "platform/socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace zk::platform {
namespace {

// Windows Sockets is started once for the life of the program.
void startWindowsSockets() {
  static const int started = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  if (started != 0) {
    throwSocketError(started);
  }
}

[[noreturn]] void throwLastSocketError() {
  throwSocketError(WSAGetLastError());
}

class WindowsStreamSocket : public StreamSocket {
 public:
  explicit WindowsStreamSocket(SOCKET socket) : socket_(socket) {}
  ~WindowsStreamSocket() override { close(); }

  void sendAll(const char* data, std::size_t size) override {
    while (size > 0) {
      const int chunk = size > 1u << 30 ? 1 << 30 : static_cast<int>(size);
      const int sent = ::send(socket_, data, chunk, 0);
      if (sent == SOCKET_ERROR) {
        throwLastSocketError();
      }
      data += sent;
      size -= static_cast<std::size_t>(sent);
    }
  }

  std::size_t receive(char* buffer, std::size_t size) override {
    const int chunk = size > 1u << 30 ? 1 << 30 : static_cast<int>(size);
    const int got = ::recv(socket_, buffer, chunk, 0);
    if (got == SOCKET_ERROR) {
      throwLastSocketError();
    }
    return static_cast<std::size_t>(got);
  }

  bool waitReadable(int timeoutMs) override {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready = ::select(0, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit);
    if (ready == SOCKET_ERROR) {
      throwLastSocketError();
    }
    return ready > 0;
  }

  void close() override {
    if (socket_ != INVALID_SOCKET) {
      ::shutdown(socket_, SD_SEND);
      ::closesocket(socket_);
      socket_ = INVALID_SOCKET;
    }
  }

  bool isOpen() const override { return socket_ != INVALID_SOCKET; }

 private:
  SOCKET socket_;
};

}  // namespace

int socketErrorCode(int errorNumber) {
  return errorNumber;
}

Ipv4Address lookupHost(const std::string& host) {
  startWindowsSockets();
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 ||
      found == nullptr) {
    throwSocketError(kSocketErrorHostNotFound);
  }
  const Ipv4Address address =
      ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
  ::freeaddrinfo(found);
  return address;
}

std::unique_ptr<StreamSocket> connectTcp(Ipv4Address address, std::uint16_t port) {
  startWindowsSockets();
  const SOCKET handle = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                     WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (handle == INVALID_SOCKET) {
    throwLastSocketError();
  }
  auto socket = std::make_unique<WindowsStreamSocket>(handle);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = 0;
  if (::bind(handle, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    throwLastSocketError();
  }
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_addr.s_addr = htonl(address);
  remote.sin_port = htons(port);
  if (::connect(handle, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
    throwLastSocketError();
  }
  return socket;
}

}  // namespace zk::platform
