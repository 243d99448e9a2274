// A TCP listener on a free loopback port, for the test servers: Winsock or POSIX
// sockets, whichever the including server uses.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

// Binds `listener` to 127.0.0.1 on a port the system picks, starts listening and
// returns the port.
template <typename TSocket>
int ListenOnLoopback(TSocket listener, int backlog) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  socklen_t length = sizeof(address);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  listen(listener, backlog);
  return ntohs(address.sin_port);
}
