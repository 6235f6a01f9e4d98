#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zk::platform {

// What the command-line runs need of the system: the two output streams,
// whether a person may be watching standard error, the local time for log
// lines, a clock for transfer rates, and appending to a log file.

// Writes UTF-8 text to standard output / standard error as it is, at once
// (unbuffered), so that lines of both streams keep their order.
void writeStandardOutput(std::string_view text);
void writeStandardError(std::string_view text);

// A window program started from a command prompt has no output streams of
// its own; it takes those of the prompt's console. Does nothing where the
// streams are there already.
void useParentConsole();

// The program's arguments as UTF-8, the program's name first. Windows hands
// main() its arguments in the ANSI code page, which cannot hold every name.
std::vector<std::string> programArguments(int argc, char** argv);

// Whether standard error is a terminal (a redrawn progress line makes sense).
bool standardErrorIsTerminal();

// The local date and time now, as "YYYY-MM-DD HH:MM:SS".
std::string localTimestamp();

// Milliseconds of a clock that only moves forward, from an unspecified start.
std::int64_t monotonicMilliseconds();

// Appends the bytes to the file, creating it when missing. Returns 0 when
// every byte was written, otherwise the system's error number.
int appendToFile(const std::string& path, std::string_view bytes);

// Whether options may also be written with "/" ("/?" for help), as the
// system's own programs accept them.
#ifdef _WIN32
inline constexpr bool kSlashOptions = true;
#else
inline constexpr bool kSlashOptions = false;
#endif

}  // namespace zk::platform
