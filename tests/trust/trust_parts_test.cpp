// The parts of signed updates that need no key: the file list's format, the
// digests, the URLs' folders and the rollback floor's state file.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_folder.h"
#include "trust/checksum_list.h"
#include "trust/minisign.h"
#include "trust/rollback_floor.h"
#include "trust/signed_updates.h"

namespace zk::trust {
namespace {

namespace fs = std::filesystem;

// sha256("abc") and sha256(""), from the standard's own examples.
constexpr const char* kAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
constexpr const char* kEmpty = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

std::string hex(const Sha256& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned char byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
  }
  return text;
}

TEST(ChecksumList, ReadsWhatSha256sumWritesInTextAndBinaryMode) {
  const auto list =
      parseChecksumList(std::string(kAbc) + "  zelvak.rar\n" + kEmpty + " *dosya adı.txt\n");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ(hex(list->at("zelvak.rar")), kAbc);
  EXPECT_EQ(hex(list->at("dosya adı.txt")), kEmpty);
  EXPECT_TRUE(parseChecksumList(""));
}

TEST(ChecksumList, RefusesTheWholeListForAnyLineItDoesNotMean) {
  const std::string good = std::string(kAbc) + "  a.rar\n";
  const std::string upper = "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
  for (const std::string& bad : {
           good + kAbc + "  a.rar\n",                                         // listed twice
           good + upper + "  b.rar\n",                                        // upper-case digits
           good + std::string(kAbc).substr(1) + "  b\n",                      // 63 digits
           good + kAbc + " b.rar\n",                                          // one blank
           good + kAbc + "  ../b.rar\n",                                      // a path
           good + kAbc + "  sub/b.rar\n", good + "\\" + kAbc + "  b\\\\c\n",  // escaped name
           good + kAbc + "  \n",                                              // no name
           good + kAbc + "  b.rar",                                           // cut short
           good + "\n",                                                       // empty line
       }) {
    EXPECT_FALSE(parseChecksumList(bad)) << bad;
  }
}

TEST(ChecksumList, DigestsOfBytesAndFilesAgree) {
  EXPECT_EQ(hex(sha256("abc")), kAbc);
  EXPECT_EQ(hex(sha256("")), kEmpty);
  test::TempFolder folder;
  test::writeFile(folder.file("big"), std::string(200000, 'x') + "abc");
  EXPECT_EQ(sha256OfFile(folder.file("big")), sha256(std::string(200000, 'x') + "abc"));
  EXPECT_FALSE(sha256OfFile(folder.file("missing")));
  EXPECT_FALSE(sha256OfFile(folder.path()));
}

TEST(SignedTimestamp, IsTheTimestampFieldOfMinisignsComment) {
  EXPECT_EQ(signedTimestamp("timestamp:1700000000\tfile:SHA256SUMS\thashed"), 1700000000);
  EXPECT_EQ(signedTimestamp("file:SHA256SUMS\ttimestamp:42"), 42);
  EXPECT_FALSE(signedTimestamp("file:SHA256SUMS"));
  EXPECT_FALSE(signedTimestamp("notatimestamp:5"));
  EXPECT_FALSE(signedTimestamp("timestamp:\tfile:x"));
  EXPECT_FALSE(signedTimestamp("timestamp:12a"));
  EXPECT_FALSE(signedTimestamp("timestamp:99999999999999999999"));
}

TEST(ServerFile, FolderIsTheUrlUpToTheNameWithDoubleAndBackSlashesRead) {
  const std::string root = "http://127.0.0.1:80/zk";
  EXPECT_EQ(serverFileOf(root + "/2027/zelvak.rar").folder, root + "/2027");
  EXPECT_EQ(serverFileOf(root + "/2027/zelvak.rar").name, "zelvak.rar");
  // The reports text with its doubled "/" and the reports version file with
  // its backslash belong to the same year folder.
  EXPECT_EQ(serverFileOf(root + "/2027//verrp.txt").folder, root + "/2027");
  EXPECT_EQ(serverFileOf(root + "/2027/\\verrp.txt").folder, root + "/2027");
  EXPECT_EQ(serverFileOf(root + "/2027/\\verrp.txt").name, "verrp.txt");
  EXPECT_EQ(serverFileOf(root + "//7z.so").folder, root);
  EXPECT_EQ(serverFileOf("http://host/7z.so").folder, "http://host");
}

TEST(PublicKeyText, ThatIsNotAKeyGivesNone) {
  EXPECT_FALSE(parsePublicKey(""));
  EXPECT_FALSE(parsePublicKey("RWQ"));
  // Base64 of 42 bytes that do not start with "Ed".
  EXPECT_FALSE(parsePublicKey("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"));
}

TEST(RollbackFloors, AreKeptPerFolderAcrossRunsAndOnlyRise) {
  test::TempFolder folder;
  const std::string state = folder.file("zkimza.txt");
  {
    RollbackFloors floors(state);
    EXPECT_FALSE(floors.floor("http://h/2027"));
    EXPECT_TRUE(floors.raise("http://h/2027", 200));
    EXPECT_TRUE(floors.raise("http://h", 50));
    EXPECT_TRUE(floors.raise("http://h/2027", 100));  // lower: kept at 200
  }
  RollbackFloors later(state);
  EXPECT_EQ(later.floor("http://h/2027"), 200);
  EXPECT_EQ(later.floor("http://h"), 50);
  EXPECT_FALSE(later.floor("http://h/2026"));
  EXPECT_EQ(test::readFile(state), "50 http://h\n200 http://h/2027\n");
  // Written beside itself and renamed: nothing else is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(RollbackFloors, AMissingOrUnreadableStateFileSetsNoFloor) {
  test::TempFolder folder;
  test::writeFile(folder.file("garbled"), "x http://h\n\n12\n 5 http://h\n");
  EXPECT_FALSE(RollbackFloors(folder.file("garbled")).floor("http://h"));
  EXPECT_FALSE(RollbackFloors(folder.file("none")).floor("http://h"));
  fs::create_directory(folder.file("folder"));
  RollbackFloors unwritable(folder.file("folder"));
  EXPECT_FALSE(unwritable.floor("http://h"));
  // It cannot be written, yet the floor holds for the rest of the run.
  EXPECT_FALSE(unwritable.raise("http://h", 7));
  EXPECT_EQ(unwritable.floor("http://h"), 7);
}

TEST(SignedUpdatesOff, AsksForNothingAndRefusesNothing) {
  int fetches = 0;
  SignedUpdates off("", "unused", [&](const std::string&) {
    ++fetches;
    return std::string();
  });
  EXPECT_FALSE(off.enabled());
  EXPECT_FALSE(off.checkFolder("http://h/2027/zelvak.rar"));
  EXPECT_FALSE(off.check("http://h/2027/zelvak.rar", "anything"));
  EXPECT_EQ(fetches, 0);
  EXPECT_FALSE(SignedUpdates().enabled());
}

TEST(SignedUpdatesOn, AKeyThatDoesNotParseRefusesEveryFile) {
  int fetches = 0;
  SignedUpdates broken("RWQnotakey", "unused", [&](const std::string&) {
    ++fetches;
    return std::string();
  });
  EXPECT_TRUE(broken.enabled());
  const auto refusal = broken.check("http://h/2027/zelvak.rar", "x");
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->reason, Reason::BadKey);
  EXPECT_EQ(refusalMessage(*refusal),
            "zelvak.rar dosyası doğrulanamadı (imza anahtarı geçersiz). Güncelleme yapılmadı, "
            "hiçbir dosya yüklenmedi.");
  EXPECT_EQ(fetches, 0);
  EXPECT_EQ(broken.refusals(), 1);
}

}  // namespace
}  // namespace zk::trust
