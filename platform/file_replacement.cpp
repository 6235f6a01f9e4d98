#include "platform/file_replacement.h"

#include <vector>

namespace zk::platform {

FileReplaceResult replaceFileContents(const std::string& path, const std::string& bytes) {
  using Failure = FileReplaceResult::Failure;
  std::string replacement;
  StreamFile file = createReplacement(path, replacement);
  if (!file.isOpen()) {
    return {Failure::Create, file.errorNumber()};
  }
  if (file.write(bytes.data(), bytes.size()) != static_cast<std::int64_t>(bytes.size())) {
    const int error = file.errorNumber();
    discardReplacement(file, replacement);
    return {Failure::Write, error};
  }
  if (const int error = commitReplacement(file, replacement, path); error != 0) {
    return {Failure::Create, error};
  }
  return {};
}

bool copyFileOverwrite(const std::string& source, const std::string& target) {
  StreamFile in = StreamFile::openForReading(source);
  if (!in.isOpen()) {
    return false;
  }
  std::string replacement;
  StreamFile out = createReplacement(target, replacement, source);
  if (!out.isOpen()) {
    return false;
  }
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const std::int64_t got = in.read(buffer.data(), buffer.size());
    if (got < 0 || (got > 0 && out.write(buffer.data(), static_cast<std::size_t>(got)) != got)) {
      discardReplacement(out, replacement);
      return false;
    }
    if (got < static_cast<std::int64_t>(buffer.size())) {
      break;
    }
  }
  // Windows cannot move a file over one that is open, and the source may be
  // the target itself.
  in.close();
  return commitReplacement(out, replacement, target) == 0;
}

}  // namespace zk::platform
