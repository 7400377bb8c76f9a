#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tarnwick {

// Decodes raw LZMA (the five property bytes, then the data) into an output
// buffer of the known unpacked size while the input still arrives: the input
// is one buffer that fills from its start, and each call decodes what was
// added since the last. The output buffer is the decoder's whole dictionary,
// so it allocates only its probability table.
class LzmaStreamDecoder {
public:
    LzmaStreamDecoder(std::uint8_t* destination, std::size_t destinationLength);
    LzmaStreamDecoder(const LzmaStreamDecoder&) = delete;
    LzmaStreamDecoder& operator=(const LzmaStreamDecoder&) = delete;
    ~LzmaStreamDecoder();

    // Decodes source[used .. received), where used is what earlier calls
    // took. False once the stream is known to be bad; it stays bad.
    [[nodiscard]] bool decodeReceived(const std::uint8_t* source, std::size_t received);
    // With the whole input: true only when every byte of it was used and
    // exactly destinationLength bytes came out.
    [[nodiscard]] bool finish(const std::uint8_t* source, std::size_t length);

    // Input bytes taken so far, the property bytes included.
    std::size_t used() const { return used_; }

private:
    // The decoder library's state, kept out of the callers' sight.
    struct State;

    bool start(const std::uint8_t* properties);
    bool decode(const std::uint8_t* source, std::size_t length, bool atEnd);

    std::uint8_t* destination_;
    std::size_t destinationLength_;
    std::unique_ptr<State> state_;
    bool started_ = false;
    bool failed_ = false;
    std::size_t used_ = 0;
};

}  // namespace tarnwick
