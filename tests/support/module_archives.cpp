#include "tests/support/module_archives.h"

#include <filesystem>
#include <stdexcept>

#include "tests/support/temp_folder.h"
#include "versions/module_catalogue.h"

namespace zk::test {

namespace fs = std::filesystem;

const VersionPair& versionOf(const std::string& file) {
  for (const VersionPair& pair : kVersions) {
    if (file == pair.file) {
      return pair;
    }
  }
  throw std::runtime_error("no version file " + file);
}

std::vector<ModuleArchive> buildModuleArchives(
    const std::string& version, const std::function<std::string(const std::string&)>& program,
    const std::map<std::string, std::string>& libraries) {
  const auto programItem = [&](const char* name) { return RarItem::file(name, program(name)); };
  std::vector<ModuleArchive> all;
  all.push_back(
      {"zelvak.rar",
       "verzk.txt",
       {programItem("zelvak.exe"), RarItem::file("zelvak.chm", "yardım " + version + "\n")},
       {{"zelvak.exe", "zelvak.exe"}}});
  all.push_back({"mobil.rar",
                 "vermb.txt",
                 {programItem("mobil.exe"), programItem("zkbck.exe")},
                 {{"mobil.exe", "mobil.exe"}, {"zkbck.exe", "zkbck.exe"}}});
  all.push_back(
      {"yazdir.rar", "verpr.txt", {programItem("yazdir.exe")}, {{"yazdir.exe", "yazdir.exe"}}});
  ModuleArchive reports{"report.rar", "verrp.txt", {}, {}};
  for (const char* name : {"cari_hesap.fr3", "Faturalar/e-fatura.fr3", "Stok/stok_listesi.fr3"}) {
    reports.items.push_back(
        RarItem::file(name, "<report name=\"" + std::string(name) + "\" v=" + version + "/>\n"));
    reports.installs[name] = std::string("report/") + name;
  }
  all.push_back(reports);
  ModuleArchive bundle{"dll.rar", "verdl.txt", {}, {}};
  const VersionPair& dll = versionOf("verdl.txt");
  for (std::string_view entry : ModuleCatalogue::dllBundle()) {
    const std::string name(entry);
    std::string data = "library " + name + " " + version + "\n";
    if (name == "verdl.txt") {
      data = version == "new" ? dll.server : dll.installed;
    } else if (const auto given = libraries.find(name); given != libraries.end()) {
      data = given->second;
    }
    bundle.items.push_back(RarItem::file(name, data));
    bundle.installs[name] = name;
  }
  all.push_back(bundle);
  return all;
}

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
