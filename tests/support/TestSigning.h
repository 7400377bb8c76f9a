#pragma once

#include <cstdint>
#include <vector>

#include "installer/package/PackageSignature.h"
#include "tools/tarnwick-pack/PackageBuilder.h"

namespace tarnwick::test {

// P-256 key pairs for tests only: their private halves are published right
// here, so nothing may ever be signed with them for real.
struct TestKeyPair {
    const char* privatePem;  // "EC PRIVATE KEY", as openssl ecparam -genkey writes it
    const char* publicPem;
};
extern const TestKeyPair kPublisherTestKey;
extern const TestKeyPair kOtherTestKey;

PublisherKey publisherKeyOf(const TestKeyPair& pair);
// OpenSSL natively, CNG on Windows, so that both builds sign their own
// packages.
pack::Signer signerOf(const TestKeyPair& pair);

inline std::vector<std::uint8_t> signedWith(const std::vector<std::uint8_t>& resource,
                                            const TestKeyPair& pair) {
    return pack::signResource(resource, signerOf(pair));
}

}  // namespace tarnwick::test
