#pragma once

namespace zk::platform {

// The 7-Zip archive library: fetched from the update server root into the
// working directory when missing, loaded at run time.
inline constexpr const char* kArchiveLibraryFile = "7z.so";
// Where the system's own copy of the archive library lives (p7zip-full).
inline constexpr const char* kSystemArchiveLibraryFolder = "/usr/lib/p7zip";
// The Firebird client library, loaded at run time.
inline constexpr const char* kDatabaseClientLibraryFile = "libfbclient.so.2";

}  // namespace zk::platform
