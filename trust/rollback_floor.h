#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace zk::trust {

// The newest signing time accepted so far for each server folder, kept in a
// small text file ("<seconds> <folder URL>" per line) so that a replayed older
// list is refused in later runs too. A missing or unreadable file, or a line
// that does not parse, sets no floor.
class RollbackFloors {
 public:
  explicit RollbackFloors(std::string stateFile) : stateFile_(std::move(stateFile)) {}

  std::optional<std::int64_t> floor(const std::string& folder) const;
  // Records `timestamp` for `folder` when it is newer than the floor, writing
  // the file beside itself and renaming it over the old one. False when the
  // file could not be written (the floor then holds for this run only).
  bool raise(const std::string& folder, std::int64_t timestamp);

 private:
  std::map<std::string, std::int64_t> read() const;

  std::string stateFile_;
  // Floors of this run that could not be written.
  std::map<std::string, std::int64_t> unsaved_;
};

}  // namespace zk::trust
