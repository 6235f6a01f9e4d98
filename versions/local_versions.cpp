#include "versions/local_versions.h"

#include "core/error.h"
#include "core/text_encoding.h"
#include "platform/files.h"
#include "platform/text_file.h"
#include "versions/module_catalogue.h"

namespace zk {

std::string lastVersionLine;

namespace {

constexpr char kCtrlZ = 26;
// What a created version file holds, and the version it stands for.
constexpr std::string_view kCreatedVersion = "1";
constexpr std::size_t kReadChunk = 4096;

void check(int code) {
  if (code != 0) {
    throw InOutError(code);
  }
}

// The first line's bytes: up to a LF, a CR directly followed by LF, a Ctrl+Z
// or the end of the file. A CR not followed by LF is left out.
std::string readFirstLine(platform::TextFile& file) {
  std::string line;
  std::string chunk;
  bool crPending = false;
  for (;;) {
    chunk.clear();
    check(file.read(chunk, kReadChunk));
    if (chunk.empty()) {
      return line;
    }
    for (const char c : chunk) {
      if (crPending) {
        crPending = false;
        if (c == '\n') {
          return line;
        }
      }
      if (c == '\n' || c == kCtrlZ) {
        return line;
      }
      if (c == '\r') {
        crPending = true;
      } else {
        line += c;
      }
    }
  }
}

void showLine(UserInterface& ui, const std::string& labelNumber) {
  if (const auto label = ui.findControl("label" + labelNumber)) {
    ui.setCaption(*label, lastVersionLine);
  }
}

void runRow(UserInterface& ui, ModuleRow row) {
  const ModuleEntry& entry = ModuleCatalogue::row(row);
  dosya_control(ui, std::string(entry.versionFile), std::string(entry.localLabelNumber));
}

void markAbsent(UserInterface& ui, ModuleRow row) {
  ui.setCaption(std::string(ModuleCatalogue::row(row).localLabel),
                std::string(catalogue::kAbsentMarker));
}

}  // namespace

void dosya_control(UserInterface& ui, const std::string& fileName, const std::string& labelNumber) {
  lastVersionLine = std::string(kCreatedVersion);
  const std::string path = platform::localPath(fileName);
  platform::TextFile file;
  if (platform::fileExists(path)) {
    check(file.openForReading(path));
    lastVersionLine = cp1254ToUtf8(readFirstLine(file));
    check(file.close());
  } else {
    check(file.create(path));
    check(file.write(kCreatedVersion));
    check(file.close());
  }
  showLine(ui, labelNumber);
}

void local_version_kontrol(UserInterface& ui, const std::string& serverAddress) {
  ui.setStatus(std::string(kLocalVersionStatus));
  ui.pump();

  runRow(ui, ModuleRow::MainProgram);
  runRow(ui, ModuleRow::Reports);
  runRow(ui, ModuleRow::DllBundle);

  if (serverAddress == catalogue::kDatabaseServerAddress) {
    runRow(ui, ModuleRow::MobileServer);
  } else {
    markAbsent(ui, ModuleRow::MobileServer);
  }

  if (platform::fileExists(platform::localPath(std::string(catalogue::kPrintingPresenceFile)))) {
    runRow(ui, ModuleRow::Printing);
  } else {
    markAbsent(ui, ModuleRow::Printing);
  }
}

}  // namespace zk
