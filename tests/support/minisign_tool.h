#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace zk::test {

// A key pair made by the real minisign tool, and the vendor's two steps done
// with the real tools: sha256sum writes a folder's SHA256SUMS, minisign signs
// it. Nothing here computes a digest or a signature itself.
class MinisignKey {
 public:
  MinisignKey();

  // The key line of the public key file ("RW...").
  std::string publicKeyLine() const;

  // Writes `folder`/SHA256SUMS for `names` (files in `folder`) and signs it
  // into SHA256SUMS.minisig. A timestamp replaces minisign's own trusted
  // comment by "timestamp:<n>\tfile:SHA256SUMS"; legacy signs the list itself
  // instead of its BLAKE2b digest.
  void signFolder(const std::string& folder, const std::vector<std::string>& names,
                  std::optional<std::int64_t> timestamp = std::nullopt, bool legacy = false) const;
  // Signs one file into file + ".minisig" with the given trusted comment
  // (minisign's own when empty).
  void sign(const std::string& file, const std::string& trustedComment = "",
            bool legacy = false) const;

 private:
  TempFolder folder_;
};

// Runs a shell command; true when it exited with 0.
bool runShell(const std::string& command);

}  // namespace zk::test
