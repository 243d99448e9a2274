// A hostile driver server on loopback for the exchange's fault tables: it takes one
// request and answers as its script says (pieces with pauses between them, an endless
// or huge fill made on the fly, a stall), counting what the client took. POSIX sockets.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback_listener.h"

struct THostileScript {
  // Sent one after another, each after `pause`.
  std::vector<std::string> pieces;
  std::chrono::milliseconds pause{0};
  // Then this many filler bytes, in 64 KiB blocks made as they go (SIZE_MAX: endless).
  size_t fill = 0;
  // Then the connection stays open, silent, until the server ends.
  bool stall = false;
};

class THostileServer {
 public:
  explicit THostileServer(THostileScript script) : m_script(std::move(script)) {
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    m_port = ListenOnLoopback(m_listener, 4);
    m_thread = std::thread([this] { Serve(); });
  }
  ~THostileServer() {
    m_stop = true;
    m_thread.join();
    close(m_listener);
  }
  THostileServer(const THostileServer&) = delete;
  THostileServer& operator=(const THostileServer&) = delete;

  int Port() const { return m_port; }
  // Bytes the client accepted.
  size_t Sent() const { return m_sent; }
  // Whether the client hung up before the script ended, given the server a moment to find out.
  bool WaitForCutOff() const {
    for (int i = 0; i < 200 && !m_cutOff; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return m_cutOff;
  }

 private:
  bool WaitReadable(int s) {
    while (!m_stop) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(s, &set);
      timeval wait{0, 20000};
      if (select(s + 1, &set, nullptr, nullptr, &wait) > 0) return true;
    }
    return false;
  }
  // False when the client hung up, or the server ends while the client takes nothing.
  bool Send(int client, const char* data, size_t size) {
    while (size > 0) {
      const ssize_t done = send(client, data, size, MSG_NOSIGNAL);
      if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (m_stop) return false;
        continue;
      }
      if (done <= 0) {
        m_cutOff = true;
        return false;
      }
      m_sent += static_cast<size_t>(done);
      data += done;
      size -= static_cast<size_t>(done);
    }
    return true;
  }
  void Pause() {
    const auto until = std::chrono::steady_clock::now() + m_script.pause;
    while (!m_stop && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // Reads the request head and as much of its body as Content-Length announces.
  void ReadRequest(int client) {
    std::string request;
    char buffer[4096];
    size_t wanted = std::string::npos;
    while (WaitReadable(client)) {
      const ssize_t got = recv(client, buffer, sizeof(buffer), 0);
      if (got <= 0) return;
      request.append(buffer, static_cast<size_t>(got));
      const size_t head = request.find("\r\n\r\n");
      if (head == std::string::npos) continue;
      if (wanted == std::string::npos) {
        const size_t at = request.find("Content-Length: ");
        wanted = head + 4 + (at != std::string::npos && at < head ? std::stoul(request.substr(at + 16)) : 0);
      }
      if (request.size() >= wanted) return;
    }
  }
  void Serve() {
    if (!WaitReadable(m_listener)) return;
    const int client = accept(m_listener, nullptr, nullptr);
    if (client < 0) return;
    timeval sendWait{0, 100000};  // a blocked send looks at m_stop this often
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &sendWait, sizeof(sendWait));
    ReadRequest(client);
    bool whole = true;
    for (size_t i = 0; whole && i < m_script.pieces.size(); ++i) {
      if (i > 0) Pause();
      whole = Send(client, m_script.pieces[i].data(), m_script.pieces[i].size());
    }
    const std::string block(64 * 1024, 'x');
    for (size_t left = m_script.fill; whole && left > 0;) {
      const size_t size = std::min(left, block.size());
      whole = Send(client, block.data(), size);
      left -= size;
    }
    while (whole && m_script.stall && !m_stop) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    shutdown(client, SHUT_RDWR);
    close(client);
  }

  THostileScript m_script;
  int m_listener = -1;
  int m_port = 0;
  std::atomic<bool> m_stop{false};
  std::atomic<size_t> m_sent{0};
  std::atomic<bool> m_cutOff{false};
  std::thread m_thread;
};

// An HTTP/1.1 head with a status, a content type and, when given, the length it announces.
inline std::string HostileHead(const char* status, const char* contentType, long announced) {
  std::string head = std::string("HTTP/1.1 ") + status + "\r\nContent-Type: " + contentType + "\r\n";
  if (announced >= 0) head += "Content-Length: " + std::to_string(announced) + "\r\n";
  return head + "Connection: close\r\n\r\n";
}
