// Signed file lists checked against keys and signatures made by the real
// minisign tool. The lists are read from folders through a fetcher that
// reads files, so that each case can alter exactly one byte; the update
// actions' tests fetch them from a real loopback server.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/error.h"
#include "tests/support/minisign_tool.h"
#include "tests/support/temp_folder.h"
#include "trust/minisign.h"
#include "trust/signed_updates.h"

namespace zk::trust {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRoot = "http://127.0.0.1:9/zk";

class SignedFolder : public ::testing::Test {
 protected:
  SignedFolder() {
    fs::create_directories(server.file("2027"));
    test::writeFile(server.file("2027/zelvak.rar"), "archive bytes");
    test::writeFile(server.file("2027/verzk.txt"), "2027");
    test::writeFile(server.file("2027/unlisted.rar"), "not in the list");
  }

  void signYear(std::optional<std::int64_t> timestamp = std::nullopt, bool legacy = false,
                const test::MinisignKey* by = nullptr) {
    (by != nullptr ? *by : key)
        .signFolder(server.file("2027"), {"zelvak.rar", "verzk.txt"}, timestamp, legacy);
  }

  SignedUpdates signedUpdates(const std::string& publicKey = "") {
    return SignedUpdates(publicKey.empty() ? key.publicKeyLine() : publicKey, state.file("state"),
                         [this](const std::string& url) {
                           fetched.push_back(url);
                           const std::string local =
                               server.path() + url.substr(std::string(kRoot).size());
                           if (!fs::is_regular_file(local)) {
                             throw Error("HTTP/1.1 404 Not Found");
                           }
                           return test::readFile(local);
                         });
  }

  std::optional<Reason> reasonFor(SignedUpdates& trust, const std::string& name) {
    const std::string url = std::string(kRoot) + "/2027/" + name;
    const auto refusal = trust.check(url, test::readFile(server.file("2027/" + name)));
    if (refusal) {
      EXPECT_EQ(refusal->fileName, name);
      return refusal->reason;
    }
    return std::nullopt;
  }

  test::MinisignKey key;
  test::TempFolder server;
  test::TempFolder state;
  std::vector<std::string> fetched;
};

TEST_F(SignedFolder, ListedFilesPassWithBothSignatureVariants) {
  for (bool legacy : {false, true}) {
    signYear(std::nullopt, legacy);
    SignedUpdates trust = signedUpdates();
    EXPECT_FALSE(reasonFor(trust, "zelvak.rar")) << legacy;
    EXPECT_FALSE(reasonFor(trust, "verzk.txt")) << legacy;
    EXPECT_FALSE(
        trust.checkFile(std::string(kRoot) + "/2027/zelvak.rar", server.file("2027/zelvak.rar")));
  }
  // The list and its signature once per run and folder, before any file.
  EXPECT_EQ(fetched, (std::vector<std::string>{
                         std::string(kRoot) + "/2027/SHA256SUMS",
                         std::string(kRoot) + "/2027/SHA256SUMS.minisig",
                         std::string(kRoot) + "/2027/SHA256SUMS",
                         std::string(kRoot) + "/2027/SHA256SUMS.minisig",
                     }));
}

TEST_F(SignedFolder, AFileAlteredByOneByteOrNotListedIsRefused) {
  signYear();
  SignedUpdates trust = signedUpdates();
  EXPECT_EQ(trust.check(std::string(kRoot) + "/2027/zelvak.rar", "archive bytez")->reason,
            Reason::Mismatch);
  EXPECT_EQ(reasonFor(trust, "unlisted.rar"), Reason::NotListed);
  EXPECT_EQ(
      trust.checkFile(std::string(kRoot) + "/2027/zelvak.rar", server.file("missing"))->reason,
      Reason::Mismatch);
  EXPECT_EQ(trust.refusals(), 3);
}

TEST_F(SignedFolder, AListSignedByAnotherKeyIsRefused) {
  test::MinisignKey other;
  signYear(std::nullopt, false, &other);
  SignedUpdates trust = signedUpdates();
  EXPECT_EQ(reasonFor(trust, "zelvak.rar"), Reason::OtherKey);
}

TEST_F(SignedFolder, AnAlteredListOrTrustedCommentBreaksTheSignature) {
  signYear();
  const std::string listPath = server.file("2027/SHA256SUMS");
  const std::string list = test::readFile(listPath);
  // The list names one more file than was signed.
  test::writeFile(listPath, list + list.substr(0, 64) + "  unlisted.rar\n");
  {
    SignedUpdates trust = signedUpdates();
    EXPECT_EQ(reasonFor(trust, "unlisted.rar"), Reason::BadSignature);
  }
  test::writeFile(listPath, list);
  // A trusted comment edited to a later time.
  const std::string sigPath = server.file("2027/SHA256SUMS.minisig");
  std::string signature = test::readFile(sigPath);
  const std::size_t digit = signature.find("timestamp:") + 10;
  signature[digit] = signature[digit] == '9' ? '8' : '9';
  test::writeFile(sigPath, signature);
  SignedUpdates trust = signedUpdates();
  EXPECT_EQ(reasonFor(trust, "zelvak.rar"), Reason::BadSignature);
}

TEST_F(SignedFolder, AMissingOrTruncatedSignatureOrListFailsClosed) {
  signYear();
  const std::string sigPath = server.file("2027/SHA256SUMS.minisig");
  const std::string signature = test::readFile(sigPath);
  for (std::size_t cut : {signature.size() - 10, signature.size() / 2, std::size_t{0}}) {
    test::writeFile(sigPath, signature.substr(0, cut));
    SignedUpdates trust = signedUpdates();
    EXPECT_EQ(reasonFor(trust, "zelvak.rar"), Reason::UnreadableSignature) << cut;
  }
  fs::remove(sigPath);
  {
    SignedUpdates trust = signedUpdates();
    EXPECT_EQ(reasonFor(trust, "zelvak.rar"), Reason::NoSignature);
  }
  fs::remove(server.file("2027/SHA256SUMS"));
  fetched.clear();
  SignedUpdates trust = signedUpdates();
  EXPECT_EQ(reasonFor(trust, "zelvak.rar"), Reason::NoList);
  // A refused list is asked for again at the next file.
  EXPECT_EQ(reasonFor(trust, "verzk.txt"), Reason::NoList);
  EXPECT_EQ(std::count(fetched.begin(), fetched.end(), std::string(kRoot) + "/2027/SHA256SUMS"), 2);
}

TEST_F(SignedFolder, AListOlderThanTheFloorIsRefusedANewerOneMovesIt) {
  signYear(2000);
  {
    SignedUpdates trust = signedUpdates();
    EXPECT_FALSE(reasonFor(trust, "zelvak.rar"));
  }
  EXPECT_EQ(test::readFile(state.file("state")), "2000 " + std::string(kRoot) + "/2027\n");
  signYear(1999);  // a replayed older list
  {
    SignedUpdates trust = signedUpdates();
    EXPECT_EQ(reasonFor(trust, "zelvak.rar"), Reason::Older);
  }
  signYear(2000);  // the same list again
  {
    SignedUpdates trust = signedUpdates();
    EXPECT_FALSE(reasonFor(trust, "zelvak.rar"));
  }
  signYear(2001);
  {
    SignedUpdates trust = signedUpdates();
    EXPECT_FALSE(reasonFor(trust, "zelvak.rar"));
  }
  EXPECT_EQ(test::readFile(state.file("state")), "2001 " + std::string(kRoot) + "/2027\n");
  signYear(2000);
  SignedUpdates trust = signedUpdates();
  EXPECT_EQ(reasonFor(trust, "zelvak.rar"), Reason::Older);
}

TEST_F(SignedFolder, AListWithoutASigningTimeIsRefused) {
  key.signFolder(server.file("2027"), {"zelvak.rar"});
  key.sign(server.file("2027/SHA256SUMS"), "file:SHA256SUMS");
  SignedUpdates trust = signedUpdates();
  EXPECT_EQ(reasonFor(trust, "zelvak.rar"), Reason::NoTimestamp);
}

TEST(MinisignFormats, KeyAndSignatureFilesOfTheToolParse) {
  test::MinisignKey key;
  test::TempFolder folder;
  test::writeFile(folder.file("f"), "content");
  key.sign(folder.file("f"));
  const auto publicKey = parsePublicKey(key.publicKeyLine());
  ASSERT_TRUE(publicKey);
  // The whole .pub file with its comment line works too.
  EXPECT_TRUE(
      parsePublicKey("untrusted comment: minisign public key\n" + key.publicKeyLine() + "\r\n"));
  const auto signature = parseSignature(test::readFile(folder.file("f.minisig")));
  ASSERT_TRUE(signature);
  EXPECT_TRUE(signature->prehashed);
  EXPECT_EQ(signature->keyId, publicKey->keyId);
  EXPECT_EQ(verifySignature(*publicKey, *signature, "content"), SignatureCheck::Valid);
  EXPECT_EQ(verifySignature(*publicKey, *signature, "contenT"), SignatureCheck::BadSignature);
  // The key id as the public key file's comment shows it.
  EXPECT_NE(key.publicKeyLine().find("RW"), std::string::npos);
  EXPECT_EQ(keyIdText(publicKey->keyId).size(), 16u);
}

}  // namespace
}  // namespace zk::trust
