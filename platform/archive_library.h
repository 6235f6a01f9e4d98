#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zk::platform {

// Where the archive library (kArchiveLibraryFile) is looked for, in this
// order: the working directory, the program's own folder, the system's copy.
// The environment variable ZK_ARCHIVE_LIBRARY_FOLDERS, when set, replaces
// these folders by its own ':'-separated list (empty entries ignored; set but
// empty, no folder is searched): tests use it to make the library missing or
// to point at a copy of their own.
std::vector<std::string> archiveLibraryFolders();
// The full path of the first kArchiveLibraryFile found in those folders;
// empty when none has it.
std::string findArchiveLibrary();

// The system's text for a result code of the archive library, without
// trailing blanks, control characters and full stops.
std::string resultCodeText(std::int32_t code);

// The system's routine that frees what a property value of the library holds
// (PropVariantClear on Windows), for a library that does not export its own;
// null where the system has none.
void* systemPropertyValueClear();

}  // namespace zk::platform
