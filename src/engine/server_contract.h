// Fixed values of every exchange with the driver server, shared by the engine
// and the reference server (server/).
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr const char* QV_USER_AGENT = "Quorvane";
// The Protocol Buffers content type, the quotes around utf-8 included.
inline constexpr const char* QV_PROTOBUF_CONTENT_TYPE = "application/x-protobuf; charset=\"utf-8\"";

// The server's routes: the scan, the confirmation of downloaded packages by
// their checksums, the offer of a newer program version, and its setup program.
inline constexpr const char* QV_NEW_UPDATES_ROUTE = "/newupdates/";
inline constexpr const char* QV_CLIENT_STATUS_ROUTE = "/client_status/";
inline constexpr const char* QV_CLIENT_VERSION_ROUTE = "/client_version/quorvane/";
inline constexpr const char* QV_SETUP_ROUTE = "/download/qvsetup.exe";

// The longest answer each exchange takes: a longer one is a failed exchange, read no
// further. The scan's answer lists drivers; the version and status answers are short.
inline constexpr size_t QV_SCAN_ANSWER_LIMIT = 64 * 1024 * 1024;
inline constexpr size_t QV_SHORT_ANSWER_LIMIT = 64 * 1024;
// The largest package fetched when the scan announced no size for it.
inline constexpr uint64_t QV_PACKAGE_SIZE_LIMIT = 4ull * 1024 * 1024 * 1024;
