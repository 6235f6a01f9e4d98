#pragma once

#include <optional>
#include <string>

namespace zk::gds32 {

// What a test sets in the process environment to steer this client. Read at
// each use, so a test can change them between lookups.

// ZK_TEST_LICENCE_YEAR, or "2027" when it is not set. The row's yil is this
// number; "NULL" makes it NULL; any other text fails the fetch with the
// server's conversion error, naming the text.
std::string licenceYearText();
// True when ZK_TEST_GDS32_FAIL_ATTACH is "1".
bool attachShouldFail();
// Appends the line and a line feed to the file ZK_TEST_GDS32_LOG names, when
// it names one. The bytes go out as the program passed them.
void logLine(const std::string& line);

}  // namespace zk::gds32
