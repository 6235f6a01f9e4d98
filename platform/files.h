#pragma once

#include <string>

namespace zk::platform {

// The separator the system's paths use; "/" is understood everywhere too.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The process's current directory, read anew at every call, without a closing
// separator.
std::string workingDirectory();
// The folder of the running program's own file, without a closing
// separator; empty when the system does not tell.
std::string programFolder();
// workingDirectory() + kPathSeparator + name: where the product's local files live.
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

// The DOS code for a system error number (on POSIX ENOENT -> 2, EACCES -> 5,
// ENOSPC -> 101, ...; Windows' own numbers are DOS codes already).
int dosErrorCode(int errorNumber);
// The system's text for a system error number without trailing blanks, line
// breaks and full stops.
std::string systemErrorText(int errorNumber);
// Removes trailing blanks, control characters and full stops.
std::string trimSystemText(std::string text);

}  // namespace zk::platform
