#include "net/tiny_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

const char* const TINYPROXY = "/usr/bin/tinyproxy";

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A loopback port that was free a moment ago.
int FreePort() {
  int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket < 0) return 0;
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof(address);
  int port = 0;
  if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(socket);
  return port;
}

bool Accepts(int port) {
  int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket < 0) return false;
  sockaddr_in address = Loopback(port);
  bool connected = connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  close(socket);
  return connected;
}

}  // namespace

TTinyProxy::TTinyProxy(const std::string& folder, const std::string& user, const std::string& password)
    : m_logFile(folder + "/tinyproxy.log") {
  if (access(TINYPROXY, X_OK) != 0) return;
  int port = FreePort();
  std::string configFile = folder + "/tinyproxy.conf";
  {
    std::ofstream config(configFile);
    config << "Port " << port << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 16\n"
           << "LogFile \"" << m_logFile << "\"\nLogLevel Connect\nAllow 127.0.0.1\nDisableViaHeader Yes\n";
    if (!user.empty()) config << "BasicAuth " << user << " " << password << "\n";
  }
  m_pid = fork();
  if (m_pid == 0) {
    execl(TINYPROXY, TINYPROXY, "-d", "-c", configFile.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (m_pid < 0) return;
  for (int i = 0; i < 250; ++i) {
    if (Accepts(port)) {
      m_port = port;
      return;
    }
    if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
      m_pid = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

TTinyProxy::~TTinyProxy() {
  if (m_pid <= 0) return;
  kill(m_pid, SIGTERM);
  waitpid(m_pid, nullptr, 0);
}

std::string TTinyProxy::Log() const {
  std::ifstream file(m_logFile);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
