// Signatures made by the real minisign tool before the suite runs
// (scripts/make-trust-fixtures.sh, called by the test script), checked by the
// program's own libsodium: in the Windows suite the cross-built one, where
// minisign itself cannot run.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/error.h"
#include "tests/support/temp_folder.h"
#include "trust/signed_updates.h"

namespace zk::trust {
namespace {

constexpr const char* kRoot = "http://127.0.0.1:9/zk";

class SignedFixtures : public ::testing::Test {
 protected:
  void SetUp() override {
    fixtures_ = test::hostPathFromEnvironment("ZK_TRUST_FIXTURES");
    if (fixtures_.empty()) {
      GTEST_SKIP() << "ZK_TRUST_FIXTURES not set: scripts/make-trust-fixtures.sh makes them";
    }
  }

  std::string publicKey(const std::string& name) const {
    const std::string file = test::readFile(fixtures_ + "/" + name + ".pub");
    std::string line = file.substr(file.find('\n') + 1);
    return line.substr(0, line.find('\n'));
  }

  // Signed updates with the fixture folders as the server's year folders.
  SignedUpdates trustFor(const std::string& key) {
    return SignedUpdates(publicKey(key), state_.file("zkimza.txt"), [this](const std::string& url) {
      const std::string local = fixtures_ + url.substr(std::string(kRoot).size());
      if (!std::filesystem::is_regular_file(std::filesystem::u8path(local))) {
        throw Error("HTTP/1.1 404 Not Found");
      }
      return test::readFile(local);
    });
  }

  std::optional<Reason> reasonFor(SignedUpdates& trust, const std::string& folder,
                                  const std::string& name) {
    const std::string url = std::string(kRoot) + "/" + folder + "/" + name;
    const auto refusal = trust.checkFile(url, fixtures_ + "/" + folder + "/" + name);
    return refusal ? std::optional(refusal->reason) : std::nullopt;
  }

  std::string fixtures_;
  test::TempFolder state_;
};

TEST_F(SignedFixtures, ListedFilesPassWithThePrehashedAndTheLegacySignature) {
  for (const char* folder : {"prehashed", "legacy"}) {
    SignedUpdates trust = trustFor("key");
    EXPECT_FALSE(reasonFor(trust, folder, "zelvak.rar")) << folder;
    EXPECT_FALSE(reasonFor(trust, folder, "verzk.txt")) << folder;
  }
}

TEST_F(SignedFixtures, AnAlteredFileAnotherKeyAndAnAlteredListAreRefused) {
  SignedUpdates trust = trustFor("key");
  EXPECT_EQ(reasonFor(trust, "altered", "zelvak.rar"), Reason::Mismatch);
  EXPECT_FALSE(reasonFor(trust, "altered", "verzk.txt"));
  EXPECT_EQ(reasonFor(trust, "other", "zelvak.rar"), Reason::OtherKey);
  EXPECT_EQ(reasonFor(trust, "badlist", "zelvak.rar"), Reason::BadSignature);
  // The other key accepts its own folder and no other.
  SignedUpdates otherTrust = trustFor("other");
  EXPECT_FALSE(reasonFor(otherTrust, "other", "verzk.txt"));
  EXPECT_EQ(reasonFor(otherTrust, "prehashed", "verzk.txt"), Reason::OtherKey);
}

}  // namespace
}  // namespace zk::trust
