#include "trust/checksum_list.h"

#include <sodium.h>

#include "platform/stream_file.h"
#include "trust/sodium_init.h"

namespace zk::trust {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

bool parseLine(std::string_view line, std::string& name, Sha256& digest) {
  constexpr std::size_t kHexDigits = 64;
  if (line.size() < kHexDigits + 3 || line[kHexDigits] != ' ' ||
      (line[kHexDigits + 1] != ' ' && line[kHexDigits + 1] != '*')) {
    return false;
  }
  for (std::size_t i = 0; i < digest.size(); ++i) {
    const int high = hexValue(line[2 * i]);
    const int low = hexValue(line[2 * i + 1]);
    if (high < 0 || low < 0) {
      return false;
    }
    digest[i] = static_cast<unsigned char>(high * 16 + low);
  }
  name = std::string(line.substr(kHexDigits + 2));
  return name.find_first_of("/\\") == std::string::npos && name != "." && name != ".." &&
         name.find('\0') == std::string::npos;
}

}  // namespace

std::optional<std::map<std::string, Sha256>> parseChecksumList(std::string_view text) {
  std::map<std::string, Sha256> list;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) {
      // sha256sum ends every line; a list cut short is refused.
      return std::nullopt;
    }
    std::string name;
    Sha256 digest{};
    if (!parseLine(text.substr(0, end), name, digest) || !list.emplace(name, digest).second) {
      return std::nullopt;
    }
    text.remove_prefix(end + 1);
  }
  return list;
}

Sha256 sha256(std::string_view bytes) {
  requireSodium();
  Sha256 digest{};
  crypto_hash_sha256(digest.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                     bytes.size());
  return digest;
}

std::optional<Sha256> sha256OfFile(const std::string& path) {
  requireSodium();
  platform::StreamFile file = platform::StreamFile::openForReading(path);
  if (!file.isOpen()) {
    return std::nullopt;
  }
  crypto_hash_sha256_state state;
  crypto_hash_sha256_init(&state);
  static thread_local unsigned char buffer[1 << 16];
  std::int64_t got = 0;
  while ((got = file.read(buffer, sizeof buffer)) > 0) {
    crypto_hash_sha256_update(&state, buffer, static_cast<unsigned long long>(got));
  }
  if (got < 0) {
    return std::nullopt;
  }
  Sha256 digest{};
  crypto_hash_sha256_final(&state, digest.data());
  return digest;
}

}  // namespace zk::trust
