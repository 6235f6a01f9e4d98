#pragma once

#include <cstdint>
#include <string>

namespace zk {

// A caption converted to a signed 32-bit integer: optional leading spaces, an
// optional "+" or "-", then decimal digits within the signed 32-bit range, or
// a "$", "x" or "0x" prefix (either case of x) and up to eight hexadecimal
// digits taken as a 32-bit pattern. Nothing may follow the digits. Any other
// text fails with "'<text>' is not a valid integer value".
std::int32_t toInteger(const std::string& text);

}  // namespace zk
