#include "transfer/download_file.h"

#include "core/error.h"
#include "platform/file_replacement.h"
#include "platform/files.h"
#include "transfer/body_sink.h"

namespace zk {

namespace {

[[noreturn]] void throwCannotCreate(const std::string& targetPath, int errorNumber) {
  throw Error("Cannot create file \"" + platform::expandFileName(targetPath) + "\". " +
              platform::systemErrorText(errorNumber));
}

// For a target that cannot be written when the download starts: the body is
// kept in memory and the file is tried again once the request has completed,
// so the request's own failures still come first and a folder made meanwhile
// is used.
void downloadIntoMemory(HttpClient& IdHTTP1, const std::string& url,
                        const std::string& targetPath) {
  std::string buffer;
  IdHTTP1.Get(url, buffer);
  const platform::FileReplaceResult result = platform::replaceFileContents(targetPath, buffer);
  switch (result.failure) {
    case platform::FileReplaceResult::Failure::None:
      return;
    case platform::FileReplaceResult::Failure::Create:
      throwCannotCreate(targetPath, result.errorNumber);
    case platform::FileReplaceResult::Failure::Write:
      throw Error("Stream write error");
  }
}

}  // namespace

void IdHTTP1WorkBegin(UserInterface& ui, HttpClient&, WorkMode, std::int32_t expectedTotal) {
  ui.setProgressMaximum(expectedTotal);
  ui.setProgressPosition(0);
  ui.setCaption("Label27", "% 0");
}

void IdHTTP1Work(UserInterface& ui, HttpClient&, WorkMode, std::int32_t countSoFar) {
  ui.setProgressPosition(countSoFar);
  ui.repaintProgress();
  const std::int64_t maximum = ui.progressMaximum();
  const std::int64_t position = ui.progressPosition();
  const std::int64_t percent = maximum == 0 ? 0 : position * 100 / maximum;
  ui.setCaption("Label27", "% " + std::to_string(percent));
  ui.pump();
}

void IdHTTP1WorkEnd(UserInterface& ui, HttpClient&, WorkMode) {
  ui.setCaption("Label27", "% 100");
}

void connectWorkHandlers(HttpClient& IdHTTP1, UserInterface& ui) {
  IdHTTP1.OnWorkBegin = [&ui](HttpClient& sender, WorkMode mode, std::int32_t expectedTotal) {
    IdHTTP1WorkBegin(ui, sender, mode, expectedTotal);
  };
  IdHTTP1.OnWork = [&ui](HttpClient& sender, WorkMode mode, std::int32_t countSoFar) {
    IdHTTP1Work(ui, sender, mode, countSoFar);
  };
  IdHTTP1.OnWorkEnd = [&ui](HttpClient& sender, WorkMode mode) {
    IdHTTP1WorkEnd(ui, sender, mode);
  };
}

void DownloadFile(HttpClient& IdHTTP1, UserInterface& ui, const std::string& url,
                  const std::string& targetPath, const BodyCheck& accept) {
  connectWorkHandlers(IdHTTP1, ui);
  platform::removeLeftoverReplacements(targetPath);
  std::string replacement;
  platform::StreamFile file = platform::createReplacement(targetPath, replacement);
  if (!file.isOpen()) {
    if (accept) {
      std::string ignored;
      IdHTTP1.Get(url, ignored);
      throwCannotCreate(targetPath, file.errorNumber());
    }
    downloadIntoMemory(IdHTTP1, url, targetPath);
    return;
  }
  try {
    FileSink sink(file);
    IdHTTP1.Get(url, sink);
    if (accept) {
      accept(replacement);
    }
  } catch (...) {
    platform::discardReplacement(file, replacement);
    throw;
  }
  if (const int error = platform::commitReplacement(file, replacement, targetPath); error != 0) {
    throwCannotCreate(targetPath, error);
  }
}

}  // namespace zk
