#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zk::platform {

// Socket failures are numbered the way Windows Sockets numbers them, so that
// every message reads the same on every platform.
inline constexpr int kSocketErrorConnectionAborted = 10053;  // WSAECONNABORTED
inline constexpr int kSocketErrorConnectionReset = 10054;    // WSAECONNRESET
inline constexpr int kSocketErrorShutdown = 10058;           // WSAESHUTDOWN
inline constexpr int kSocketErrorTimedOut = 10060;           // WSAETIMEDOUT
inline constexpr int kSocketErrorRefused = 10061;            // WSAECONNREFUSED
inline constexpr int kSocketErrorHostNotFound = 11001;       // WSAHOST_NOT_FOUND

// The text for a Windows Sockets number ("Connection refused."); empty for
// numbers without one.
std::string socketErrorText(int code);
// "Socket Error # <code>" CR LF <text>.
std::string socketErrorMessage(int code);
// The Windows Sockets number for an errno value (Windows' own numbers pass
// unchanged).
int socketErrorCode(int errnoValue);
// Throws SocketError(code, socketErrorMessage(code)).
[[noreturn]] void throwSocketError(int code);

// An IPv4 address in host byte order.
using Ipv4Address = std::uint32_t;

// Four dot-separated decimal numbers from 0 to 255, as an address.
bool parseDottedQuad(const std::string& host, Ipv4Address& address);

// "LOCALHOST" in any letter case gives 127.0.0.1; four dot-separated decimal
// numbers from 0 to 255 are taken as they are; any other name is looked up
// and its first IPv4 address is used. Throws SocketError 11001 when the name
// cannot be resolved.
Ipv4Address resolveHost(const std::string& host);
// The first IPv4 address the system's resolver gives for the name; throws
// SocketError 11001 when there is none.
Ipv4Address lookupHost(const std::string& host);

// One connected TCP stream. Every call blocks; failures throw SocketError.
class StreamSocket {
 public:
  virtual ~StreamSocket() = default;
  // Passes every byte to the connection, with as many calls as it takes.
  virtual void sendAll(const char* data, std::size_t size) = 0;
  // Receives at most `size` bytes; 0 means the other side has closed.
  virtual std::size_t receive(char* buffer, std::size_t size) = 0;
  // Waits until data (or the other side's close) can be received; a negative
  // timeout waits without limit. False when the time ran out.
  virtual bool waitReadable(int timeoutMs) = 0;
  // Shuts the connection down for sending, then releases it. Never fails;
  // safe to call more than once.
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
};

// Creates a TCP socket bound to any local address and port and connects it.
// The connect blocks until the system completes or refuses it; delayed small
// writes stay on. A failed connect releases the socket and throws SocketError.
std::unique_ptr<StreamSocket> connectTcp(Ipv4Address address, std::uint16_t port);

// Tells the system that a large buffer is about to be filled from a socket
// front to back, so that it is backed by large pages where the system offers
// them (fewer page faults while a big body arrives). Only advice: nothing
// fails and the contents stay as they are.
void adviseLargeReceiveBuffer(void* data, std::size_t size);

}  // namespace zk::platform
