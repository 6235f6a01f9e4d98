#pragma once

#include <string>

#include "core/user_interface.h"

namespace zk {

// Removes the folder with everything in it. Files that cannot be deleted stay;
// every folder level that cannot be removed then is reported in a message box
// ("CANT DELETE EMPTY DIRECTORY:" + path + " " + the system's reason), the
// innermost first, and the call goes on. A missing path, a file or a symbolic
// link does nothing; links inside are removed, never followed.
void DeleteDirectory(UserInterface& ui, const std::string& path);

// Empties the DLL staging folder updateDir + "/dll" and creates it again (one
// level, the result not examined), then pumps the window's events.
void clearDllStagingFolder(UserInterface& ui, const std::string& updateDir);

}  // namespace zk
