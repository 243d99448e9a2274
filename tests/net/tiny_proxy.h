// A tinyproxy of the test's own on a loopback port, with its own configuration file and
// log, optionally requiring Basic proxy credentials. Stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

class TTinyProxy {
 public:
  // Starts tinyproxy; Port() is 0 when it could not be started.
  TTinyProxy(const std::string& folder, const std::string& user = "", const std::string& password = "");
  ~TTinyProxy();
  TTinyProxy(const TTinyProxy&) = delete;
  TTinyProxy& operator=(const TTinyProxy&) = delete;

  int Port() const { return m_port; }
  // What tinyproxy has logged so far (one line per request it forwarded).
  std::string Log() const;

 private:
  std::string m_logFile;
  pid_t m_pid = -1;
  int m_port = 0;
};
