// Download of one large file from nginx on loopback: HttpClient alone,
// DownloadFile with the window's progress handlers (against a recording
// window), and curl writing to a file, in one run.
//   bench_download PORT ROOT [SIZE_MIB] [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/user_interface.h"
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

// Peak resident memory since the last reset, in MiB.
void resetPeakMemory() {
  std::ofstream("/proc/self/clear_refs") << "5";
}
double peakMemoryMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) {
      return std::stod(line.substr(6)) / 1024.0;
    }
  }
  return -1;
}

double seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

struct Figures {
  std::vector<double> secondsPerRun;
  double peakMiB = 0;
  double longestGapMs = 0;
  double median() const {
    std::vector<double> s = secondsPerRun;
    std::sort(s.begin(), s.end());
    return s[s.size() / 2];
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_download PORT ROOT [SIZE_MIB] [RUNS]\n");
    return 2;
  }
  const std::string port = argv[1];
  const std::string root = argv[2];
  const std::size_t sizeMiB = argc > 3 ? std::stoul(argv[3]) : 256;
  const int runs = argc > 4 ? std::stoi(argv[4]) : 3;
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
  const std::string curlCommand =
      "curl -s -f -o '" + (out / "curl.rar").string() + "' '" + url + "'";

  // Warm the server's page cache.
  if (std::system(curlCommand.c_str()) != 0) {
    std::fprintf(stderr, "curl could not fetch %s\n", url.c_str());
    return 1;
  }

  Figures curl, client, download;
  for (int run = 0; run < runs; ++run) {
    auto start = Clock::now();
    if (std::system(curlCommand.c_str()) != 0) {
      return 1;
    }
    curl.secondsPerRun.push_back(seconds(Clock::now() - start));

    {
      zk::HttpClient alone;
      resetPeakMemory();
      start = Clock::now();
      std::string body;
      alone.Get(url, body);
      client.secondsPerRun.push_back(seconds(Clock::now() - start));
      client.peakMiB = std::max(client.peakMiB, peakMemoryMiB());
      if (body.size() != size) {
        std::fprintf(stderr, "HttpClient got %zu bytes\n", body.size());
        return 1;
      }
    }

    {
      zk::HttpClient IdHTTP1;
      zk::applyConfiguredClientSettings(IdHTTP1);
      PumpClock ui;
      resetPeakMemory();
      start = Clock::now();
      zk::DownloadFile(IdHTTP1, ui, url, (out / "zelvak.rar").string());
      download.secondsPerRun.push_back(seconds(Clock::now() - start));
      download.peakMiB = std::max(download.peakMiB, peakMemoryMiB());
      for (std::size_t i = 1; i < ui.pumps.size(); ++i) {
        download.longestGapMs =
            std::max(download.longestGapMs, seconds(ui.pumps[i] - ui.pumps[i - 1]) * 1000);
      }
      if (std::filesystem::file_size(out / "zelvak.rar") != size) {
        std::fprintf(stderr, "DownloadFile stored a wrong size\n");
        return 1;
      }
    }
  }
  std::filesystem::remove_all(out);
  std::filesystem::remove(root + "/" + name);

  const double mib = static_cast<double>(sizeMiB);
  std::printf("download of %zu MiB from nginx on loopback, median of %d runs\n", sizeMiB, runs);
  std::printf("%-28s %9s %10s %10s %14s\n", "", "seconds", "MiB/s", "peak MiB", "longest gap ms");
  std::printf("%-28s %9.3f %10.0f %10s %14s\n", "curl -o file", curl.median(), mib / curl.median(),
              "-", "-");
  std::printf("%-28s %9.3f %10.0f %10.1f %14s\n", "HttpClient into memory", client.median(),
              mib / client.median(), client.peakMiB, "-");
  std::printf("%-28s %9.3f %10.0f %10.1f %14.2f\n", "DownloadFile with progress", download.median(),
              mib / download.median(), download.peakMiB, download.longestGapMs);
  const double ratio = curl.median() / download.median();
  std::printf("DownloadFile / curl throughput: %.2f (goal >= 0.80)\n", ratio);
  std::printf("DownloadFile peak memory: %.1f MiB (goal <= %.0f MiB = body + 32 MiB)\n",
              download.peakMiB, mib + 32);
  std::printf("longest gap between two pumps: %.2f ms (goal <= 50 ms)\n", download.longestGapMs);
  return 0;
}
