#include "net/test_certificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>

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
using TKey = std::unique_ptr<EVP_PKEY, FreeKey>;
using TCertificate = std::unique_ptr<X509, FreeCertificate>;

bool AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (extension == nullptr) return false;
  bool added = X509_add_ext(certificate, extension, -1) == 1;
  X509_EXTENSION_free(extension);
  return added;
}

TCertificate MakeCertificate(const char* commonName, long serial, EVP_PKEY* key) {
  TCertificate certificate(X509_new());
  X509_set_version(certificate.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), serial);
  X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -60);
  X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 3600);
  X509_set_pubkey(certificate.get(), key);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate.get()), "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  return certificate;
}

bool WritePem(const std::string& path, X509* certificate, EVP_PKEY* key) {
  std::unique_ptr<FILE, CloseFile> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  if (certificate != nullptr) return PEM_write_X509(file.get(), certificate) == 1;
  return PEM_write_PrivateKey(file.get(), key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
}

}  // namespace

bool WriteTestCertificates(const std::string& folder, TTestCertificates& files) {
  TKey caKey(EVP_EC_gen("P-256"));
  TKey serverKey(EVP_EC_gen("P-256"));
  if (!caKey || !serverKey) return false;

  TCertificate ca = MakeCertificate("Quorvane Test CA", 1, caKey.get());
  X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get()));
  if (!AddExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE") ||
      !AddExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign") ||
      X509_sign(ca.get(), caKey.get(), EVP_sha256()) <= 0)
    return false;

  TCertificate server = MakeCertificate("127.0.0.1", 2, serverKey.get());
  X509_set_issuer_name(server.get(), X509_get_subject_name(ca.get()));
  if (!AddExtension(server.get(), ca.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost") ||
      X509_sign(server.get(), caKey.get(), EVP_sha256()) <= 0)
    return false;

  files.caFile = folder + "/ca.pem";
  files.certificateFile = folder + "/server.pem";
  files.keyFile = folder + "/server.key";
  return WritePem(files.caFile, ca.get(), nullptr) && WritePem(files.certificateFile, server.get(), nullptr) &&
         WritePem(files.keyFile, nullptr, serverKey.get());
}
