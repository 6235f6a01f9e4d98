#include "platform/replacement_names.h"

#include <mutex>
#include <set>

#include "core/text_encoding.h"
#include "platform/files.h"

namespace zk::platform::replacement {
namespace {

constexpr const char* kSuffix = ".zk-part";

// File names, not paths: the counter makes them unique within the process
// whichever spelling of the folder was used.
std::mutex inUseMutex;
std::set<std::string> inUse;

}  // namespace

TargetName splitTarget(const std::string& target) {
  const std::size_t slash = target.find_last_of(std::string("/") + kPathSeparator);
  if (slash == std::string::npos) {
    return {std::string(), target};
  }
  return {target.substr(0, slash + 1), target.substr(slash + 1)};
}

std::string replacementPath(const std::string& target, long process, unsigned number) {
  const TargetName parts = splitTarget(target);
  return parts.folder + "." + parts.name + "." + std::to_string(process) + "-" +
         std::to_string(number) + kSuffix;
}

long replacementOwner(const std::string& fileName, const std::string& name) {
  const std::string prefix = "." + name + ".";
  const std::string suffix = kSuffix;
  if (fileName.size() <= prefix.size() + suffix.size() || fileName.rfind(prefix, 0) != 0 ||
      fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return 0;
  }
  const std::string middle =
      fileName.substr(prefix.size(), fileName.size() - prefix.size() - suffix.size());
  const std::size_t dash = middle.find('-');
  if (dash == std::string::npos || dash > 9 || !isDecimalNumber(middle.substr(0, dash)) ||
      !isDecimalNumber(middle.substr(dash + 1))) {
    return 0;
  }
  return std::stol(middle.substr(0, dash));
}

void markInUse(const std::string& path) {
  std::lock_guard<std::mutex> lock(inUseMutex);
  inUse.insert(splitTarget(path).name);
}

void markDone(const std::string& path) {
  std::lock_guard<std::mutex> lock(inUseMutex);
  inUse.erase(splitTarget(path).name);
}

bool isInUse(const std::string& fileName) {
  std::lock_guard<std::mutex> lock(inUseMutex);
  return inUse.count(fileName) != 0;
}

}  // namespace zk::platform::replacement
