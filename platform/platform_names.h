#pragma once

namespace zk::platform {

#ifdef _WIN32
// The 7-Zip archive library: fetched from the update server root into the
// working directory when missing, loaded at run time by its full path.
inline constexpr const char* kArchiveLibraryFile = "7z.dll";
// The Firebird client library, loaded at run time by name.
inline constexpr const char* kDatabaseClientLibraryFile = "gds32.dll";
// Windows has no system copy of the archive library.
inline constexpr const char* kSystemArchiveLibraryFolder = "";
// How lists of folders in the environment are separated.
inline constexpr char kFolderListSeparator = ';';
#else
inline constexpr const char* kArchiveLibraryFile = "7z.so";
// Where the system's own copy of the archive library lives (p7zip-full).
inline constexpr const char* kSystemArchiveLibraryFolder = "/usr/lib/p7zip";
inline constexpr const char* kDatabaseClientLibraryFile = "libfbclient.so.2";
inline constexpr char kFolderListSeparator = ':';
#endif

}  // namespace zk::platform
