// Fixed values of every exchange with the driver server.
#pragma once

inline constexpr const char* QV_USER_AGENT = "Quorvane";
// The Protocol Buffers content type, the quotes around utf-8 included.
inline constexpr const char* QV_PROTOBUF_CONTENT_TYPE = "application/x-protobuf; charset=\"utf-8\"";
