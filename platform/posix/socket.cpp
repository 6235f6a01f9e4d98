#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/socket.h"

namespace zk::platform {

int socketErrorCode(int errnoValue) {
  switch (errnoValue) {
    case EINTR:
      return 10004;
    case EBADF:
      return 10009;
    case EACCES:
    case EPERM:
      return 10013;
    case EFAULT:
      return 10014;
    case EINVAL:
      return 10022;
    case EMFILE:
    case ENFILE:
      return 10024;
    case EAGAIN:
      return 10035;
    case EINPROGRESS:
      return 10036;
    case EALREADY:
      return 10037;
    case ENOTSOCK:
      return 10038;
    case EDESTADDRREQ:
      return 10039;
    case EMSGSIZE:
      return 10040;
    case EPROTOTYPE:
      return 10041;
    case ENOPROTOOPT:
      return 10042;
    case EPROTONOSUPPORT:
      return 10043;
    case ESOCKTNOSUPPORT:
      return 10044;
    case EOPNOTSUPP:
      return 10045;
    case EPFNOSUPPORT:
      return 10046;
    case EAFNOSUPPORT:
      return 10047;
    case EADDRINUSE:
      return 10048;
    case EADDRNOTAVAIL:
      return 10049;
    case ENETDOWN:
      return 10050;
    case ENETUNREACH:
      return 10051;
    case ENETRESET:
      return 10052;
    case ECONNABORTED:
      return 10053;
    case ECONNRESET:
      return 10054;
    case ENOBUFS:
    case ENOMEM:
      return 10055;
    case EISCONN:
      return 10056;
    case ENOTCONN:
      return 10057;
    case ESHUTDOWN:
    case EPIPE:
      return 10058;
    case ETOOMANYREFS:
      return 10059;
    case ETIMEDOUT:
      return 10060;
    case ECONNREFUSED:
      return 10061;
    case ELOOP:
      return 10062;
    case ENAMETOOLONG:
      return 10063;
    case EHOSTDOWN:
      return 10064;
    case EHOSTUNREACH:
      return 10065;
    case ENOTEMPTY:
      return 10066;
    default:
      return errnoValue;
  }
}

namespace {

class PosixStreamSocket : public StreamSocket {
 public:
  explicit PosixStreamSocket(int fd) : fd_(fd) {}
  ~PosixStreamSocket() override { close(); }

  void sendAll(const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t sent = ::send(fd_, data, size, MSG_NOSIGNAL);
      if (sent < 0) {
        if (errno == EINTR)
          continue;
        throwSocketError(socketErrorCode(errno));
      }
      data += sent;
      size -= static_cast<std::size_t>(sent);
    }
  }

  std::size_t receive(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t got = ::recv(fd_, buffer, size, 0);
      if (got >= 0)
        return static_cast<std::size_t>(got);
      if (errno == EINTR)
        continue;
      throwSocketError(socketErrorCode(errno));
    }
  }

  bool waitReadable(int timeoutMs) override {
    pollfd entry{fd_, POLLIN, 0};
    for (;;) {
      const int ready = ::poll(&entry, 1, timeoutMs < 0 ? -1 : timeoutMs);
      if (ready > 0)
        return true;
      if (ready == 0)
        return false;
      if (errno != EINTR)
        throwSocketError(socketErrorCode(errno));
    }
  }

  void close() override {
    if (fd_ >= 0) {
      ::shutdown(fd_, SHUT_WR);
      ::close(fd_);
      fd_ = -1;
    }
  }

  bool isOpen() const override { return fd_ >= 0; }

 private:
  int fd_;
};

}  // namespace

Ipv4Address lookupHost(const std::string& host) {
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
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    throwSocketError(socketErrorCode(errno));
  }
  auto socket = std::make_unique<PosixStreamSocket>(fd);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = 0;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    throwSocketError(socketErrorCode(errno));
  }
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_addr.s_addr = htonl(address);
  remote.sin_port = htons(port);
  while (::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
    if (errno == EINTR) {
      // The connect goes on in the background; wait for its outcome.
      pollfd entry{fd, POLLOUT, 0};
      while (::poll(&entry, 1, -1) < 0 && errno == EINTR) {
      }
      int failure = 0;
      socklen_t length = sizeof failure;
      ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &length);
      if (failure != 0)
        throwSocketError(socketErrorCode(failure));
      break;
    }
    throwSocketError(socketErrorCode(errno));
  }
  return socket;
}

}  // namespace zk::platform
