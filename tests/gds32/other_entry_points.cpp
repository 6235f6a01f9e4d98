// The entry points the program requires of the client library but the
// licence-year lookup never calls. Calls with a status vector fail with the
// client's "feature is not supported"; the date conversions work, the rest
// answer as on an empty input.
#include <ibase.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "tests/gds32/status_vector.h"

namespace zk::gds32 {
namespace {

ISC_STATUS unsupported(ISC_STATUS* status) {
  return fail(status, {{isc_wish_list}});
}

// Firebird counts days from 17 November 1858 and ten-thousandths of a second
// from midnight.
constexpr std::chrono::sys_days kDayZero{std::chrono::year{1858} / std::chrono::November / 17};
constexpr ISC_TIME kFractionsPerSecond = 10000;

void decodeDate(ISC_DATE days, std::tm& out) {
  using namespace std::chrono;
  const sys_days date = kDayZero + std::chrono::days{days};
  const year_month_day calendar{date};
  const sys_days newYear{calendar.year() / January / 1};
  out.tm_year = static_cast<int>(calendar.year()) - 1900;
  out.tm_mon = static_cast<int>(static_cast<unsigned>(calendar.month())) - 1;
  out.tm_mday = static_cast<int>(static_cast<unsigned>(calendar.day()));
  out.tm_wday = static_cast<int>(weekday{date}.c_encoding());
  out.tm_yday = static_cast<int>((date - newYear).count());
  out.tm_isdst = 0;
}

void decodeTime(ISC_TIME fractions, std::tm& out) {
  const ISC_TIME seconds = fractions / kFractionsPerSecond;
  out.tm_hour = static_cast<int>(seconds / 3600);
  out.tm_min = static_cast<int>(seconds / 60 % 60);
  out.tm_sec = static_cast<int>(seconds % 60);
}

ISC_DATE encodeDate(const std::tm& in) {
  using namespace std::chrono;
  const year_month_day calendar{year{in.tm_year + 1900},
                                month{static_cast<unsigned>(in.tm_mon + 1)},
                                day{static_cast<unsigned>(in.tm_mday)}};
  return static_cast<ISC_DATE>((sys_days{calendar} - kDayZero).count());
}

ISC_TIME encodeTime(const std::tm& in) {
  return static_cast<ISC_TIME>((in.tm_hour * 60 + in.tm_min) * 60 + in.tm_sec) *
         kFractionsPerSecond;
}

}  // namespace
}  // namespace zk::gds32

using namespace zk::gds32;

extern "C" {

int ISC_EXPORT BLOB_get(FB_BLOB_STREAM) {
  return EOF;
}

int ISC_EXPORT BLOB_put(ISC_SCHAR, FB_BLOB_STREAM) {
  return 0;
}

void ISC_EXPORT isc_sql_interprete(short, ISC_SCHAR* buffer, short length) {
  if (buffer != nullptr && length > 0) {
    buffer[0] = '\0';
  }
}

ISC_STATUS ISC_EXPORT isc_blob_info(ISC_STATUS* status, isc_blob_handle*, short, const ISC_SCHAR*,
                                    short, ISC_SCHAR*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_open_blob2(ISC_STATUS* status, isc_db_handle*, isc_tr_handle*,
                                     isc_blob_handle*, ISC_QUAD*, ISC_USHORT, const ISC_UCHAR*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_close_blob(ISC_STATUS* status, isc_blob_handle*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_get_segment(ISC_STATUS* status, isc_blob_handle*, unsigned short*,
                                      unsigned short, ISC_SCHAR*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_put_segment(ISC_STATUS* status, isc_blob_handle*, unsigned short,
                                      const ISC_SCHAR*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_create_blob2(ISC_STATUS* status, isc_db_handle*, isc_tr_handle*,
                                       isc_blob_handle*, ISC_QUAD*, short, const ISC_SCHAR*) {
  return unsupported(status);
}

void ISC_EXPORT isc_decode_date(const ISC_QUAD* date, void* out) {
  decodeDate(date->gds_quad_high, *static_cast<std::tm*>(out));
  decodeTime(date->gds_quad_low, *static_cast<std::tm*>(out));
}

void ISC_EXPORT isc_encode_date(const void* in, ISC_QUAD* date) {
  date->gds_quad_high = encodeDate(*static_cast<const std::tm*>(in));
  date->gds_quad_low = encodeTime(*static_cast<const std::tm*>(in));
}

void ISC_EXPORT isc_decode_sql_date(const ISC_DATE* date, void* out) {
  auto& time = *static_cast<std::tm*>(out);
  decodeDate(*date, time);
  time.tm_hour = time.tm_min = time.tm_sec = 0;
}

void ISC_EXPORT isc_decode_sql_time(const ISC_TIME* fractions, void* out) {
  auto& time = *static_cast<std::tm*>(out);
  time = std::tm{};
  decodeTime(*fractions, time);
}

void ISC_EXPORT isc_decode_timestamp(const ISC_TIMESTAMP* stamp, void* out) {
  decodeDate(stamp->timestamp_date, *static_cast<std::tm*>(out));
  decodeTime(stamp->timestamp_time, *static_cast<std::tm*>(out));
}

void ISC_EXPORT isc_encode_sql_date(const void* in, ISC_DATE* date) {
  *date = encodeDate(*static_cast<const std::tm*>(in));
}

void ISC_EXPORT isc_encode_sql_time(const void* in, ISC_TIME* fractions) {
  *fractions = encodeTime(*static_cast<const std::tm*>(in));
}

void ISC_EXPORT isc_encode_timestamp(const void* in, ISC_TIMESTAMP* stamp) {
  stamp->timestamp_date = encodeDate(*static_cast<const std::tm*>(in));
  stamp->timestamp_time = encodeTime(*static_cast<const std::tm*>(in));
}

ISC_STATUS ISC_EXPORT isc_dsql_execute_immediate(ISC_STATUS* status, isc_db_handle*, isc_tr_handle*,
                                                 unsigned short, const ISC_SCHAR*, unsigned short,
                                                 const XSQLDA*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_drop_database(ISC_STATUS* status, isc_db_handle*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_commit_retaining(ISC_STATUS* status, isc_tr_handle*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_rollback_retaining(ISC_STATUS* status, isc_tr_handle*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_prepare_transaction(ISC_STATUS* status, isc_tr_handle*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_prepare_transaction2(ISC_STATUS* status, isc_tr_handle*, ISC_USHORT,
                                               const ISC_UCHAR*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_cancel_events(ISC_STATUS* status, isc_db_handle*, ISC_LONG*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_que_events(ISC_STATUS* status, isc_db_handle*, ISC_LONG*, short,
                                     const ISC_UCHAR*, ISC_EVENT_CALLBACK, void*) {
  return unsupported(status);
}

void ISC_EXPORT isc_event_counts(ISC_ULONG*, short, ISC_UCHAR*, const ISC_UCHAR*) {}

ISC_LONG ISC_EXPORT_VARARG isc_event_block(ISC_UCHAR** eventBuffer, ISC_UCHAR** resultBuffer,
                                           ISC_USHORT, ...) {
  *eventBuffer = nullptr;
  *resultBuffer = nullptr;
  return 0;
}

ISC_LONG ISC_EXPORT isc_free(ISC_SCHAR*) {
  return 0;
}

ISC_STATUS ISC_EXPORT isc_add_user(ISC_STATUS* status, const USER_SEC_DATA*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_delete_user(ISC_STATUS* status, const USER_SEC_DATA*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_modify_user(ISC_STATUS* status, const USER_SEC_DATA*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_service_attach(ISC_STATUS* status, unsigned short, const ISC_SCHAR*,
                                         isc_svc_handle*, unsigned short, const ISC_SCHAR*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_service_detach(ISC_STATUS* status, isc_svc_handle*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_service_query(ISC_STATUS* status, isc_svc_handle*, isc_resv_handle*,
                                        unsigned short, const ISC_SCHAR*, unsigned short,
                                        const ISC_SCHAR*, unsigned short, ISC_SCHAR*) {
  return unsupported(status);
}

ISC_STATUS ISC_EXPORT isc_service_start(ISC_STATUS* status, isc_svc_handle*, isc_resv_handle*,
                                        unsigned short, const ISC_SCHAR*) {
  return unsupported(status);
}

}  // extern "C"
