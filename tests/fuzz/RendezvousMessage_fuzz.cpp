// Rendezvous messages as a server sends them: one after another over one
// connection, cut into pieces of any size, each read field by field as the
// exchange does.
#include <cstdint>

#include "installer/core/RendezvousMessage.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/MemoryConnection.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::prepareProcess();
    fuzz::InputReader input(data, size);
    const std::uint32_t piece = fuzz::pieceSize(input.byte());
    test::MemoryConnection connection(input.rest(), piece);
    RendezvousMessage message;
    try {
        for (;;) {
            receiveMessage([&](void* bytes, std::uint32_t count) { connection.receiveExactly(bytes, count); },
                           message);
            if (message.length > kMessageBodyCapacity)
                fuzz::fail("a message longer than its buffer was taken");
            for (std::uint32_t index = 0; index < 4; ++index) {
                try {
                    (void)message.word(index);
                } catch (FailureCode) {
                }
            }
            try {
                char text[256];
                message.shortString(text);
            } catch (FailureCode) {
            }
        }
    } catch (FailureCode) {
        // The peer closed, or a header was refused: either ends the stream.
    }
    return 0;
}
