#pragma once

#include <set>
#include <string>

namespace zk::test {

// The versions a demo update server offers and a demo installation holds.
// The installation is a little behind: every module but printing is older.
struct DemoVersion {
  const char* file;
  const char* installed;
  const char* server;
};
inline constexpr DemoVersion kDemoVersions[] = {
    {"verzk.txt", "11", "12"}, {"vermb.txt", "7", "8"}, {"verpr.txt", "5", "5"},
    {"verrp.txt", "30", "31"}, {"verdl.txt", "3", "4"},
};
inline constexpr const char* kDemoYear = "2027";

// The bytes of a product program of the demo: a runnable stand-in program
// with a trailer naming the program and its version, so that an old and a
// new copy differ.
std::string demoProgram(const std::string& standIn, const std::string& name,
                        const std::string& version);

// Writes an update server's files below root: the archive library and the
// logo in the root, the version texts, the announcement and the five module
// archives in root/<year>/. Files named in `omit` (for example "zelvak.rar")
// are left out.
void writeDemoUpdateServer(const std::string& root, const std::string& standIn,
                           const std::set<std::string>& omit = {});

// Writes a product installation into folder: the settings file, the version
// files, "yazici.exe", the programs and the DLL bundle of the older versions.
void writeDemoInstallation(const std::string& folder, const std::string& serverAddress,
                           const std::string& databasePath, const std::string& standIn);

// The announcement as the server holds it, in Windows-1254.
std::string demoAnnouncement();

// A small valid PNG picture (a green square).
std::string demoPng();

}  // namespace zk::test
