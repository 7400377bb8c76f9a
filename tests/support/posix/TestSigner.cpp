#include "tests/support/TestSigning.h"
#include "tools/tarnwick-pack/PemSigner.h"

namespace tarnwick::test {

pack::Signer signerOf(const TestKeyPair& pair) {
    return pack::pemSigner(pair.privatePem);
}

}  // namespace tarnwick::test
