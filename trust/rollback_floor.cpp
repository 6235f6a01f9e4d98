#include "trust/rollback_floor.h"

#include <algorithm>

#include "platform/file_replacement.h"
#include "platform/stream_file.h"

namespace zk::trust {

std::map<std::string, std::int64_t> RollbackFloors::read() const {
  std::map<std::string, std::int64_t> floors;
  platform::StreamFile file = platform::StreamFile::openForReading(stateFile_);
  if (!file.isOpen()) {
    return floors;
  }
  std::string content;
  char buffer[4096];
  std::int64_t got = 0;
  while ((got = file.read(buffer, sizeof buffer)) > 0 && content.size() < (1u << 20)) {
    content.append(buffer, static_cast<std::size_t>(got));
  }
  std::string_view text = content;
  while (!text.empty()) {
    std::string_view line = text.substr(0, text.find('\n'));
    text.remove_prefix(std::min(text.size(), line.size() + 1));
    const std::size_t blank = line.find(' ');
    if (blank == 0 || blank == std::string_view::npos || blank > 18) {
      continue;
    }
    std::int64_t value = 0;
    bool digits = true;
    for (char c : line.substr(0, blank)) {
      digits = digits && c >= '0' && c <= '9';
      value = value * 10 + (c - '0');
    }
    if (digits) {
      std::int64_t& floor = floors[std::string(line.substr(blank + 1))];
      floor = std::max(floor, value);
    }
  }
  return floors;
}

std::optional<std::int64_t> RollbackFloors::floor(const std::string& folder) const {
  std::optional<std::int64_t> result;
  const auto floors = read();
  if (auto found = floors.find(folder); found != floors.end()) {
    result = found->second;
  }
  if (auto found = unsaved_.find(folder); found != unsaved_.end()) {
    result = std::max(result.value_or(found->second), found->second);
  }
  return result;
}

bool RollbackFloors::raise(const std::string& folder, std::int64_t timestamp) {
  std::map<std::string, std::int64_t> floors = read();
  if (auto found = floors.find(folder); found != floors.end() && found->second >= timestamp) {
    return true;
  }
  floors[folder] = timestamp;
  std::string content;
  for (const auto& [name, value] : floors) {
    content += std::to_string(value) + " " + name + "\n";
  }
  if (platform::replaceFileContents(stateFile_, content).failure !=
      platform::FileReplaceResult::Failure::None) {
    unsaved_[folder] = timestamp;
    return false;
  }
  unsaved_.erase(folder);
  return true;
}

}  // namespace zk::trust
