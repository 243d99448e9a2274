// The rule for a program the elevated program starts: its Authenticode signature is
// trusted, and its signer holds the same public key as the running program's signer.
#pragma once

#include <string>

#include "platform/file_signature.h"

bool SignedLikeProgram(IFileSignature& signatures, const std::string& file, const std::string& program);
