#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include "install/process_control.h"
#include "platform/processes.h"
#include "tests/helpers/stand_in.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::copyStandIn;
using test::TempFolder;

// Long enough for a SIGKILL that was sent to have taken effect.
constexpr auto kSurvival = 300ms;

// The system's process table, watched: records what stopping does and refuses
// to end the processes it is told to. Tests that use the product's names end
// only their own processes, so a parallel run elsewhere on the machine survives.
class WatchedTable : public ProcessTable {
 public:
  std::optional<std::vector<platform::ProcessInfo>> snapshot() override {
    ++snapshots;
    if (snapshotFails) {
      return std::nullopt;
    }
    return ProcessTable::snapshot();
  }
  bool terminate(int processId) override {
    attempts.push_back(processId);
    if (refuseAll || refused.count(processId) != 0 ||
        (!onlyThese.empty() && onlyThese.count(processId) == 0)) {
      return false;
    }
    return ProcessTable::terminate(processId);
  }
  void pause(int milliseconds) override {
    pauses.push_back(milliseconds);
    ProcessTable::pause(milliseconds);
  }

  bool attempted(int processId) const {
    return std::find(attempts.begin(), attempts.end(), processId) != attempts.end();
  }

  bool snapshotFails = false;
  bool refuseAll = false;
  std::set<int> refused;
  std::set<int> onlyThese;
  int snapshots = 0;
  std::vector<int> attempts;
  std::vector<int> pauses;
};

std::optional<platform::ProcessInfo> listed(int processId) {
  const auto processes = platform::listProcesses();
  if (!processes) {
    return std::nullopt;
  }
  for (const platform::ProcessInfo& process : *processes) {
    if (process.id == processId) {
      return process;
    }
  }
  return std::nullopt;
}

TEST(ProcessNameMatching, NamePartOrWholeNameIgnoringAsciiCaseOnly) {
  EXPECT_TRUE(processNameMatches("zelvak.exe", "zelvak.exe"));
  EXPECT_TRUE(processNameMatches("ZELVAK.EXE", "zelvak.exe"));
  EXPECT_TRUE(processNameMatches("C:\\Program Files\\ZelvaK\\Zelvak.exe", "zelvak.exe"));
  EXPECT_TRUE(processNameMatches("/opt/zelvak/zelvak.exe", "zelvak.exe"));
  EXPECT_TRUE(processNameMatches("C:zelvak.exe", "zelvak.exe"));
  EXPECT_TRUE(processNameMatches("C:\\Zk\\MOBIL.EXE", "c:\\zk\\mobil.exe"));

  EXPECT_FALSE(processNameMatches("zelvak.exe.old", "zelvak.exe"));
  EXPECT_FALSE(processNameMatches("myzelvak.exe", "zelvak.exe"));
  EXPECT_FALSE(processNameMatches("C:\\zelvak.exe\\", "zelvak.exe"));
  EXPECT_FALSE(processNameMatches("", "zelvak.exe"));
  // Only a to z fold: dotted capital I, Ü and ü are different letters.
  EXPECT_FALSE(processNameMatches("YAZDİR.EXE", "yazdir.exe"));
  EXPECT_FALSE(processNameMatches("GÜL.EXE", "gül.exe"));
  EXPECT_TRUE(processNameMatches("GüL.EXE", "gül.exe"));
}

TEST(ProcessList, ShowsExecutableArgumentZeroAndCommandName) {
  TempFolder dir;
  const std::string program = copyStandIn(dir.path(), "zk-listed-name-check");
  ChildProcess child(program, {}, "D:\\Apps\\listed.exe");

  const auto process = listed(child.pid());
  ASSERT_TRUE(process);
  if (test::kOnWindows) {
    // The Toolhelp snapshot gives the executable's file name only.
    EXPECT_EQ(process->names, std::vector<std::string>{"zk-listed-name-check"});
    return;
  }
  EXPECT_EQ(process->names,
            (std::vector<std::string>{
                std::filesystem::canonical(program).string(), "D:\\Apps\\listed.exe",
                "zk-listed-name-"  // the system keeps 15 bytes
            }));
}

TEST(ProcessList, LeavesOutProcessesThatHaveEnded) {
  TempFolder dir;
  ChildProcess child(copyStandIn(dir.path(), "zkzombie.exe"));
  ASSERT_TRUE(platform::terminateProcess(child.pid()));
  // Not collected yet: it stays in /proc as a zombie until waited for.
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (listed(child.pid()) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(2ms);
  }
  if (!test::kOnWindows) {
    ASSERT_TRUE(std::filesystem::exists("/proc/" + std::to_string(child.pid())));
  }
  EXPECT_FALSE(listed(child.pid()));

  WatchedTable table;
  StopProcessByName("zkzombie.exe", table);
  EXPECT_FALSE(table.attempted(child.pid()));
  EXPECT_TRUE(table.pauses.empty());
}

TEST(StopProcessByName, EndsEveryMatchingProcessInOneCallThenPausesOnce) {
  TempFolder dir;
  const std::string mobil = copyStandIn(dir.path(), "mobil.exe");
  ChildProcess first(mobil);
  ChildProcess second(mobil);
  ChildProcess bystander(copyStandIn(dir.path(), "mobil.exe.old"));

  WatchedTable table;
  table.onlyThese = {first.pid(), second.pid(), bystander.pid()};
  StopProcessByName("mobil.exe", table);

  EXPECT_TRUE(first.waitForEnd());
  EXPECT_TRUE(first.endedByKill());
  EXPECT_TRUE(second.waitForEnd());
  EXPECT_TRUE(second.endedByKill());
  EXPECT_FALSE(bystander.waitForEnd(kSurvival));
  EXPECT_EQ(table.snapshots, 1);
  EXPECT_EQ(table.pauses, std::vector<int>{30});
}

TEST(StopProcessByName, FoldsTheCaseOfAsciiLettersOnly) {
  TempFolder dir;
  ChildProcess upper(copyStandIn(dir.path(), "ZELVAK.EXE"));
  ChildProcess turkish(copyStandIn(dir.path(), "zkgül.exe"));

  WatchedTable table;
  table.onlyThese = {upper.pid(), turkish.pid()};
  StopProcessByName("zelvak.exe", table);
  StopProcessByName("ZKGÜL.EXE");

  EXPECT_TRUE(upper.waitForEnd());
  EXPECT_TRUE(upper.endedByKill());
  EXPECT_FALSE(turkish.waitForEnd(kSurvival));

  StopProcessByName("ZKgüL.EXE");
  EXPECT_TRUE(turkish.waitForEnd());
  EXPECT_TRUE(turkish.endedByKill());
}

TEST(StopProcessByName, MatchesTheNamePartOfAWindowsPathInArgumentZero) {
  if (test::kOnWindows) {
    GTEST_SKIP() << "Windows lists a process by its executable's name, never by argument zero";
  }
  TempFolder dir;
  // Only argument zero carries the name, as for a program run under Wine.
  ChildProcess wine(copyStandIn(dir.path(), "zk-wine-preloader"), {},
                    "C:\\Program Files\\ZelvaK\\zelvak.exe");

  WatchedTable table;
  table.onlyThese = {wine.pid()};
  StopProcessByName("zelvak.exe", table);

  EXPECT_TRUE(wine.waitForEnd());
  EXPECT_TRUE(wine.endedByKill());
}

TEST(StopProcessByName, NoMatchEndsNothingAndDoesNotPause) {
  TempFolder dir;
  ChildProcess other(copyStandIn(dir.path(), "zk-nomatch-other.exe"));

  WatchedTable table;
  StopProcessByName("zk-nomatch-nobody-runs-this.exe", table);

  EXPECT_EQ(table.snapshots, 1);
  EXPECT_TRUE(table.attempts.empty());
  EXPECT_TRUE(table.pauses.empty());
  EXPECT_FALSE(other.waitForEnd(kSurvival));
}

TEST(StopProcessByName, PassesOverAProcessItCannotEndAndEndsTheOthers) {
  TempFolder dir;
  const std::string program = copyStandIn(dir.path(), "zkrefused.exe");
  ChildProcess first(program);
  ChildProcess protectedOne(program);
  ChildProcess last(program);

  WatchedTable table;
  table.refused = {protectedOne.pid()};
  StopProcessByName("zkrefused.exe", table);

  EXPECT_TRUE(table.attempted(protectedOne.pid()));
  EXPECT_TRUE(first.waitForEnd());
  EXPECT_TRUE(last.waitForEnd());
  EXPECT_FALSE(protectedOne.waitForEnd(kSurvival));
  EXPECT_EQ(table.pauses, std::vector<int>{30});
}

TEST(StopProcessByName, NoPauseWhenEveryMatchRefuses) {
  TempFolder dir;
  ChildProcess child(copyStandIn(dir.path(), "zkallrefused.exe"));

  WatchedTable table;
  table.refuseAll = true;
  StopProcessByName("zkallrefused.exe", table);

  EXPECT_TRUE(table.attempted(child.pid()));
  EXPECT_TRUE(table.pauses.empty());
}

TEST(StopProcessByName, AnotherUsersProcessIsPassedOverInSilence) {
  // A process that may not be ended is covered on every system by the
  // refusing table above (PassesOverAProcessItCannotEndAndEndsTheOthers).
  if (test::kOnWindows) {
    GTEST_SKIP() << "Wine runs every process as the same user, so none is another user's";
  }
  if (!test::runningAsRoot()) {
    GTEST_SKIP() << "needs root to run processes as other users";
  }
  constexpr int kCaller = test::kUnprivilegedUser - 1;
  TempFolder dir;
  std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
  const std::string program = copyStandIn(dir.path(), "zkowner.exe");
  ChildProcess foreign(program, {}, "", test::kUnprivilegedUser);
  ChildProcess own(program, {}, "", kCaller);

  test::runInChild(kCaller, [] {
    StopProcessByName("zkowner.exe");
    return std::string();
  });

  EXPECT_TRUE(own.waitForEnd());
  EXPECT_TRUE(own.endedByKill());
  EXPECT_FALSE(foreign.waitForEnd(kSurvival));
}

TEST(StopProcessByName, FailedSnapshotReturnsAtOnce) {
  WatchedTable table;
  table.snapshotFails = true;
  StopProcessByName("zelvak.exe", table);
  EXPECT_EQ(table.snapshots, 1);
  EXPECT_TRUE(table.attempts.empty());
  EXPECT_TRUE(table.pauses.empty());
}

TEST(StopProcessByName, NeverEndsTheCallingProcess) {
  const int self = platform::currentProcessId();
  const auto me = listed(self);
  ASSERT_TRUE(me);
  ASSERT_FALSE(me->names.empty());

  // Refusing everything keeps other processes of this name (a parallel run) alive.
  WatchedTable table;
  table.refuseAll = true;
  for (const std::string& name : me->names) {
    StopProcessByName(name, table);
  }
  EXPECT_FALSE(table.attempted(self));
}

}  // namespace
}  // namespace zk
