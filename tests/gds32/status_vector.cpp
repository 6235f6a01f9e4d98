#include "tests/gds32/status_vector.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zk::gds32 {
namespace {

struct Message {
  ISC_STATUS code;
  ISC_LONG sqlCode;
  const char* text;
};

// The errors this client reports, with the SQL codes and texts a Firebird 3
// client gives them.
constexpr Message kMessages[] = {
    {isc_bad_db_handle, -904, "invalid database handle (no active connection)"},
    {isc_bad_dpb_form, -901, "unrecognized database parameter block"},
    {isc_bad_trans_handle, -901,
     "invalid transaction handle (expecting explicit transaction start)"},
    {isc_convert_error, -413, "conversion error from string \"@1\""},
    {isc_infunk, -901, "unknown information item"},
    {isc_open_trans, -901, "cannot disconnect database with open transactions (@1 active)"},
    {isc_unavailable, -904, "unavailable database"},
    {isc_wish_list, -901, "feature is not supported"},
    {isc_random, -901, "@1"},
    {isc_sqlerr, -999, "SQL error code = @1"},
    {isc_bad_stmt_handle, -901, "invalid statement handle"},
    {isc_dsql_error, -902, "Dynamic SQL Error"},
    {isc_dsql_cursor_err, -504, "Invalid cursor reference"},
    {isc_dsql_cursor_open_err, -502, "Attempt to reopen an open cursor"},
    {isc_dsql_cursor_close_err, -501, "Attempt to reclose a closed cursor"},
    {isc_dsql_sqlda_err, -804, "SQLDA error"},
    {isc_unprepared_stmt, -901, "Attempt to execute an unprepared dynamic SQL statement."},
    {isc_dsql_sqlda_value_err, -804, "Incorrect values within SQLDA structure"},
    {isc_network_error, -902, "Unable to complete network request to host \"@1\"."},
    {isc_net_connect_err, -902, "Failed to establish a connection."},
    {isc_bad_teb_form, -901, "Invalid TEB format"},
    {isc_dsql_cursor_not_open, -504, "Cursor is not open"},
};

// Unknown codes get the SQL code a client gives them.
constexpr ISC_LONG kGenericSqlCode = -999;
// isc_interprete's caller gives no size; a client writes at most this much.
constexpr std::size_t kInterpretLimit = 1024;
constexpr int kMostArguments = 5;

const Message* findMessage(ISC_STATUS code) {
  for (const Message& message : kMessages) {
    if (message.code == code) {
      return &message;
    }
  }
  return nullptr;
}

// The texts status vectors point to, reused in turn.
std::array<std::string, 64> textRing;
std::size_t nextText = 0;

const char* keepText(const std::string& text) {
  std::string& slot = textRing[nextText];
  nextText = (nextText + 1) % textRing.size();
  slot = text;
  return slot.c_str();
}

std::string substitute(const char* pattern, const std::vector<std::string>& arguments) {
  std::string text;
  for (const char* c = pattern; *c != '\0'; ++c) {
    if (c[0] == '@' && c[1] >= '1' && c[1] <= '9') {
      const std::size_t index = static_cast<std::size_t>(c[1] - '1');
      text += index < arguments.size() ? arguments[index] : std::string();
      ++c;
    } else {
      text += *c;
    }
  }
  return text;
}

}  // namespace

ISC_STATUS succeed(ISC_STATUS* status) {
  status[0] = isc_arg_gds;
  status[1] = 0;
  status[2] = isc_arg_end;
  return 0;
}

ISC_STATUS fail(ISC_STATUS* status, std::initializer_list<ErrorPart> parts) {
  std::size_t i = 0;
  // Room is left for the closing isc_arg_end.
  auto put = [&](ISC_STATUS kind, ISC_STATUS value) {
    if (i + 2 < ISC_STATUS_LENGTH) {
      status[i++] = kind;
      status[i++] = value;
    }
  };
  for (const ErrorPart& part : parts) {
    put(isc_arg_gds, part.code);
    for (const auto& argument : part.arguments) {
      if (const auto* text = std::get_if<std::string>(&argument)) {
        put(isc_arg_string, reinterpret_cast<ISC_STATUS>(keepText(*text)));
      } else {
        put(isc_arg_number, std::get<ISC_LONG>(argument));
      }
    }
  }
  status[i] = isc_arg_end;
  return status[1];
}

ISC_LONG sqlCode(const ISC_STATUS* status) {
  if (status[1] == 0) {
    return 0;
  }
  ISC_LONG code = kGenericSqlCode;
  bool found = false;
  for (std::size_t i = 0; i + 1 < ISC_STATUS_LENGTH && status[i] != isc_arg_end;) {
    if (status[i] == isc_arg_gds) {
      if (status[i + 1] == isc_sqlerr && i + 3 < ISC_STATUS_LENGTH &&
          status[i + 2] == isc_arg_number) {
        return static_cast<ISC_LONG>(status[i + 3]);
      }
      if (!found) {
        const Message* message = findMessage(status[i + 1]);
        if (message != nullptr) {
          code = message->sqlCode;
          found = true;
        }
      }
    }
    i += status[i] == isc_arg_cstring ? 3 : 2;
  }
  return code;
}

ISC_LONG interpretNext(ISC_SCHAR* buffer, ISC_STATUS** position) {
  const ISC_STATUS* v = *position;
  while (v[0] == isc_arg_sql_state) {
    v += 2;
  }
  if (v[0] == isc_arg_end) {
    return 0;
  }
  std::string text;
  if (v[0] == isc_arg_gds) {
    const ISC_STATUS code = v[1];
    v += 2;
    std::vector<std::string> arguments;
    while (static_cast<int>(arguments.size()) < kMostArguments) {
      if (v[0] == isc_arg_string) {
        arguments.emplace_back(reinterpret_cast<const char*>(v[1]));
        v += 2;
      } else if (v[0] == isc_arg_cstring) {
        arguments.emplace_back(reinterpret_cast<const char*>(v[2]), static_cast<std::size_t>(v[1]));
        v += 3;
      } else if (v[0] == isc_arg_number) {
        arguments.push_back(std::to_string(v[1]));
        v += 2;
      } else {
        break;
      }
    }
    const Message* message = findMessage(code);
    text = message != nullptr ? substitute(message->text, arguments)
                              : "unknown ISC error " + std::to_string(code);
  } else if (v[0] == isc_arg_interpreted || v[0] == isc_arg_string) {
    text = reinterpret_cast<const char*>(v[1]);
    v += 2;
  } else if (v[0] == isc_arg_cstring) {
    text.assign(reinterpret_cast<const char*>(v[2]), static_cast<std::size_t>(v[1]));
    v += 3;
  } else {
    text = "unknown error code " + std::to_string(v[1]);
    v += 2;
  }
  text.resize(std::min(text.size(), kInterpretLimit - 1));
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  *position = const_cast<ISC_STATUS*>(v);
  return static_cast<ISC_LONG>(text.size());
}

ISC_LONG vaxInteger(const ISC_SCHAR* bytes, short length) {
  if (bytes == nullptr || length <= 0 || length > 4) {
    return 0;
  }
  ISC_LONG value = 0;
  int shift = 0;
  for (short i = 0; i + 1 < length; ++i) {
    value += static_cast<ISC_LONG>(static_cast<unsigned char>(bytes[i])) << shift;
    shift += 8;
  }
  // The highest byte carries the sign.
  value += static_cast<ISC_LONG>(static_cast<signed char>(bytes[length - 1])) * (1L << shift);
  return value;
}

}  // namespace zk::gds32
