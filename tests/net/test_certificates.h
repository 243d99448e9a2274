// A test certificate authority and a server certificate for 127.0.0.1 signed by it,
// written as PEM files.
#pragma once

#include <string>

struct TTestCertificates {
  std::string caFile;           // the authority's certificate, for the client to trust
  std::string certificateFile;  // the server's certificate
  std::string keyFile;          // the server's private key
};

// Writes the three files into folder; false when OpenSSL fails.
bool WriteTestCertificates(const std::string& folder, TTestCertificates& files);
