#pragma once

#include <ibase.h>

#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

namespace zk::gds32 {

// One error of a failed call: its code and the texts or numbers its message
// takes (@1, @2, ... in order).
struct ErrorPart {
  ISC_STATUS code;
  std::vector<std::variant<std::string, ISC_LONG>> arguments = {};
};

// The success vector {isc_arg_gds, 0, isc_arg_end}; returns 0.
ISC_STATUS succeed(ISC_STATUS* status);
// Writes the errors into the status vector as a client does and returns the
// first error code, the value every failing call returns. The texts stay
// valid for the next many failures, as the client's own do.
ISC_STATUS fail(ISC_STATUS* status, std::initializer_list<ErrorPart> parts);

// isc_sqlcode: the number of an isc_sqlerr error, else the SQL code of the
// first error, 0 for success.
ISC_LONG sqlCode(const ISC_STATUS* status);
// isc_interprete: the next message of the vector into the buffer; advances
// the position and returns the text's length, 0 at the end.
ISC_LONG interpretNext(ISC_SCHAR* buffer, ISC_STATUS** position);
// isc_vax_integer: a little-endian number of 1 to 4 bytes, the last one signed.
ISC_LONG vaxInteger(const ISC_SCHAR* bytes, short length);

}  // namespace zk::gds32
