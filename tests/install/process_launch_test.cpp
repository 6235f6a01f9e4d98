#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "install/process_control.h"
#include "tests/helpers/stand_in.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

using namespace std::chrono_literals;
using test::AdoptedProcess;
using test::copyStandIn;
using test::ScopedEnvironment;
using test::ScopedWorkingDirectory;
using test::TempFolder;

// How long a program that must not start is given to show up anyway.
constexpr auto kNoStart = 300ms;

namespace fs = std::filesystem;

class StartMainProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The started program is detached; this process collects it after the kill.
    test::collectOrphans();
  }

  TempFolder dir;
  // Every stand-in started here leaves its mark in this file.
  ScopedEnvironment markVariable{"ZK_STANDIN_MARK", dir.file("started.mark")};
  std::string mark = dir.file("started.mark");
};

TEST_F(StartMainProgramTest, StartsZelvakOfTheWorkingDirectoryDetached) {
  copyStandIn(dir.path(), "zelvak.exe");
  {
    ScopedWorkingDirectory cwd(dir.path());
    StartMainProgram();
  }
  const auto started = test::waitForMark(mark);
  ASSERT_TRUE(started);
  AdoptedProcess process(started->pid);

  EXPECT_EQ(started->workingDirectory, test::nativePath(fs::canonical(dir.path()).string()));
  EXPECT_EQ(started->arguments, std::vector<std::string>{test::nativePath(dir.file("zelvak.exe"))});
  if (!test::kOnWindows) {
    // Windows has no process sessions to leave nor a /dev/null: the shell
    // decides how the program is started.
    EXPECT_EQ(started->session, started->pid);
    for (const std::string& stream : started->standardStreams) {
      EXPECT_EQ(stream, "/dev/null");
    }
  }
}

TEST_F(StartMainProgramTest, MissingProgramStartsNothingAndChangesNothing) {
  ScopedWorkingDirectory cwd(dir.path());
  EXPECT_NO_THROW(StartMainProgram());
  std::this_thread::sleep_for(kNoStart);
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(StartMainProgramTest, FileThatIsNotExecutableIsNotStarted) {
  if (test::kOnWindows) {
    GTEST_SKIP() << "Windows files have no execute bit: the shell runs any program file";
  }
  // A script that would start the stand-in, first without the right to run.
  const std::string program = dir.file("zelvak.exe");
  test::writeFile(program, "#!" + test::standInProgram() + "\n");
  fs::permissions(program, fs::perms(0644));
  ScopedWorkingDirectory cwd(dir.path());

  StartMainProgram();
  EXPECT_FALSE(test::waitForMark(mark, kNoStart));

  fs::permissions(program, fs::perms(0755));
  StartMainProgram();
  const auto started = test::waitForMark(mark);
  ASSERT_TRUE(started);
  AdoptedProcess process(started->pid);
}

TEST_F(StartMainProgramTest, WindowsProgramRunsUnderWine) {
  if (test::kOnWindows) {
    GTEST_SKIP() << "on Windows the shell runs the program itself, not through wine";
  }
  TempFolder bin;
  const std::string wine = copyStandIn(bin.path(), "wine");
  ScopedEnvironment path("PATH", bin.path());
  test::writeFile(dir.file("zelvak.exe"), std::string("MZ\x90\0\3\0\0\0", 8));
  fs::permissions(dir.file("zelvak.exe"), fs::perms(0644));
  {
    ScopedWorkingDirectory cwd(dir.path());
    StartMainProgram();
  }
  const auto started = test::waitForMark(mark);
  ASSERT_TRUE(started);
  AdoptedProcess process(started->pid);
  EXPECT_EQ(started->arguments, (std::vector<std::string>{wine, dir.file("zelvak.exe")}));
}

TEST_F(StartMainProgramTest, WindowsProgramWithoutWineIsNotStarted) {
  if (test::kOnWindows) {
    GTEST_SKIP() << "on Windows the shell runs the program itself, not through wine";
  }
  TempFolder emptyBin;
  ScopedEnvironment path("PATH", emptyBin.path());
  // Executable, but only Wine can run it.
  test::writeFile(dir.file("zelvak.exe"), "MZ#!/bin/sh\n");
  fs::permissions(dir.file("zelvak.exe"), fs::perms(0755));
  ScopedWorkingDirectory cwd(dir.path());

  EXPECT_NO_THROW(StartMainProgram());
  EXPECT_FALSE(test::waitForMark(mark, kNoStart));
}

}  // namespace
}  // namespace zk
