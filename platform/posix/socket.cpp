#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "core/error.h"
#include "core/text_encoding.h"
#include "platform/socket.h"

namespace zk::platform {

std::string socketErrorText(int code) {
  switch (code) {
    case 10004:
      return "Interrupted system call.";
    case 10009:
      return "Bad file number.";
    case 10013:
      return "Access denied.";
    case 10014:
      return "Bad address.";
    case 10022:
      return "Invalid argument.";
    case 10024:
      return "Too many open files.";
    case 10035:
      return "Operation would block. ";
    case 10036:
      return "Operation now in progress.";
    case 10037:
      return "Operation already in progress.";
    case 10038:
      return "Socket operation on non-socket.";
    case 10039:
      return "Destination address required.";
    case 10040:
      return "Message too long.";
    case 10041:
      return "Protocol wrong type for socket.";
    case 10042:
      return "Bad protocol option.";
    case 10043:
      return "Protocol not supported.";
    case 10044:
      return "Socket type not supported.";
    case 10045:
      return "Operation not supported on socket.";
    case 10046:
      return "Protocol family not supported.";
    case 10047:
      return "Address family not supported by protocol family.";
    case 10048:
      return "Address already in use.";
    case 10049:
      return "Cannot assign requested address.";
    case 10050:
      return "Network is down.";
    case 10051:
      return "Network is unreachable.";
    case 10052:
      return "Net dropped connection or reset.";
    case 10053:
      return "Software caused connection abort.";
    case 10054:
      return "Connection reset by peer.";
    case 10055:
      return "No buffer space available.";
    case 10056:
      return "Socket is already connected.";
    case 10057:
      return "Socket is not connected.";
    case 10058:
      return "Cannot send or receive after socket is closed.";
    case 10059:
      return "Too many references, cannot splice.";
    case 10060:
      return "Connection timed out.";
    case 10061:
      return "Connection refused.";
    case 10062:
      return "Too many levels of symbolic links.";
    case 10063:
      return "File name too long.";
    case 10064:
      return "Host is down.";
    case 10065:
      return "No route to host.";
    case 10066:
      return "Directory not empty";
    case 11001:
      return "Host not found.";
    default:
      return "";
  }
}

std::string socketErrorMessage(int code) {
  return "Socket Error # " + std::to_string(code) + "\r\n" + socketErrorText(code);
}

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

void throwSocketError(int code) {
  throw SocketError(code, socketErrorMessage(code));
}

namespace {

// Four dot-separated decimal numbers from 0 to 255.
bool parseDottedQuad(const std::string& host, Ipv4Address& address) {
  Ipv4Address result = 0;
  std::size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (pos >= host.size() || host[pos] != '.')
        return false;
      ++pos;
    }
    const std::size_t start = pos;
    unsigned value = 0;
    while (pos < host.size() && host[pos] >= '0' && host[pos] <= '9') {
      value = value * 10 + static_cast<unsigned>(host[pos] - '0');
      if (value > 255)
        return false;
      ++pos;
    }
    if (pos == start)
      return false;
    result = (result << 8) | value;
  }
  if (pos != host.size())
    return false;
  address = result;
  return true;
}

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

Ipv4Address resolveHost(const std::string& host) {
  if (equalsIgnoringAsciiCase(host, "LOCALHOST")) {
    return 0x7F000001u;
  }
  Ipv4Address address = 0;
  if (parseDottedQuad(host, address)) {
    return address;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 ||
      found == nullptr) {
    throwSocketError(kSocketErrorHostNotFound);
  }
  address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
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
