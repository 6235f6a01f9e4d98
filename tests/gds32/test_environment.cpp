#include "tests/gds32/test_environment.h"

#include <windows.h>

#include <vector>

namespace zk::gds32 {
namespace {

constexpr const char* kDefaultLicenceYear = "2027";

// The process environment itself, so values a test sets through any C
// run-time (or SetEnvironmentVariable) are seen here.
std::optional<std::wstring> environmentValue(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) {
    return std::nullopt;
  }
  std::vector<wchar_t> value(size);
  const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
  if (length == 0 || length >= size) {
    return std::nullopt;
  }
  return std::wstring(value.data(), length);
}

}  // namespace

std::string licenceYearText() {
  const std::optional<std::wstring> value = environmentValue(L"ZK_TEST_LICENCE_YEAR");
  if (!value) {
    return kDefaultLicenceYear;
  }
  // A year is digits; anything else is kept character by character so that
  // the conversion error names it.
  std::string text;
  for (wchar_t c : *value) {
    text += c < 0x80 ? static_cast<char>(c) : '?';
  }
  return text;
}

bool attachShouldFail() {
  const std::optional<std::wstring> value = environmentValue(L"ZK_TEST_GDS32_FAIL_ATTACH");
  return value && *value == L"1";
}

void logLine(const std::string& line) {
  const std::optional<std::wstring> path = environmentValue(L"ZK_TEST_GDS32_LOG");
  if (!path || path->empty()) {
    return;
  }
  const HANDLE file = CreateFileW(path->c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return;
  }
  const std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace zk::gds32
