#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zk::platform {

// Where the archive library (kArchiveLibraryFile) is looked for, in this
// order: the working directory, the program's own folder, the system's copy.
// The environment variable ZK_ARCHIVE_LIBRARY_FOLDERS, a ':'-separated list of
// folders, replaces them (tests and a site's own layout); empty entries are
// left out, so an empty list finds no library.
std::vector<std::string> archiveLibraryFolders();
// The full path of the first kArchiveLibraryFile found in those folders;
// empty when none has it.
std::string findArchiveLibrary();

// The system's text for a result code of the archive library, without
// trailing blanks, control characters and full stops.
std::string resultCodeText(std::int32_t code);

}  // namespace zk::platform
