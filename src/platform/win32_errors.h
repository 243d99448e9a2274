// Win32 error codes (last errors and registry results) shared by the ports, with
// the numbers of winerror.h; one place, so that ports can be included together.
#pragma once

#include <cstdint>

#ifndef ERROR_SUCCESS
constexpr uint32_t ERROR_SUCCESS = 0;
#endif
#ifndef ERROR_INVALID_FUNCTION
constexpr uint32_t ERROR_INVALID_FUNCTION = 1;
#endif
#ifndef ERROR_FILE_NOT_FOUND
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
#endif
#ifndef ERROR_INVALID_HANDLE
constexpr uint32_t ERROR_INVALID_HANDLE = 6;
#endif
#ifndef ERROR_INVALID_DATA
constexpr uint32_t ERROR_INVALID_DATA = 13;
#endif
#ifndef ERROR_INVALID_PARAMETER
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
#endif
#ifndef ERROR_CALL_NOT_IMPLEMENTED
constexpr uint32_t ERROR_CALL_NOT_IMPLEMENTED = 120;
#endif
#ifndef ERROR_PROC_NOT_FOUND
constexpr uint32_t ERROR_PROC_NOT_FOUND = 127;
#endif
#ifndef ERROR_INSUFFICIENT_BUFFER
constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
#endif
#ifndef ERROR_MORE_DATA
constexpr uint32_t ERROR_MORE_DATA = 234;
#endif
#ifndef ERROR_NO_MORE_ITEMS
constexpr uint32_t ERROR_NO_MORE_ITEMS = 259;
#endif
#ifndef ERROR_NOT_FOUND
constexpr uint32_t ERROR_NOT_FOUND = 1168;
#endif
#ifndef ERROR_INVALID_USER_BUFFER
constexpr uint32_t ERROR_INVALID_USER_BUFFER = 1784;
#endif
