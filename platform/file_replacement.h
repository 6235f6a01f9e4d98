#pragma once

#include <string>

#include "platform/stream_file.h"

namespace zk::platform {

// Every file the program writes over one that may exist (a download, an
// extracted item, a copied program) is written the same way: the bytes go to
// a fresh file beside the target, which is made durable and then moved over
// the target in one step. Until then the old file is untouched, and an
// interrupted write never leaves a partial file under the target's name.
//
// Policy:
// - An existing target must be one that could be overwritten in place: a
//   folder, a read-only file or a file another program holds for writing is
//   refused with the error writing it would give.
// - The replacement is created in the target's folder under a name of its own
//   (".<name>.<process>-<n>.zk-part"), so it never collides with another file.
// - A replaced file keeps its permission bits and, where the system allows,
//   its owner; a new file takes those of `newFileModel` when one is given,
//   otherwise the system's default.
// - The commit flushes the bytes to the device before the move, so that after
//   a power cut the target holds either the old bytes or the new ones.

// Creates the replacement file for `target`, open for reading and writing;
// its path goes to replacementPath. On failure the result is not open and
// carries the system's error number.
StreamFile createReplacement(const std::string& target, std::string& replacementPath,
                             const std::string& newFileModel = {});
// Flushes and closes the file (unless the caller has done so), then moves it
// over its target: 0 when it
// worked. On failure the replacement is removed and the system's error number
// is returned; the target is as it was.
int commitReplacement(StreamFile& file, const std::string& replacementPath,
                      const std::string& target);
// Closes and removes a replacement that will not be used.
void discardReplacement(StreamFile& file, const std::string& replacementPath);
// Removes the replacements of `target` that nobody will finish: those of a
// program that ended without committing or discarding them (it was killed in
// the middle of a download, or the machine went down), and this program's own
// that are no longer in use. Replacements of programs that still run are
// kept. Failures are passed over.
void removeLeftoverReplacements(const std::string& target);

// Writes `bytes` as the new content of `path`. `failure` tells which step
// failed and `errorNumber` why: Create when the target cannot be written (its
// folder is missing, it is a folder, it cannot be opened for writing) or the
// replacement cannot be made or moved; Write when the bytes did not all reach
// the replacement. On any failure the target is unchanged and no replacement
// is left behind.
struct FileReplaceResult {
  enum class Failure { None, Create, Write };
  Failure failure = Failure::None;
  int errorNumber = 0;
};
FileReplaceResult replaceFileContents(const std::string& path, const std::string& bytes);

// Copies a file over an existing target or to a new one, through a
// replacement; a new target takes the source's permission bits. The result
// tells whether the target now holds the source's bytes; on failure the
// target is left as it was.
bool copyFileOverwrite(const std::string& source, const std::string& target);

}  // namespace zk::platform
