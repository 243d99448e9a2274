// The service over TLS with a self-signed certificate made here: scans are answered and
// the download links name https; a missing certificate is a clear error.
#include <gtest/gtest.h>
#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "catalog.h"
#include "demo_packages.h"
#include "driver_service.h"
#include "http_server.h"
#include "package_import.h"
#include "scratch_folder.h"

using namespace qvserver;

namespace {

struct FreeKey {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct FreeCertificate {
  void operator()(X509* certificate) const { X509_free(certificate); }
};
struct CloseFile {
  void operator()(FILE* file) const { std::fclose(file); }
};

// Writes a self-signed P-256 certificate for 127.0.0.1 and its key as PEM files.
void write_self_signed(const std::string& certificate_path, const std::string& key_path) {
  std::unique_ptr<EVP_PKEY, FreeKey> key(EVP_EC_gen("P-256"));
  ASSERT_TRUE(key);
  std::unique_ptr<X509, FreeCertificate> certificate(X509_new());
  ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -60);
  X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 3600);
  X509_set_pubkey(certificate.get(), key.get());
  X509_NAME* name = X509_get_subject_name(certificate.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(certificate.get(), name);
  ASSERT_GT(X509_sign(certificate.get(), key.get(), EVP_sha256()), 0);
  std::unique_ptr<FILE, CloseFile> certificate_file(std::fopen(certificate_path.c_str(), "wb"));
  std::unique_ptr<FILE, CloseFile> key_file(std::fopen(key_path.c_str(), "wb"));
  ASSERT_TRUE(certificate_file && key_file);
  ASSERT_EQ(PEM_write_X509(certificate_file.get(), certificate.get()), 1);
  ASSERT_EQ(PEM_write_PrivateKey(key_file.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr), 1);
}

}  // namespace

TEST(TlsServer, AnswersScansWithHttpsLinks) {
  ScratchFolder folder("qv-server-test");
  std::string certificate = (folder / "cert.pem").string();
  std::string key = (folder / "key.pem").string();
  write_self_signed(certificate, key);
  if (HasFatalFailure()) return;

  Catalog catalog((folder / "c.db").string());
  DemoDriver driver;
  driver.hardware_ids = {"PCI\\VEN_1&DEV_1"};
  {
    std::ofstream out(folder / "p.zip", std::ios::binary);
    out << demo_package_zip(driver);
  }
  import_package(catalog, folder / "store", folder / "p.zip");

  auto server = make_http_server(TlsFiles{certificate, key});
  ServiceOptions options;
  options.store_dir = folder / "store";
  options.link_scheme = "https";
  std::ostringstream log;
  DriverService service(catalog, LinkSigner("s", 60), options, log);
  service.install(*server);
  int port = server->bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  std::thread thread([&] { server->listen_after_bind(); });
  for (int i = 0; i < 500 && !server->is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));

  httplib::SSLClient client("127.0.0.1", port);
  client.set_ca_cert_path(certificate.c_str());
  client.enable_server_certificate_verification(true);
  quorvane::Drivers request;
  request.mutable_os()->set_version("10.0.0");
  request.mutable_os()->set_architecture("amd64");
  request.add_driver()->set_hardware_id("PCI\\VEN_1&DEV_1");
  auto result = client.Post("/newupdates/", request.SerializeAsString(), "application/x-protobuf");
  server->stop();
  thread.join();

  ASSERT_TRUE(result) << httplib::to_string(result.error());
  quorvane::Drivers answer;
  ASSERT_TRUE(answer.ParseFromString(result->body));
  ASSERT_EQ(answer.driver_size(), 1);
  EXPECT_TRUE(answer.driver(0).download_url().starts_with("https://127.0.0.1:" + std::to_string(port) + "/files/"));
}

TEST(TlsServer, MissingCertificateIsAClearError) {
  EXPECT_THROW(make_http_server(TlsFiles{"/nonexistent/cert.pem", "/nonexistent/key.pem"}), std::runtime_error);
}
