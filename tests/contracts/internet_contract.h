// The internet port's contract for URL requests on an asynchronous session, written
// once and run against each implementation: libcurl natively, WinInet under Wine,
// each against a one-request server on loopback. Calls start from a sentinel last
// error; the checks name the result and the last error after them.
//
// A trait (the type parameter) owns one implementation:  IInternetPort& Port();
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <string>
#include <thread>

#include "platform/internet.h"
#include "support/one_request_server.h"

namespace internet_contract {

constexpr uint32_t SENTINEL_ERROR = 0xDEADBEEF;

// How a call that waited for the server ended, with the last error of its thread.
struct TWaitedCall {
  bool succeeded = false;
  uint32_t error = 0;
};

}  // namespace internet_contract

template <typename TTraits>
class InternetContract : public ::testing::Test {
 protected:
  TInternetRaw OpenAsyncSession() {
    return port.OpenSession("Quorvane", INTERNET_OPEN_TYPE_PRECONFIG, "", INTERNET_FLAG_ASYNC);
  }
  void Preset() { port.SetLastErrorCode(internet_contract::SENTINEL_ERROR); }

  TTraits traits;
  IInternetPort& port = traits.Port();
};

TYPED_TEST_SUITE_P(InternetContract);

TYPED_TEST_P(InternetContract, ContentLengthIsTheAnnouncedOne) {
  IInternetPort& port = this->port;
  struct TCase {
    const char* name;
    std::string answer;
    bool announced;
    uint64_t length;
  };
  const TCase cases[] = {
      {"announced", HttpAnswer("200 OK", "eleven byte", 11), true, 11},
      {"none announced", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nuntil the end", false, 0},
  };
  for (const TCase& c : cases) {
    TOneRequestServer server(c.answer);
    TInternetHandle session(port, this->OpenAsyncSession());
    ASSERT_TRUE(session) << c.name;
    TInternetHandle request(port, port.OpenUrl(session.Get(), server.Url(), "", 0));
    ASSERT_TRUE(request) << c.name << ": error " << port.LastError();
    uint64_t length = 77;
    this->Preset();
    EXPECT_EQ(port.QueryContentLength(request.Get(), length), c.announced) << c.name;
    if (c.announced) {
      EXPECT_EQ(length, c.length) << c.name;
    } else {
      EXPECT_EQ(port.LastError(), ERROR_HTTP_HEADER_NOT_FOUND) << c.name;
    }
  }
}

TYPED_TEST_P(InternetContract, CancelSessionEndsAWaitForTheServer) {
  using namespace std::chrono;
  IInternetPort& port = this->port;
  for (const TNamedAnswer& c : StallingAnswers()) {
    TOneRequestServer server(c.response, true);
    TInternetRaw session = this->OpenAsyncSession();
    ASSERT_NE(session, nullptr) << c.name;
    TInternetRaw request = nullptr;
    // Opens the URL and reads until a call fails, on a thread of its own.
    std::future<internet_contract::TWaitedCall> waiting = std::async(std::launch::async, [&] {
      internet_contract::TWaitedCall call;
      request = port.OpenUrl(session, server.Url(), "", 0);
      if (request != nullptr) {
        char buffer[64 * 1024];
        uint32_t read = 0;
        while ((call.succeeded = port.Read(request, buffer, sizeof(buffer), read)) && read > 0) {
        }
      }
      call.error = port.LastError();
      return call;
    });
    const auto start = steady_clock::now();
    while (!server.requested && steady_clock::now() - start < 10s) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(server.requested) << c.name;
    std::this_thread::sleep_for(300ms);  // the call is waiting now
    const auto cancelled = steady_clock::now();
    port.CancelSession(session);
    ASSERT_EQ(waiting.wait_for(10s), std::future_status::ready) << c.name << ": the wait did not end";
    EXPECT_LT(steady_clock::now() - cancelled, 5s) << c.name;
    const internet_contract::TWaitedCall call = waiting.get();
    EXPECT_FALSE(call.succeeded) << c.name;
    EXPECT_EQ(call.error, ERROR_INTERNET_OPERATION_CANCELLED) << c.name;
    EXPECT_EQ(request != nullptr, !c.response.empty()) << c.name;

    // Later calls fail the same way at once; the handles still close.
    this->Preset();
    if (request != nullptr) {
      char buffer[16];
      uint32_t read = 1;
      EXPECT_FALSE(port.Read(request, buffer, sizeof(buffer), read)) << c.name;
      EXPECT_EQ(read, 0u) << c.name;
    } else {
      EXPECT_EQ(port.OpenUrl(session, server.Url(), "", 0), nullptr) << c.name;
    }
    EXPECT_EQ(port.LastError(), ERROR_INTERNET_OPERATION_CANCELLED) << c.name;
    if (request != nullptr) {
      EXPECT_TRUE(port.Close(request)) << c.name;
    }
    EXPECT_TRUE(port.Close(session)) << c.name;
  }
}

REGISTER_TYPED_TEST_SUITE_P(InternetContract, ContentLengthIsTheAnnouncedOne, CancelSessionEndsAWaitForTheServer);
