#include "tools/tarnwick-rendezvous/Exchange.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "installer/core/ByteOrder.h"
#include "installer/core/KeyedTransform.h"

namespace tarnwick::rendezvous {

namespace {

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// count copies of message, made by doubling: a scenario may ask for a
// million, and the event loop must not stall while they are made.
std::vector<std::uint8_t> repeated(const std::vector<std::uint8_t>& message, std::size_t count) {
    std::vector<std::uint8_t> bytes(message.size() * count);
    if (bytes.empty()) return bytes;
    std::memcpy(bytes.data(), message.data(), message.size());
    for (std::size_t filled = message.size(); filled < bytes.size(); filled *= 2)
        std::memcpy(bytes.data() + filled, bytes.data(), std::min(filled, bytes.size() - filled));
    return bytes;
}

void append(std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& message) {
    bytes.insert(bytes.end(), message.begin(), message.end());
}

}  // namespace

Exchange::Exchange(const Scenario& scenario, std::string peer, std::mt19937& serverChallenges)
    : scenario_(scenario), serverChallenges_(serverChallenges), line_(scenario.address + " " + peer) {}

Exchange::Answer Exchange::take(const RendezvousMessage& message) {
    if (!helloTaken_) {
        helloTaken_ = true;
        return answerHello(message);
    }
    return answerResponse(message);
}

Exchange::Answer Exchange::answerHello(const RendezvousMessage& hello) {
    using Hello = Scenario::HelloReply;
    Answer answer{{}, Then::kClose};
    if (hello.type != kMsgHello || hello.length != 12 || hello.word(0) != kHelloWord0 ||
        hello.word(1) != kHelloWord1) {
        line_ += " bad-hello type=" + std::to_string(hello.type) + " length=" + std::to_string(hello.length);
        return answer;
    }
    const std::uint32_t challenge = hello.word(2);
    const std::uint32_t proof = keyedTransform(challenge);
    line_ += " hello challenge=" + hex(challenge);

    answer.bytes = repeated(encodeMessage(kMsgSkip, {}), static_cast<std::size_t>(scenario_.skips));
    if (scenario_.skips) line_ += " skip=" + std::to_string(scenario_.skips);

    switch (scenario_.helloReply) {
        case Hello::kRedirect:
            append(answer.bytes,
                   encodeMessage(kMsgRedirect, {scenario_.wrongRedirectProof ? proof + 1 : proof,
                                                parseIpv4(scenario_.redirectTo)}));
            line_ += " redirect=" + scenario_.redirectTo;
            if (scenario_.wrongRedirectProof) line_ += " proof=wrong";
            return answer;
        case Hello::kServiceUnavailable:
            append(answer.bytes, encodeMessage(kMsgServiceUnavailable, {}));
            line_ += " reply=54";
            return answer;
        case Hello::kOther:
            append(answer.bytes, encodeMessage(scenario_.helloReplyType, {}));
            line_ += " reply=" + std::to_string(scenario_.helloReplyType);
            return answer;
        case Hello::kOversized: {
            // A header announcing more body than an installer holds, and
            // that much body.
            std::vector<std::uint8_t> message = encodeMessage(kMsgChallenge, {});
            storeBigEndian32(message.data() + 4, kMessageBodyCapacity + 1);
            message.resize(message.size() + kMessageBodyCapacity + 1, 0xEE);
            append(answer.bytes, message);
            line_ += " reply=84 length=" + std::to_string(kMessageBodyCapacity + 1);
            return answer;
        }
        case Hello::kShortBody:
            append(answer.bytes, encodeMessage(kMsgChallenge, {0, scenario_.version}));
            line_ += " reply=84 length=8";
            return answer;
        case Hello::kSilent:
            line_ += " silent";
            answer.then = Then::kAwaitClose;
            return answer;
        case Hello::kChallenge:
            break;
    }

    serverChallenge_ = static_cast<std::uint32_t>(serverChallenges_());
    append(answer.bytes, encodeMessage(kMsgChallenge, {0, scenario_.version,
                                                       scenario_.wrongChallengeProof ? proof + 1 : proof,
                                                       serverChallenge_}));
    line_ += " challenge=" + hex(serverChallenge_);
    if (scenario_.wrongChallengeProof) line_ += " proof=wrong";
    answer.then = Then::kReceive;
    return answer;
}

Exchange::Answer Exchange::answerResponse(const RendezvousMessage& response) {
    using Final = Scenario::FinalReply;
    Answer answer{{}, Then::kClose};
    if (response.type != kMsgResponse || response.length != 4 ||
        response.word(0) != keyedTransform(serverChallenge_)) {
        line_ += " response=wrong";
        return answer;
    }
    line_ += " response=ok";

    switch (scenario_.finalReply) {
        case Final::kOffer:
            answer.bytes = encodeShortStringMessage(kMsgUpdateOffer, scenario_.url.c_str());
            line_ += " offer=" + scenario_.url + " version=" + std::to_string(scenario_.version);
            break;
        case Final::kEmptyOffer:
            answer.bytes = encodeShortStringMessage(kMsgUpdateOffer, "");
            line_ += " offer=(empty)";
            break;
        case Final::kAutoUpdateProblem:
            answer.bytes = encodeMessage(kMsgAutoUpdateProblem, {});
            line_ += " reply=124";
            break;
        case Final::kNoUpdate:
            answer.bytes = encodeMessage(kMsgNoUpdate, {});
            line_ += " reply=58";
            break;
        case Final::kOther:
            answer.bytes = encodeMessage(scenario_.finalReplyType, {});
            line_ += " reply=" + std::to_string(scenario_.finalReplyType);
            break;
    }
    return answer;
}

}  // namespace tarnwick::rendezvous
