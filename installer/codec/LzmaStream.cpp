#include "installer/codec/LzmaStream.h"

#include <cstdlib>

extern "C" {
#include "LzmaDec.h"
}

namespace tarnwick {

namespace {

constexpr std::size_t kPropertiesLength = LZMA_PROPS_SIZE;
// lc + 9 * (lp + 5 * pb) with lc < 9, lp < 5, pb < 5.
constexpr std::uint8_t kFirstInvalidProperties = 9 * 5 * 5;

void* allocate(void*, std::size_t size) {
    return std::malloc(size);
}
void release(void*, void* address) {
    std::free(address);
}

}  // namespace

struct LzmaStreamDecoder::State {
    ISzAlloc heap = {allocate, release};
    CLzmaDec decoder;
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
};

LzmaStreamDecoder::LzmaStreamDecoder(std::uint8_t* destination, std::size_t destinationLength)
    : destination_(destination), destinationLength_(destinationLength), state_(std::make_unique<State>()) {
    LzmaDec_Construct(&state_->decoder);
}

LzmaStreamDecoder::~LzmaStreamDecoder() {
    LzmaDec_FreeProbs(&state_->decoder, &state_->heap);
}

bool LzmaStreamDecoder::start(const std::uint8_t* properties) {
    if (properties[0] >= kFirstInvalidProperties) return false;
    CLzmaDec& decoder = state_->decoder;
    if (LzmaDec_AllocateProbs(&decoder, properties, kPropertiesLength, &state_->heap) != SZ_OK) return false;
    decoder.dic = destination_;
    decoder.dicBufSize = destinationLength_;
    LzmaDec_Init(&decoder);
    started_ = true;
    used_ = kPropertiesLength;
    return true;
}

bool LzmaStreamDecoder::decode(const std::uint8_t* source, std::size_t length, bool atEnd) {
    SizeT consumed = length - used_;
    // Finishing at the end lets the decoder take an end marker after the
    // last byte, as encoders that do not know the size write one.
    const SRes result = LzmaDec_DecodeToDic(&state_->decoder, destinationLength_, source + used_, &consumed,
                                            atEnd ? LZMA_FINISH_END : LZMA_FINISH_ANY, &state_->status);
    used_ += consumed;
    return result == SZ_OK;
}

bool LzmaStreamDecoder::decodeReceived(const std::uint8_t* source, std::size_t received) {
    if (failed_) return false;
    if (!started_ && received >= kPropertiesLength && !start(source)) failed_ = true;
    if (started_ && !failed_ && received > used_ && !decode(source, received, false)) failed_ = true;
    return !failed_;
}

bool LzmaStreamDecoder::finish(const std::uint8_t* source, std::size_t length) {
    if (length < kPropertiesLength || !decodeReceived(source, length)) return false;
    if (!decode(source, length, true) || state_->status == LZMA_STATUS_NEEDS_MORE_INPUT) {
        failed_ = true;
        return false;
    }
    return used_ == length && state_->decoder.dicPos == destinationLength_;
}

}  // namespace tarnwick
