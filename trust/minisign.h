#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zk::trust {

// The key and signature formats of the minisign tool, which the vendor signs
// the file lists with. Both parsers take untrusted text and never fail by
// exception: what is not exactly the format gives no value.

using KeyId = std::array<unsigned char, 8>;

struct PublicKey {
  KeyId keyId{};
  std::array<unsigned char, 32> key{};
};

struct Signature {
  // "ED": the signature covers the BLAKE2b-512 digest of the file, "Ed": the
  // file itself.
  bool prehashed = false;
  KeyId keyId{};
  std::array<unsigned char, 64> signature{};
  // The text after "trusted comment: ", covered by globalSignature together
  // with the signature bytes.
  std::string trustedComment;
  std::array<unsigned char, 64> globalSignature{};
};

// The key line of a minisign public key (base64 of "Ed", key id, key), alone
// or as the second line of the .pub file after its untrusted comment.
std::optional<PublicKey> parsePublicKey(std::string_view text);

// A .minisig file: untrusted comment line, signature line, trusted comment
// line, global signature line.
std::optional<Signature> parseSignature(std::string_view text);

enum class SignatureCheck { Valid, OtherKey, BadSignature, BadTrustedComment };

// Checks that `signature` was made over `message` by `key`, and that its
// trusted comment is the one that was signed.
SignatureCheck verifySignature(const PublicKey& key, const Signature& signature,
                               std::string_view message);

// The "timestamp:<seconds>" field minisign writes into the trusted comment;
// none when it is missing or not a number.
std::optional<std::int64_t> signedTimestamp(std::string_view trustedComment);

// The key id as minisign prints it (16 upper-case hex digits).
std::string keyIdText(const KeyId& id);

}  // namespace zk::trust
