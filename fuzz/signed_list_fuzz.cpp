// Feeds arbitrary bytes to the parsers that read what the update server
// sends for signed updates: the minisign signature file, the SHA256SUMS list,
// the trusted comment's timestamp, and a public key line as it may stand in
// the settings file. A signature that parses is also checked, so the
// verification runs on every shape the parser lets through.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "trust/checksum_list.h"
#include "trust/minisign.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The list and the message the signature is checked over: the input
  // itself, as a list that came with its signature would be.
  (void)zk::trust::parseChecksumList(text);
  (void)zk::trust::signedTimestamp(text);
  const auto key = zk::trust::parsePublicKey(text);
  if (const auto signature = zk::trust::parseSignature(text)) {
    zk::trust::PublicKey any;
    any.keyId = signature->keyId;
    (void)zk::trust::verifySignature(key ? *key : any, *signature, text);
    (void)zk::trust::signedTimestamp(signature->trustedComment);
  }
  return 0;
}
