// A stand-in for the product's programs in tests and the demo: copied under
// names like "zelvak.exe" or "mobil.exe", it runs until it is killed.
//
//   zk_standin [--mark FILE] [ARGUMENT...]
//
// With --mark (or, without it, when ZK_STANDIN_MARK names a file) it first
// writes the file, one "key=value" line each: pid, session, cwd, stdin,
// stdout, stderr (what the standard streams are connected to) and one "arg"
// line per command-line word, argv[0] first. The file appears complete at once.
// On Windows "session" is the terminal session (ProcessIdToSessionId) and the
// streams are the kind of handle the process got: "none", "console", "file",
// "pipe" or "other".

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

#ifdef _WIN32
std::string streamOf(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    return "none";
  }
  switch (GetFileType(handle)) {
    case FILE_TYPE_CHAR:
      return "console";
    case FILE_TYPE_DISK:
      return "file";
    case FILE_TYPE_PIPE:
      return "pipe";
    default:
      return "other";
  }
}

std::string processFacts() {
  char cwd[MAX_PATH] = "";
  if (GetCurrentDirectoryA(sizeof cwd, cwd) == 0) {
    cwd[0] = '\0';
  }
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  std::string text = "pid=" + std::to_string(GetCurrentProcessId()) + "\n";
  text += "session=" + std::to_string(session) + "\n";
  text += std::string("cwd=") + cwd + "\n";
  text += "stdin=" + streamOf(STD_INPUT_HANDLE) + "\n";
  text += "stdout=" + streamOf(STD_OUTPUT_HANDLE) + "\n";
  text += "stderr=" + streamOf(STD_ERROR_HANDLE) + "\n";
  return text;
}
#else
std::string linkOf(const char* path) {
  char buffer[PATH_MAX];
  const ssize_t length = readlink(path, buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

std::string processFacts() {
  char cwd[PATH_MAX] = "";
  if (getcwd(cwd, sizeof cwd) == nullptr) {
    cwd[0] = '\0';
  }
  std::string text = "pid=" + std::to_string(getpid()) + "\n";
  text += "session=" + std::to_string(getsid(0)) + "\n";
  text += std::string("cwd=") + cwd + "\n";
  text += "stdin=" + linkOf("/proc/self/fd/0") + "\n";
  text += "stdout=" + linkOf("/proc/self/fd/1") + "\n";
  text += "stderr=" + linkOf("/proc/self/fd/2") + "\n";
  return text;
}
#endif

bool writeMark(const std::string& file, int argc, char** argv) {
  std::string text = processFacts();
  for (int i = 0; i < argc; ++i) {
    text += std::string("arg=") + argv[i] + "\n";
  }
  const std::string partial = file + ".partial";
  FILE* out = std::fopen(partial.c_str(), "wb");
  if (out == nullptr) {
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  return std::fclose(out) == 0 && written && std::rename(partial.c_str(), file.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mark;
  if (argc >= 3 && std::string(argv[1]) == "--mark") {
    mark = argv[2];
  } else if (const char* fromEnvironment = std::getenv("ZK_STANDIN_MARK")) {
    mark = fromEnvironment;
  }
  if (!mark.empty() && !writeMark(mark, argc, argv)) {
    std::perror(mark.c_str());
    return 1;
  }
  for (;;) {
#ifdef _WIN32
    Sleep(INFINITE);
#else
    pause();
#endif
  }
}
