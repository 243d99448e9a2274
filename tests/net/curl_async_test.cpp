// The libcurl internet port's URL requests on asynchronous sessions: the announced
// length, and CancelSession ending a wait (the same checks run on WinInet under Wine).
#include <gtest/gtest.h>

#include "platform/native/curl_internet.h"
#include "support/internet_port_checks.h"

namespace {

TEST(CurlInternetAsync, AnnouncedLength) {
  TCurlInternet internet;
  internet_port_checks::CheckContentLength(internet);
}

TEST(CurlInternetAsync, CancelSessionEndsAWaitForTheServer) {
  TCurlInternet internet;
  internet_port_checks::CheckCancelEndsTheWait(internet);
}

}  // namespace
