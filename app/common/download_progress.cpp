#include "app/common/download_progress.h"

#include <cstdio>

namespace zk {
namespace {

constexpr std::int64_t kRedrawIntervalMs = 100;
constexpr double kMebibyte = 1024.0 * 1024.0;

// One decimal with a comma, as Turkish writes it.
std::string decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  std::string result(text);
  for (char& c : result) {
    if (c == '.') {
      c = ',';
    }
  }
  return result;
}

std::size_t displayWidth(std::string_view text) {
  std::size_t width = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++width;
    }
  }
  return width;
}

}  // namespace

DownloadProgress::DownloadProgress(TextSink terminal, LineSink logLine, Clock clock)
    : terminal_(std::move(terminal)), logLine_(std::move(logLine)), clock_(std::move(clock)) {}

std::string DownloadProgress::describe(std::int64_t position, std::int64_t total,
                                       std::int64_t milliseconds) {
  const double seconds = static_cast<double>(milliseconds > 0 ? milliseconds : 1) / 1000.0;
  const std::string rate = decimal(static_cast<double>(position) / kMebibyte / seconds) + " MiB/s";
  if (total <= 0) {
    return decimal(static_cast<double>(position) / kMebibyte) + " MiB  " + rate;
  }
  const std::int64_t percent = (position > total ? total : position) * 100 / total;
  return "% " + std::to_string(percent) + "  " + rate;
}

void DownloadProgress::start(const std::string& name) {
  active_ = true;
  name_ = name;
  begin(0);
}

void DownloadProgress::begin(std::int64_t total) {
  if (!active_) {
    return;
  }
  total_ = total;
  position_ = 0;
  startedAt_ = clock_();
  lastDrawnAt_ = -1;
  lastTenth_ = 0;
}

void DownloadProgress::advance(std::int64_t position) {
  if (!active_) {
    return;
  }
  position_ = position;
  redraw(total_ > 0 && position_ >= total_);
  if (logLine_ && total_ > 0) {
    const int tenth = static_cast<int>((position_ > total_ ? total_ : position_) * 10 / total_);
    if (tenth > lastTenth_) {
      lastTenth_ = tenth;
      logLine_(name_ + ": " + describe(position_, total_, clock_() - startedAt_));
    }
  }
}

void DownloadProgress::finish() {
  if (!active_) {
    return;
  }
  if (lineOpen_) {
    // The last position drawn stays as it was drawn.
    if (drawnPosition_ != position_) {
      redraw(true);
    }
    terminal_("\n");
  }
  active_ = false;
  lineOpen_ = false;
  drawnWidth_ = 0;
}

void DownloadProgress::redraw(bool force) {
  if (!terminal_) {
    return;
  }
  const std::int64_t now = clock_();
  if (!force && lastDrawnAt_ >= 0 && now - lastDrawnAt_ < kRedrawIntervalMs) {
    return;
  }
  lastDrawnAt_ = now;
  std::string text = name_ + "  " + describe(position_, total_, now - startedAt_);
  const std::size_t width = displayWidth(text);
  // Blanks over what a longer line before left behind.
  if (width < drawnWidth_) {
    text += std::string(drawnWidth_ - width, ' ');
  }
  drawnWidth_ = width;
  drawnPosition_ = position_;
  terminal_("\r" + text);
  lineOpen_ = true;
}

}  // namespace zk
