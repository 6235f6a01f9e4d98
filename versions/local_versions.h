#pragma once

#include <string>
#include <string_view>

#include "core/user_interface.h"

namespace zk {

// The line last read from a version file (UTF-8), or "1" for a file that had
// to be created. Program-wide, as the installed-version labels are set from it.
extern std::string lastVersionLine;

inline constexpr std::string_view kLocalVersionStatus = "Yerel Versiyon kontrolleri yapılıyor..";

// Shows the installed version held in the working directory's file `fileName`
// in the control "label" + `labelNumber`: the file's first line, or "1" after
// creating a missing file with that single byte. A failed file operation
// throws InOutError and leaves the label as it was.
void dosya_control(UserInterface& ui, const std::string& fileName, const std::string& labelNumber);

// Shows the installed version of every module: main program, reports, DLL
// bundle, then the mobile server (only where `serverAddress` is exactly
// "localhost") and printing (only where the file "yazici.exe" exists); an
// optional module that does not count shows "Yok" and its version file is
// neither read nor created. The first failure ends the check.
void local_version_kontrol(UserInterface& ui, const std::string& serverAddress);

}  // namespace zk
