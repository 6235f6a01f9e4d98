// Extracts one 256 MiB stored RAR archive through the archive object and with
// "7z x", several rounds each in alternating order, and reports the medians
// and their ratio. Goal: the archive object takes at most 1.1 times as long.
//
//   bench_extract [rounds]        (default 5)

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/error.h"
#include "install/sevenzip/sevenzip.h"
#include "platform/archive_library.h"
#include "tests/support/rar_writer.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kItems = 8;
constexpr std::size_t kItemSize = 32u << 20;  // 8 x 32 MiB = 256 MiB

std::string pseudoRandomBytes(std::size_t size, std::uint64_t seed) {
  std::string data(size, '\0');
  std::uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    for (int k = 0; k < 8; ++k) {
      data[i + k] = static_cast<char>(x >> (8 * k));
    }
  }
  return data;
}

std::uintmax_t totalSize(const std::string& folder) {
  std::uintmax_t total = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      total += entry.file_size();
    }
  }
  return total;
}

double seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void settle() {
  // Writes of the previous round go to disk before the next one is timed.
  if (std::system("sync") != 0) {
    std::fprintf(stderr, "sync failed\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string library = zk::platform::findArchiveLibrary();
  if (library.empty()) {
    std::fprintf(stderr, "no 7z.so found\n");
    return 2;
  }

  zk::test::TempFolder temp;
  const std::string archivePath = temp.file("bench.rar");
  {
    std::vector<zk::test::RarItem> items;
    for (std::size_t i = 0; i < kItems; ++i) {
      items.push_back(zk::test::RarItem::file("bench/part" + std::to_string(i) + ".bin",
                                              pseudoRandomBytes(kItemSize, i + 1)));
    }
    zk::test::writeRarArchive(archivePath, items);
  }
  const std::uintmax_t expected = static_cast<std::uintmax_t>(kItems) * kItemSize;
  std::printf("archive: %s (%.1f MiB stored, %zu items), library: %s\n", archivePath.c_str(),
              static_cast<double>(fs::file_size(archivePath)) / (1 << 20), kItems, library.c_str());

  auto runArchiveObject = [&](const std::string& out) {
    zk::ArchiveSlot archive;
    archive.CreateRarArchive(library);
    archive.OpenArchiveFile(archivePath);
    archive.ExtractAllTo(out);
    archive.CloseArchive();
  };
  auto runCommandLine = [&](const std::string& out) {
    const std::string command = "7z x -y -bd -o'" + out + "' '" + archivePath + "' >/dev/null";
    if (std::system(command.c_str()) != 0) {
      throw zk::Error("7z x failed");
    }
  };
  auto timed = [&](auto run, const char* name) {
    const std::string out = temp.file("out");
    fs::remove_all(out);
    settle();
    const auto start = Clock::now();
    run(out);
    const double elapsed = seconds(Clock::now() - start);
    if (totalSize(out) != expected) {
      throw zk::Error(std::string(name) + " extracted the wrong amount");
    }
    fs::remove_all(out);
    return elapsed;
  };

  try {
    // One untimed run of each brings the archive and both programs into memory.
    timed(runArchiveObject, "archive object");
    timed(runCommandLine, "7z x");
    std::vector<double> ours;
    std::vector<double> theirs;
    for (int round = 0; round < rounds; ++round) {
      if (round % 2 == 0) {
        ours.push_back(timed(runArchiveObject, "archive object"));
        theirs.push_back(timed(runCommandLine, "7z x"));
      } else {
        theirs.push_back(timed(runCommandLine, "7z x"));
        ours.push_back(timed(runArchiveObject, "archive object"));
      }
      std::printf("round %d: archive object %.3f s, 7z x %.3f s\n", round + 1, ours.back(),
                  theirs.back());
    }
    const double ratio = median(ours) / median(theirs);
    std::printf("median: archive object %.3f s (%.0f MiB/s), 7z x %.3f s (%.0f MiB/s)\n",
                median(ours), static_cast<double>(expected) / (1 << 20) / median(ours),
                median(theirs), static_cast<double>(expected) / (1 << 20) / median(theirs));
    std::printf("ratio archive object / 7z x: %.3f (goal <= 1.100: %s)\n", ratio,
                ratio <= 1.1 ? "met" : "NOT met");
    return ratio <= 1.1 ? 0 : 1;
  } catch (const zk::Error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 2;
  }
}
