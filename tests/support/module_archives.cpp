#include "tests/support/module_archives.h"

#include <filesystem>
#include <stdexcept>

#include "tests/support/temp_folder.h"
#include "versions/module_catalogue.h"

namespace zk::test {

namespace fs = std::filesystem;

const ModuleArchive& moduleArchive(const std::vector<ModuleArchive>& all,
                                   const std::string& archive) {
  for (const ModuleArchive& module : all) {
    if (module.archive == archive) {
      return module;
    }
  }
  throw std::runtime_error("no archive " + archive);
}

std::map<std::string, std::string> installationFiles(const std::string& install,
                                                     const std::set<std::string>& fetched) {
  std::map<std::string, std::string> files;
  for (auto it = fs::recursive_directory_iterator(install); it != fs::end(it); ++it) {
    const std::string relative = fs::relative(it->path(), install).generic_string();
    if (relative == catalogue::kUpdateFolder) {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file() && fetched.count(relative) == 0) {
      files[relative] = readFile(it->path().string());
    }
  }
  return files;
}

std::map<std::string, std::string> installedByUpdate(const std::vector<ModuleArchive>& archives,
                                                     const std::string& reportsVersion) {
  std::map<std::string, std::string> files;
  for (const ModuleArchive& module : archives) {
    for (const RarItem& item : module.items) {
      if (const auto target = module.installs.find(item.name); target != module.installs.end()) {
        files[target->second] = item.data;
      }
    }
  }
  files["verrp.txt"] = reportsVersion;
  return files;
}

}  // namespace zk::test
