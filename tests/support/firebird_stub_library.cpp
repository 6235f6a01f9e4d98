// Stand-ins for the Firebird client library, built as separate loadable
// modules by tests/CMakeLists.txt (one per ZK_FIREBIRD_STUB_* variant) so the
// data module's loading rules can be tried; empty in the test support library.
#if defined(ZK_FIREBIRD_STUB_OLDER) || defined(ZK_FIREBIRD_STUB_NEWER_INCOMPLETE) || \
    defined(ZK_FIREBIRD_STUB_NEWER_COMPLETE)

#ifdef _WIN32
#define ZK_STUB_EXPORT __declspec(dllexport)
#else
#define ZK_STUB_EXPORT __attribute__((visibility("default")))
#endif

#define ZK_STUB(name)                    \
  extern "C" ZK_STUB_EXPORT int name() { \
    return 0;                            \
  }

ZK_STUB(BLOB_get)
ZK_STUB(BLOB_put)
ZK_STUB(isc_sqlcode)
ZK_STUB(isc_sql_interprete)
ZK_STUB(isc_interprete)
ZK_STUB(isc_vax_integer)
ZK_STUB(isc_blob_info)
ZK_STUB(isc_open_blob2)
ZK_STUB(isc_close_blob)
ZK_STUB(isc_get_segment)
ZK_STUB(isc_put_segment)
ZK_STUB(isc_create_blob2)
ZK_STUB(isc_decode_date)
ZK_STUB(isc_encode_date)
ZK_STUB(isc_dsql_free_statement)
ZK_STUB(isc_dsql_execute2)
ZK_STUB(isc_dsql_execute)
ZK_STUB(isc_dsql_set_cursor_name)
ZK_STUB(isc_dsql_fetch)
ZK_STUB(isc_dsql_sql_info)
ZK_STUB(isc_dsql_alloc_statement2)
ZK_STUB(isc_dsql_prepare)
ZK_STUB(isc_dsql_describe_bind)
ZK_STUB(isc_dsql_describe)
ZK_STUB(isc_dsql_execute_immediate)
ZK_STUB(isc_drop_database)
ZK_STUB(isc_detach_database)
ZK_STUB(isc_attach_database)
ZK_STUB(isc_database_info)
ZK_STUB(isc_start_multiple)
ZK_STUB(isc_commit_transaction)
ZK_STUB(isc_commit_retaining)
ZK_STUB(isc_rollback_transaction)
ZK_STUB(isc_cancel_events)
ZK_STUB(isc_que_events)
ZK_STUB(isc_event_counts)
ZK_STUB(isc_event_block)
ZK_STUB(isc_free)
ZK_STUB(isc_add_user)
ZK_STUB(isc_delete_user)
ZK_STUB(isc_modify_user)
ZK_STUB(isc_prepare_transaction)
ZK_STUB(isc_prepare_transaction2)

#if defined(ZK_FIREBIRD_STUB_NEWER_INCOMPLETE) || defined(ZK_FIREBIRD_STUB_NEWER_COMPLETE)
// A newer library; the incomplete one lacks isc_encode_timestamp.
ZK_STUB(isc_rollback_retaining)
ZK_STUB(isc_service_attach)
ZK_STUB(isc_service_detach)
ZK_STUB(isc_service_query)
ZK_STUB(isc_service_start)
ZK_STUB(isc_decode_sql_date)
ZK_STUB(isc_decode_sql_time)
ZK_STUB(isc_decode_timestamp)
ZK_STUB(isc_encode_sql_date)
ZK_STUB(isc_encode_sql_time)
#endif
#ifdef ZK_FIREBIRD_STUB_NEWER_COMPLETE
ZK_STUB(isc_encode_timestamp)
#endif

#endif
