// Checks of the internet port's URL requests on asynchronous sessions, written once
// for every implementation (libcurl natively, WinInet under Wine): the announced
// length, and CancelSession ending a wait for an answer that does not come.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "platform/internet.h"
#include "support/one_request_server.h"

namespace internet_port_checks {

constexpr uint32_t DUMMY_ERROR = 0xdead;

inline TInternetRaw OpenAsyncSession(IInternetPort& internet) {
  return internet.OpenSession("Quorvane", INTERNET_OPEN_TYPE_PRECONFIG, "", INTERNET_FLAG_ASYNC);
}

inline void CheckContentLength(IInternetPort& internet) {
  struct TCase {
    const char* name;
    std::string answer;
    bool announced;
    std::string length;
  };
  const TCase cases[] = {
      {"announced", HttpAnswer("200 OK", "eleven byte", 11), true, "11"},
      {"none announced", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nuntil the end", false, ""},
  };
  for (const TCase& c : cases) {
    TOneRequestServer server(c.answer);
    TInternetHandle session(internet, OpenAsyncSession(internet));
    ASSERT_TRUE(session) << c.name;
    TInternetHandle request(internet, internet.OpenUrl(session.Get(), server.Url(), "", 0));
    ASSERT_TRUE(request) << c.name << ": error " << internet.LastError();
    std::string text = "unchanged";
    internet.SetLastErrorCode(DUMMY_ERROR);
    EXPECT_EQ(internet.QueryContentLength(request.Get(), text), c.announced) << c.name;
    if (c.announced) {
      EXPECT_EQ(text, c.length) << c.name;
    } else {
      EXPECT_EQ(internet.LastError(), ERROR_HTTP_HEADER_NOT_FOUND) << c.name;
    }
  }
}

// How a call that waited for the server ended, with the last error of its thread.
struct TWaitedCall {
  bool succeeded = false;
  uint32_t error = 0;
};

inline void CheckCancelEndsTheWait(IInternetPort& internet) {
  using namespace std::chrono;
  struct TCase {
    const char* name;
    std::string answer;  // sent before the server stalls
  };
  const TCase cases[] = {
      {"waiting for the answer", ""},
      {"waiting for the rest of the body", HttpAnswer("200 OK", std::string(10, 'x'), 100000)},
  };
  for (const TCase& c : cases) {
    TOneRequestServer server(c.answer, true);
    TInternetRaw session = OpenAsyncSession(internet);
    ASSERT_NE(session, nullptr) << c.name;
    TInternetRaw request = nullptr;
    // Opens the URL and reads until a call fails, on a thread of its own.
    std::future<TWaitedCall> waiting = std::async(std::launch::async, [&] {
      TWaitedCall call;
      request = internet.OpenUrl(session, server.Url(), "", 0);
      if (request != nullptr) {
        char buffer[64 * 1024];
        uint32_t read = 0;
        while ((call.succeeded = internet.Read(request, buffer, sizeof(buffer), read)) && read > 0) {
        }
      }
      call.error = internet.LastError();
      return call;
    });
    const auto start = steady_clock::now();
    while (!server.requested && steady_clock::now() - start < 10s) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(server.requested) << c.name;
    std::this_thread::sleep_for(300ms);  // the call is waiting now
    const auto cancelled = steady_clock::now();
    internet.CancelSession(session);
    ASSERT_EQ(waiting.wait_for(10s), std::future_status::ready) << c.name << ": the wait did not end";
    EXPECT_LT(steady_clock::now() - cancelled, 5s) << c.name;
    const TWaitedCall call = waiting.get();
    EXPECT_FALSE(call.succeeded) << c.name;
    EXPECT_EQ(call.error, ERROR_INTERNET_OPERATION_CANCELLED) << c.name;
    EXPECT_EQ(request != nullptr, !c.answer.empty()) << c.name;

    // Later calls fail the same way at once; the handles still close.
    internet.SetLastErrorCode(DUMMY_ERROR);
    if (request != nullptr) {
      char buffer[16];
      uint32_t read = 1;
      EXPECT_FALSE(internet.Read(request, buffer, sizeof(buffer), read)) << c.name;
      EXPECT_EQ(read, 0u) << c.name;
    } else {
      EXPECT_EQ(internet.OpenUrl(session, server.Url(), "", 0), nullptr) << c.name;
    }
    EXPECT_EQ(internet.LastError(), ERROR_INTERNET_OPERATION_CANCELLED) << c.name;
    if (request != nullptr) {
      EXPECT_TRUE(internet.Close(request)) << c.name;
    }
    EXPECT_TRUE(internet.Close(session)) << c.name;
  }
}

}  // namespace internet_port_checks
