#pragma once

// The update server's module archives as the end-to-end runs of the real
// program build them, and the installation's files they are checked against.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/rar_writer.h"

namespace zk::test {

// One module archive of the update server and where its items are installed.
struct ModuleArchive {
  std::string archive;      // "zelvak.rar"
  std::string versionFile;  // "verzk.txt"
  std::vector<RarItem> items;
  // Installation path (relative to the working directory) of each item that
  // an update installs there; the other items stay in the staging folder.
  std::map<std::string, std::string> installs;
};

// The version texts of the installation ("old") and the server ("new").
struct VersionPair {
  const char* file;
  const char* installed;
  const char* server;
};
inline constexpr VersionPair kVersions[] = {
    {"verzk.txt", "11", "12"}, {"vermb.txt", "7", "8"}, {"verpr.txt", "4", "5"},
    {"verrp.txt", "30", "31"}, {"verdl.txt", "3", "4"},
};
const VersionPair& versionOf(const std::string& file);

// The five archives at a version ("new": the server's, "old": what the
// installation holds): each program's bytes from `program` (given its name),
// the help file, the reports, and the DLL bundle with its version text, each
// library a text naming it and the version unless `libraries` gives its bytes.
std::vector<ModuleArchive> buildModuleArchives(
    const std::string& version, const std::function<std::string(const std::string&)>& program,
    const std::map<std::string, std::string>& libraries = {});

const ModuleArchive& moduleArchive(const std::vector<ModuleArchive>& all,
                                   const std::string& archive);

// Every file of the installation by its path relative to it ("/" between
// folders), the staging folder and the files named in `fetched` aside.
std::map<std::string, std::string> installationFiles(const std::string& install,
                                                     const std::set<std::string>& fetched);

// What an update installs from the archives, by installation path, with the
// reports' version text (the one version file an update rewrites).
std::map<std::string, std::string> installedByUpdate(const std::vector<ModuleArchive>& archives,
                                                     const std::string& reportsVersion);

}  // namespace zk::test
