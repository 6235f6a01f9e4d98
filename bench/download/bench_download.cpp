// Download of large files from nginx on loopback: HttpClient alone into
// memory, DownloadFile with the window's progress handlers (against a
// recording window), the same without the flush before the rename, and curl
// writing to a file, in one run per size. Peak memory is measured above the
// resident memory before each call.
//   bench_download PORT ROOT [SIZE_MIB[,SIZE_MIB...]] [RUNS]   (256,1024 and 5)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/user_interface.h"
#include "platform/file_replacement.h"
#include "transfer/body_sink.h"
#include "transfer/download_file.h"

namespace {

using Clock = std::chrono::steady_clock;

// Records when the window was pumped; everything else is a no-op store.
class PumpClock : public zk::UserInterface {
 public:
  PumpClock() { pumps.reserve(1 << 16); }
  void setCaption(const std::string& c, const std::string& t) override { captions[c] = t; }
  std::string caption(const std::string& c) const override {
    auto it = captions.find(c);
    return it == captions.end() ? "" : it->second;
  }
  std::optional<std::string> findControl(const std::string& n) const override { return n; }
  void setFontColor(const std::string&, zk::Rgb) override {}
  zk::Rgb fontColor(const std::string&) const override { return {}; }
  void setEnabled(const std::string&, bool) override {}
  bool isEnabled(const std::string&) const override { return true; }
  void click(const std::string&) override {}
  void memoClear() override {}
  void memoAddLine(const std::string&) override {}
  void setMemoLines(const std::vector<std::string>&) override {}
  std::vector<std::string> memoLines() const override { return {}; }
  void setStatusPanel(int, const std::string&) override {}
  std::string statusPanel(int) const override { return ""; }
  void setProgressMaximum(std::int32_t m) override { maximum = m; }
  std::int32_t progressMaximum() const override { return maximum; }
  void setProgressPosition(std::int32_t p) override {
    position = std::clamp(p, 0, std::max(maximum, 0));
  }
  std::int32_t progressPosition() const override { return position; }
  void repaintProgress() override {}
  void pump() override { pumps.push_back(Clock::now()); }
  void messageBox(const std::string&) override {}
  void setHourglass(bool) override {}
  void setTimerEnabled(bool) override {}

  std::map<std::string, std::string> captions;
  std::int32_t maximum = 100;
  std::int32_t position = 0;
  std::vector<Clock::time_point> pumps;
};

// Resident memory now and its peak since the last reset, in MiB.
double memoryFieldMiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = field;
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) {
      return std::stod(line.substr(prefix.size())) / 1024.0;
    }
  }
  return -1;
}
double residentMiB() {
  return memoryFieldMiB("VmRSS:");
}
// Sets the peak back to the present resident memory.
void resetPeakMemory() {
  std::ofstream("/proc/self/clear_refs") << "5";
}
double peakMemoryMiB() {
  return memoryFieldMiB("VmHWM:");
}

double seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

struct Figures {
  std::vector<double> secondsPerRun;
  // The highest peak of a run above the resident memory before it.
  double peakAboveMiB = 0;
  double longestGapMs = 0;
  // From the last pump to the end of the call: the window waits that long.
  double longestTailMs = 0;
  double median() const {
    std::vector<double> s = secondsPerRun;
    std::sort(s.begin(), s.end());
    return s[s.size() / 2];
  }
};

// Runs `action` once with the window's client and a pump clock, and adds its
// time, memory and pump gaps to `figures`.
template <typename Action>
void measureDownload(Figures& figures, Action action) {
  zk::HttpClient IdHTTP1;
  zk::applyConfiguredClientSettings(IdHTTP1);
  PumpClock ui;
  const double before = residentMiB();
  resetPeakMemory();
  const auto start = Clock::now();
  action(IdHTTP1, ui);
  const auto end = Clock::now();
  figures.secondsPerRun.push_back(seconds(end - start));
  figures.peakAboveMiB = std::max(figures.peakAboveMiB, peakMemoryMiB() - before);
  for (std::size_t i = 1; i < ui.pumps.size(); ++i) {
    figures.longestGapMs =
        std::max(figures.longestGapMs, seconds(ui.pumps[i] - ui.pumps[i - 1]) * 1000);
  }
  if (!ui.pumps.empty()) {
    figures.longestTailMs = std::max(figures.longestTailMs, seconds(end - ui.pumps.back()) * 1000);
  }
}

struct SizeResult {
  std::size_t sizeMiB;
  Figures curl, client, download, lateFlush, unflushed;
};

bool runSize(const std::string& port, const std::string& root, std::size_t sizeMiB, int runs,
             SizeResult& result) {
  result.sizeMiB = sizeMiB;
  const std::size_t size = sizeMiB * 1024 * 1024;
  const std::string name = "bench-" + std::to_string(size) + ".rar";
  {
    std::string block(1 << 20, '\0');
    for (std::size_t i = 0; i < block.size(); ++i) {
      block[i] = static_cast<char>((i * 2654435761u) >> 13);
    }
    std::ofstream out(root + "/" + name, std::ios::binary);
    for (std::size_t i = 0; i < sizeMiB; ++i) {
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
  }
  const std::string url = "http://127.0.0.1:" + port + "/" + name;
  const std::filesystem::path out =
      std::filesystem::temp_directory_path() / ("zk-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(out);
  const std::string target = (out / "zelvak.rar").string();
  const std::string curlCommand =
      "curl -s -f -o '" + (out / "curl.rar").string() + "' '" + url + "'";
  const auto cleanUp = [&] {
    std::filesystem::remove_all(out);
    std::filesystem::remove(root + "/" + name);
  };

  // Warm the server's page cache.
  if (std::system(curlCommand.c_str()) != 0) {
    std::fprintf(stderr, "curl could not fetch %s\n", url.c_str());
    cleanUp();
    return false;
  }

  for (int run = 0; run < runs; ++run) {
    auto start = Clock::now();
    if (std::system(curlCommand.c_str()) != 0) {
      cleanUp();
      return false;
    }
    result.curl.secondsPerRun.push_back(seconds(Clock::now() - start));

    {
      zk::HttpClient alone;
      const double before = residentMiB();
      resetPeakMemory();
      start = Clock::now();
      std::string body;
      alone.Get(url, body);
      result.client.secondsPerRun.push_back(seconds(Clock::now() - start));
      result.client.peakAboveMiB = std::max(result.client.peakAboveMiB, peakMemoryMiB() - before);
      if (body.size() != size) {
        std::fprintf(stderr, "HttpClient got %zu bytes\n", body.size());
        cleanUp();
        return false;
      }
    }

    measureDownload(result.download, [&](zk::HttpClient& IdHTTP1, PumpClock& ui) {
      zk::DownloadFile(IdHTTP1, ui, url, target);
    });
    if (std::filesystem::file_size(target) != size) {
      std::fprintf(stderr, "DownloadFile stored a wrong size\n");
      cleanUp();
      return false;
    }

    // DownloadFile's steps without the early start of the writes to the
    // device, and then also without the flush (the file is closed before the
    // commit, which then skips it): what each of them costs or saves.
    for (const bool flush : {true, false}) {
      measureDownload(
          flush ? result.lateFlush : result.unflushed, [&](zk::HttpClient& IdHTTP1, PumpClock& ui) {
            zk::connectWorkHandlers(IdHTTP1, ui);
            std::string replacement;
            zk::platform::StreamFile file = zk::platform::createReplacement(target, replacement);
            zk::FileSink sink(file, 0);
            IdHTTP1.Get(url, sink);
            if (!flush) {
              file.close();
            }
            zk::platform::commitReplacement(file, replacement, target);
          });
    }
  }
  cleanUp();
  return true;
}

void printSize(const SizeResult& r, int runs) {
  const double mib = static_cast<double>(r.sizeMiB);
  std::printf("\ndownload of %zu MiB from nginx on loopback, median of %d runs\n", r.sizeMiB, runs);
  std::printf("%-34s %8s %8s %10s %8s %8s\n", "", "seconds", "MiB/s", "peak +MiB", "gap ms",
              "tail ms");
  std::printf("%-34s %8.3f %8.0f %10s %8s %8s\n", "curl -o file", r.curl.median(),
              mib / r.curl.median(), "-", "-", "-");
  std::printf("%-34s %8.3f %8.0f %10.1f %8s %8s\n", "HttpClient into memory", r.client.median(),
              mib / r.client.median(), r.client.peakAboveMiB, "-", "-");
  const auto row = [&](const char* label, const Figures& f) {
    std::printf("%-34s %8.3f %8.0f %10.1f %8.2f %8.2f\n", label, f.median(), mib / f.median(),
                f.peakAboveMiB, f.longestGapMs, f.longestTailMs);
  };
  row("DownloadFile with progress", r.download);
  row("  no early writeback (bench)", r.lateFlush);
  row("  no early writeback, no fsync", r.unflushed);
  std::printf(
      "DownloadFile / curl throughput: %.2f (goal >= 0.90 for 256 MiB); no early writeback "
      "%.2f; neither that nor fsync %.2f\n",
      r.curl.median() / r.download.median(), r.curl.median() / r.lateFlush.median(),
      r.curl.median() / r.unflushed.median());
  std::printf("DownloadFile peak memory above the start: %.1f MiB (goal <= %s)\n",
              r.download.peakAboveMiB, r.sizeMiB >= 1024 ? "48 MiB" : "the 1 GiB figure + 4 MiB");
  std::printf(
      "longest gap between two pumps: %.2f ms (goal <= 50 ms); after the last pump %.2f ms\n",
      r.download.longestGapMs, r.download.longestTailMs);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_download PORT ROOT [SIZE_MIB[,SIZE_MIB...]] [RUNS]\n");
    return 2;
  }
  const std::string port = argv[1];
  const std::string root = argv[2];
  std::vector<std::size_t> sizes;
  {
    std::stringstream list(argc > 3 ? argv[3] : "256,1024");
    std::string item;
    while (std::getline(list, item, ',')) {
      sizes.push_back(std::stoul(item));
    }
  }
  const int runs = argc > 4 ? std::stoi(argv[4]) : 5;
  std::vector<SizeResult> results(sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (!runSize(port, root, sizes[i], runs, results[i])) {
      return 1;
    }
  }
  for (const SizeResult& r : results) {
    printSize(r, runs);
  }
  return 0;
}
