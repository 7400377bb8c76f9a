#pragma once

#include <string_view>

#include "tools/tarnwick-pack/PackageBuilder.h"

namespace tarnwick::pack {

// A signer for a P-256 private key in any PEM form that openssl writes
// ("EC PRIVATE KEY" or "PRIVATE KEY"), through OpenSSL; natively only.
// Throws std::runtime_error, saying why, for text that holds no such key.
Signer pemSigner(std::string_view privateKeyPem);

}  // namespace tarnwick::pack
