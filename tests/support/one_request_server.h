// One HTTP exchange on loopback, over Winsock or POSIX sockets: reads a request,
// answers with `response` as given, then closes. A stalling server keeps the
// connection open after its answer (which may be empty) until the server ends.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback_listener.h"

class TOneRequestServer {
 public:
  explicit TOneRequestServer(std::string response, bool stall = false)
      : m_response(std::move(response)), m_stall(stall) {
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    m_port = ListenOnLoopback(m_listener, 1);
    m_thread = std::thread([this] { Serve(); });
  }
  ~TOneRequestServer() {
    m_stop = true;
    m_thread.join();
    CloseSocket(m_listener);
  }
  TOneRequestServer(const TOneRequestServer&) = delete;
  TOneRequestServer& operator=(const TOneRequestServer&) = delete;

  int Port() const { return m_port; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/download/qvsetup.exe"; }
  std::atomic<bool> requested{false};

 private:
#ifdef _WIN32
  using TSocket = SOCKET;
  static constexpr TSocket NO_SOCKET = INVALID_SOCKET;
  static constexpr int SHUT_BOTH = SD_BOTH;
  static constexpr int SEND_FLAGS = 0;
  static void CloseSocket(TSocket s) { closesocket(s); }
  // Winsock is started for as long as the server lives.
  struct TSocketLibrary {
    TSocketLibrary() {
      WSADATA data;
      WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~TSocketLibrary() { WSACleanup(); }
  };
#else
  using TSocket = int;
  static constexpr TSocket NO_SOCKET = -1;
  static constexpr int SHUT_BOTH = SHUT_RDWR;
  static constexpr int SEND_FLAGS = MSG_NOSIGNAL;  // a client gone is not a signal
  static void CloseSocket(TSocket s) { close(s); }
  struct TSocketLibrary {};
#endif

  // Waits for a socket to be readable, giving up when the server ends.
  bool WaitReadable(TSocket s) {
    while (!m_stop) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(s, &set);
      timeval wait{0, 50000};
      if (select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &wait) > 0) return true;
    }
    return false;
  }
  void Serve() {
    if (!WaitReadable(m_listener)) return;
    TSocket client = accept(m_listener, nullptr, nullptr);
    if (client == NO_SOCKET) return;
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && WaitReadable(client)) {
      const int got = static_cast<int>(recv(client, buffer, sizeof(buffer), 0));
      if (got <= 0) break;
      request.append(buffer, got);
    }
    requested = true;
    size_t sent = 0;
    while (sent < m_response.size()) {
      const int done = static_cast<int>(
          send(client, m_response.data() + sent, static_cast<int>(m_response.size() - sent), SEND_FLAGS));
      if (done <= 0) break;
      sent += done;
    }
    while (m_stall && !m_stop) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    shutdown(client, SHUT_BOTH);
    CloseSocket(client);
  }

  TSocketLibrary m_library;
  std::string m_response;
  bool m_stall;
  TSocket m_listener = NO_SOCKET;
  int m_port = 0;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

// An HTTP/1.1 answer with a status line, a body and the length it announces.
inline std::string HttpAnswer(const char* status, const std::string& body, size_t announced) {
  return std::string("HTTP/1.1 ") + status + "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
         std::to_string(announced) + "\r\nConnection: close\r\n\r\n" + body;
}

// An answer a test serves, named for its messages.
struct TNamedAnswer {
  const char* name;
  std::string response;
};

// Answers a download counts as failed: an error page, a body cut off, no answer at all.
inline std::vector<TNamedAnswer> FailingAnswers() {
  const std::string page = "<html>Not Found</html>";
  return {
      {"error status", HttpAnswer("404 Not Found", page, page.size())},
      {"cut off", HttpAnswer("200 OK", std::string(500, 'x'), 1000)},
      {"closed without an answer", ""},
  };
}

// What a stalling server sends before it stalls: nothing, or the start of a long body.
inline std::vector<TNamedAnswer> StallingAnswers() {
  return {
      {"waiting for the answer", ""},
      {"waiting for the rest of the body", HttpAnswer("200 OK", std::string(10, 'x'), 100000)},
  };
}
