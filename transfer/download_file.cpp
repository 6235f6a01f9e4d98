#include "transfer/download_file.h"

#include "core/error.h"
#include "platform/file_replacement.h"
#include "platform/files.h"

namespace zk {

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
  std::string buffer;
  connectWorkHandlers(IdHTTP1, ui);
  IdHTTP1.Get(url, buffer);
  if (accept) {
    accept(buffer);
  }

  const platform::FileReplaceResult result = platform::replaceFileContents(targetPath, buffer);
  switch (result.failure) {
    case platform::FileReplaceResult::Failure::None:
      return;
    case platform::FileReplaceResult::Failure::Create:
      throw Error("Cannot create file \"" + platform::expandFileName(targetPath) + "\". " +
                  platform::systemErrorText(result.errorNumber));
    case platform::FileReplaceResult::Failure::Write:
      throw Error("Stream write error");
  }
}

}  // namespace zk
