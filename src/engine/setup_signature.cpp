#include "engine/setup_signature.h"

bool SignedLikeProgram(IFileSignature& signatures, const std::string& file, const std::string& program) {
  const TFileSignature own = signatures.Read(program);
  if (own.trust != QV_TRUST_VERIFIED || own.signerKey.empty()) return false;
  const TFileSignature other = signatures.Read(file);
  return other.trust == QV_TRUST_VERIFIED && other.signerKey == own.signerKey;
}
