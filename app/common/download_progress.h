#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zk {

// The progress of one download as text, for a run without a window. On a
// terminal one line is redrawn in place ("\r", at most ten times a second);
// elsewhere a log line is written at every tenth of the file, so that a log
// gets ten lines per file, never thousands.
class DownloadProgress {
 public:
  using TextSink = std::function<void(std::string_view)>;
  using LineSink = std::function<void(const std::string&)>;
  using Clock = std::function<std::int64_t()>;

  // terminal: where the redrawn line goes (empty: nowhere). logLine: where
  // the tenths go (empty: nowhere). clock: milliseconds.
  DownloadProgress(TextSink terminal, LineSink logLine, Clock clock);

  // A download of `name` begins; positions until finish() belong to it.
  void start(const std::string& name);
  // A new body begins with this many bytes expected (0: unknown).
  void begin(std::int64_t total);
  void advance(std::int64_t position);
  // The download has ended, whether or not it worked: the redrawn line is
  // closed with a line end.
  void finish();

  // "% 45  12,3 MiB/s" for the bytes so far after so many milliseconds;
  // without a known total the amount stands in place of the percentage.
  static std::string describe(std::int64_t position, std::int64_t total, std::int64_t milliseconds);

 private:
  void redraw(bool force);

  TextSink terminal_;
  LineSink logLine_;
  Clock clock_;
  bool active_ = false;
  std::string name_;
  std::int64_t total_ = 0;
  std::int64_t position_ = 0;
  std::int64_t startedAt_ = 0;
  std::int64_t lastDrawnAt_ = -1;
  int lastTenth_ = 0;
  std::size_t drawnWidth_ = 0;
  std::int64_t drawnPosition_ = -1;
  bool lineOpen_ = false;
};

}  // namespace zk
