#pragma once

#include <string>

namespace zk::platform {

// The process's current directory, read anew at every call, without a closing "/".
std::string workingDirectory();
// workingDirectory() + "/" + name: where the product's local files live.
std::string localPath(const std::string& name);
// The path made absolute against the working directory, "." and ".." resolved
// lexically (links are not followed).
std::string expandFileName(const std::string& path);

// True for a regular file (a folder does not count); links are followed.
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
// Creates one folder level; the result tells whether it worked.
bool createFolder(const std::string& path);
// Deletes a file; the result tells whether it worked.
bool deleteFile(const std::string& path);

// Writes `bytes` to a new file beside `path` and renames it over `path` only
// when every byte was written, so an interrupted write never leaves a partial
// file behind. An existing file keeps its permission bits. `failure` tells
// which step failed, `errnoValue` why: Create when the target cannot be
// written (its folder is missing, it is a folder, it cannot be opened for
// writing) or the new file cannot be made or renamed; Write when the bytes did
// not all reach the new file (it is then removed and the target is unchanged).
struct FileReplaceResult {
  enum class Failure { None, Create, Write };
  Failure failure = Failure::None;
  int errnoValue = 0;
};
FileReplaceResult replaceFileContents(const std::string& path, const std::string& bytes);

// The DOS code for an errno value (ENOENT -> 2, EACCES -> 5, ENOSPC -> 101, ...).
int dosErrorCode(int errnoValue);
// The system's text for an errno value without trailing blanks, line breaks
// and full stops.
std::string systemErrorText(int errnoValue);
// Removes trailing blanks, control characters and full stops.
std::string trimSystemText(std::string text);

}  // namespace zk::platform
