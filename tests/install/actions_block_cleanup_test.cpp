#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/block_cleanup.h"
#include "core/error.h"

namespace zk {
namespace {

using Steps = std::vector<std::string>;

TEST(BlockCleanup, CleanupRunsAfterABlockThatCompleted) {
  Steps steps;
  block([&] { steps.push_back("block"); }).cleanup([&] { steps.push_back("cleanup"); });
  steps.push_back("after");
  EXPECT_EQ(steps, (Steps{"block", "cleanup", "after"}));
}

TEST(BlockCleanup, FailedBlockEndsItselfRunsTheCleanupAndGoesOn) {
  Steps steps;
  try {
    block([&] {
      steps.push_back("first");
      throw Error("download failed");
      steps.push_back("never");
    }).cleanup([&] { steps.push_back("cleanup"); });
    steps.push_back("after the pair");
    FAIL() << "the block's failure must go on after the cleanup";
  } catch (const Error& error) {
    EXPECT_EQ(error.message(), "download failed");
  }
  EXPECT_EQ(steps, (Steps{"first", "cleanup"}));
}

TEST(BlockCleanup, FailureInTheCleanupTakesThePlaceOfTheBlocksFailure) {
  Steps steps;
  try {
    block([&] { throw Error("download failed"); }).cleanup([&] {
      steps.push_back("cleanup");
      throw Error("open failed");
    });
    FAIL();
  } catch (const Error& error) {
    EXPECT_EQ(error.message(), "open failed");
  }
  EXPECT_EQ(steps, (Steps{"cleanup"}));
}

TEST(BlockCleanup, SilentAbortInTheBlockStillRunsTheCleanup) {
  Steps steps;
  EXPECT_THROW(block([&] { silentAbort(); }).cleanup([&] { steps.push_back("cleanup"); }),
               AbortError);
  EXPECT_EQ(steps, (Steps{"cleanup"}));
}

TEST(BlockCleanup, NestedPairsUnwindInnermostFirst) {
  Steps steps;
  try {
    block([&] {
      block([&] { throw Error("inner"); }).cleanup([&] { steps.push_back("inner cleanup"); });
      steps.push_back("skipped");
    }).cleanup([&] { steps.push_back("outer cleanup"); });
  } catch (const Error& error) {
    steps.push_back(error.message());
  }
  EXPECT_EQ(steps, (Steps{"inner cleanup", "outer cleanup", "inner"}));
}

}  // namespace
}  // namespace zk
