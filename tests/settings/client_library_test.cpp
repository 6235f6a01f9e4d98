#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/error.h"
#include "platform/files.h"
#include "platform/platform_names.h"
#include "settings/data_module.h"
#include "tests/helpers/stand_in.h"

// Loading the database client library and the parts of the data module that
// need no server. On Windows no Firebird client can be installed here: the
// libraries loaded are small test DLLs with the entry points a client
// exports (tests/support/firebird_stub_library.cpp) and Windows' own DLLs.
namespace zk {
namespace {

const std::string kClientFile = platform::kDatabaseClientLibraryFile;
const std::string kNotFound = "InterBase library " + kClientFile +
                              " not found in the path. Please install InterBase to use this "
                              "functionality";

std::string stub(const std::string& variant) {
  return std::string(ZK_FIREBIRD_STUB_DIR) + "/fbclient_stub_" + variant + ZK_FIREBIRD_STUB_SUFFIX;
}

// A library that loads but exports none of the client's entry points.
#ifdef _WIN32
const std::string kForeignLibrary = "kernel32.dll";
const std::string kMissingEntryPointText = platform::systemErrorText(127);
#else
const std::string kForeignLibrary = "libc.so.6";
const std::string kMissingEntryPointText = "libc.so.6: undefined symbol: BLOB_get";
#endif

DatabaseClientLoadError loadFailure(const std::string& file) {
  try {
    Tdm dm(file);
  } catch (const DatabaseClientLoadError& error) {
    return error;
  }
  ADD_FAILURE() << file << " loaded";
  return DatabaseClientLoadError("", "", nullptr);
}

TEST(DatabaseClientLoading, MissingLibraryNamesThePlatformsClientFile) {
  const DatabaseClientLoadError error = loadFailure("/nonexistent/" + kClientFile);
  EXPECT_EQ(error.kind(), "DatabaseClientError");
  EXPECT_EQ(error.what(), kNotFound);
  EXPECT_NE(error.address(), nullptr);

  char address[32];
  std::snprintf(address, sizeof address, "%p", error.address());
  EXPECT_EQ(error.applicationErrorText("guncelleme"),
            std::string("Exception DatabaseClientError in module guncelleme at ") + address +
                ".\r\n" + kNotFound + ".\r\n");
}

TEST(DatabaseClientLoading, EnvironmentNamesAnotherLibrary) {
  {
    test::ScopedEnvironment other("ZK_FBCLIENT_LIBRARY", stub("older"));
    EXPECT_EQ(databaseClientLibraryFile(), stub("older"));
    EXPECT_NO_THROW(Tdm());
  }
  test::ScopedEnvironment empty("ZK_FBCLIENT_LIBRARY", "");
  EXPECT_EQ(databaseClientLibraryFile(), kClientFile);
#ifndef _WIN32
  EXPECT_NO_THROW(Tdm());  // the installed client
#endif
}

TEST(DatabaseClientLoading, MissingEntryPointIsASystemError) {
  const DatabaseClientLoadError error = loadFailure(kForeignLibrary);
  EXPECT_EQ(error.kind(), "OSError");
  ASSERT_FALSE(kMissingEntryPointText.empty());
  EXPECT_EQ(error.what(), "System Error.  Code: 127.\r\n" + kMissingEntryPointText);
  const std::string box = error.applicationErrorText("guncelleme");
  EXPECT_TRUE(box.starts_with("Exception OSError in module guncelleme at ")) << box;
  EXPECT_TRUE(
      box.ends_with(".\r\nSystem Error.  Code: 127.\r\n" + kMissingEntryPointText + ".\r\n"))
      << box;
}

TEST(DatabaseClientLoading, TheTenNewerEntryPointsAreRequiredOnlyWithRollbackRetaining) {
  // An older library without isc_rollback_retaining is not asked for them.
  EXPECT_NO_THROW(Tdm(stub("older")));
  EXPECT_NO_THROW(Tdm(stub("newer_complete")));
  const DatabaseClientLoadError error = loadFailure(stub("newer_incomplete"));
  EXPECT_EQ(error.kind(), "OSError");
  EXPECT_TRUE(std::string(error.what()).starts_with("System Error.  Code: 127.\r\n"))
      << error.what();
#ifndef _WIN32
  EXPECT_TRUE(std::string(error.what()).ends_with("undefined symbol: isc_encode_timestamp"))
      << error.what();
#endif
}

TEST(ApplicationErrorText, AddsAFullStopOnlyWhenMissing) {
  EXPECT_EQ(formatApplicationError("E", "p", nullptr, "Bitti."),
            formatApplicationError("E", "p", nullptr, "Bitti"));
}

TEST(DatabaseParameterBlock, FixedLinesGiveTheTwentyNineByteBlock) {
  const std::string block =
      buildDatabaseParameterBlock({"user_name=sysdba", "password=quorblent", "lc_ctype=WIN1254"});
  const std::string expected = std::string("\x01\x1C\x06sysdba\x1D\x09quorblent\x30\x07WIN1254");
  EXPECT_EQ(block, expected);
  EXPECT_EQ(block.size(), 29u);
}

TEST(DatabaseParameterBlock, NamesAreCaseFreeWithOptionalPrefixValueAfterFirstEquals) {
  EXPECT_EQ(buildDatabaseParameterBlock({"", "ISC_DPB_Password=a=b"}), std::string("\x01\x1D\x03"
                                                                                   "a=b"));
  EXPECT_THROW(buildDatabaseParameterBlock({"kullanici=x"}), Error);
}

TEST(CursorName, EightDecimalDigits) {
  const std::string name = randomCursorName();
  ASSERT_EQ(name.size(), 8u);
  EXPECT_EQ(name.find_first_not_of("0123456789"), std::string::npos);
}

}  // namespace
}  // namespace zk
