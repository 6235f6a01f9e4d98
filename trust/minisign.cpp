#include "trust/minisign.h"

#include <sodium.h>

#include <cstring>
#include <vector>

#include "trust/sodium_init.h"

namespace zk::trust {
namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment:";
constexpr std::string_view kTrustedPrefix = "trusted comment: ";

std::string_view trimLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  return line;
}

// Base64 of exactly `size` bytes, nothing before or after.
bool decodeExact(std::string_view text, unsigned char* out, std::size_t size) {
  requireSodium();
  std::vector<unsigned char> buffer(size + 1);
  std::size_t length = 0;
  const char* end = nullptr;
  if (sodium_base642bin(buffer.data(), buffer.size(), text.data(), text.size(), nullptr, &length,
                        &end, sodium_base64_VARIANT_ORIGINAL) != 0) {
    return false;
  }
  if (end != text.data() + text.size() || length != size) {
    return false;
  }
  std::memcpy(out, buffer.data(), size);
  return true;
}

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> result;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    result.push_back(trimLineEnd(text.substr(0, end)));
    if (end == std::string_view::npos) {
      break;
    }
    text.remove_prefix(end + 1);
  }
  while (!result.empty() && result.back().empty()) {
    result.pop_back();
  }
  return result;
}

}  // namespace

std::optional<PublicKey> parsePublicKey(std::string_view text) {
  std::vector<std::string_view> all = lines(text);
  while (!all.empty() && all.front().empty()) {
    all.erase(all.begin());
  }
  if (!all.empty() && all.front().starts_with(kUntrustedPrefix)) {
    all.erase(all.begin());
  }
  if (all.size() != 1) {
    return std::nullopt;
  }
  std::string_view line = all.front();
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
    line.remove_prefix(1);
  }
  unsigned char raw[2 + 8 + 32];
  if (!decodeExact(line, raw, sizeof raw) || raw[0] != 'E' || raw[1] != 'd') {
    return std::nullopt;
  }
  PublicKey key;
  std::memcpy(key.keyId.data(), raw + 2, 8);
  std::memcpy(key.key.data(), raw + 10, 32);
  return key;
}

std::optional<Signature> parseSignature(std::string_view text) {
  const std::vector<std::string_view> all = lines(text);
  if (all.size() != 4 || !all[0].starts_with(kUntrustedPrefix) ||
      !all[2].starts_with(kTrustedPrefix)) {
    return std::nullopt;
  }
  unsigned char raw[2 + 8 + 64];
  if (!decodeExact(all[1], raw, sizeof raw) || raw[0] != 'E' || (raw[1] != 'd' && raw[1] != 'D')) {
    return std::nullopt;
  }
  Signature signature;
  signature.prehashed = raw[1] == 'D';
  std::memcpy(signature.keyId.data(), raw + 2, 8);
  std::memcpy(signature.signature.data(), raw + 10, 64);
  // The comment as minisign signed it: the line without its line break.
  // The third line, taken from the text itself: trimming would change it.
  const std::size_t line = text.find("\ntrusted comment: ");
  if (line == std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view comment = text.substr(line + 1 + kTrustedPrefix.size());
  comment = comment.substr(0, comment.find('\n'));
  if (comment.ends_with('\r')) {
    comment.remove_suffix(1);
  }
  signature.trustedComment = std::string(comment);
  if (!decodeExact(all[3], signature.globalSignature.data(), signature.globalSignature.size())) {
    return std::nullopt;
  }
  return signature;
}

SignatureCheck verifySignature(const PublicKey& key, const Signature& signature,
                               std::string_view message) {
  requireSodium();
  if (key.keyId != signature.keyId) {
    return SignatureCheck::OtherKey;
  }
  int result = 0;
  if (signature.prehashed) {
    unsigned char digest[crypto_generichash_BYTES_MAX];
    crypto_generichash(digest, sizeof digest,
                       reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                       nullptr, 0);
    result = crypto_sign_verify_detached(signature.signature.data(), digest, sizeof digest,
                                         key.key.data());
  } else {
    result = crypto_sign_verify_detached(signature.signature.data(),
                                         reinterpret_cast<const unsigned char*>(message.data()),
                                         message.size(), key.key.data());
  }
  if (result != 0) {
    return SignatureCheck::BadSignature;
  }
  std::string global(reinterpret_cast<const char*>(signature.signature.data()),
                     signature.signature.size());
  global += signature.trustedComment;
  if (crypto_sign_verify_detached(signature.globalSignature.data(),
                                  reinterpret_cast<const unsigned char*>(global.data()),
                                  global.size(), key.key.data()) != 0) {
    return SignatureCheck::BadTrustedComment;
  }
  return SignatureCheck::Valid;
}

std::optional<std::int64_t> signedTimestamp(std::string_view trustedComment) {
  constexpr std::string_view kField = "timestamp:";
  std::size_t at = 0;
  // A field starts the comment or follows a tab.
  while ((at = trustedComment.find(kField, at)) != std::string_view::npos) {
    if (at == 0 || trustedComment[at - 1] == '\t') {
      break;
    }
    ++at;
  }
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view digits = trustedComment.substr(at + kField.size());
  digits = digits.substr(0, digits.find('\t'));
  if (digits.empty() || digits.size() > 18) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string keyIdText(const KeyId& id) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  // minisign stores the id little-endian and prints it as a number.
  for (std::size_t i = id.size(); i-- > 0;) {
    text += kHex[id[i] >> 4];
    text += kHex[id[i] & 0xF];
  }
  return text;
}

}  // namespace zk::trust
