// A stand-in for the engine library that records what is done to it, for
// what the real engine cannot show: a failing CreateObject, and whether every
// object was released before the module went away.
//
// PAKLOOM_FAKE_ENGINE_MODE: "create-fails", "open-fails" or "succeeds"; or
// one item, which Extract asks the callback to place: its path property
// fails ("path-fails"), is empty ("path-empty") or is a number
// ("path-number"); or its path is "item.txt" and its folder flag fails
// ("flag-fails") or is a number ("flag-number"), or it is a file for which
// no stream slot is passed ("no-slot").
// Or how GetModuleProp describes the module: "layout-destructor" (interface
// type 1), "layout-22" (no interface type, version 22.01) or "layout-23" (no
// interface type, version 23.01); otherwise type 0 and version 26.00.
// PAKLOOM_FAKE_ENGINE_EVENTS: a file that each event is appended to, one a line.
#include <cstring>
#include <string>

#include "extract/SevenZip/EngineInterfaces.h"
#include "tests/support/fake-engine/EngineString.h"
#include "tests/support/fake-engine/FakeEngineEvents.h"

using namespace SevenZip;

namespace {

// Keeps references to what Open is given, as the engine does, and gives
// them back when it goes: what they then count tells whether the caller
// had already let go of its own.
class FakeArchive final : public IInArchive {
public:
    Result PAKLOOM_ENGINE_CALL QueryInterface(const Guid&, void**) override { return kNoInterface; }
    std::uint32_t PAKLOOM_ENGINE_CALL AddRef() override { return ++references_; }
    std::uint32_t PAKLOOM_ENGINE_CALL Release() override {
        if (--references_ != 0) return references_;
        Record("archive destroyed");
        if (stream_) Record("stream left " + Number(stream_->Release()));
        if (openCallback_) Record("open callback left " + Number(openCallback_->Release()));
        delete this;
        return 0;
    }
    Result PAKLOOM_ENGINE_CALL Open(IInStream* stream, const std::uint64_t*,
                                    IArchiveOpenCallback* openCallback) override {
        Record("open");
        stream_ = stream;
        stream_->AddRef();
        openCallback_ = openCallback;
        openCallback_->AddRef();
        return Mode() == "open-fails" ? kFalse : kOk;
    }
    Result PAKLOOM_ENGINE_CALL Close() override { return kOk; }
    Result PAKLOOM_ENGINE_CALL GetNumberOfItems(std::uint32_t* count) override {
        *count = 0;
        return kOk;
    }
    // The one item's path and folder flag, as the mode says: failing, empty
    // (the value stays as given, zeroed), a number (type 19, u32) or, for the
    // path, a string.
    Result PAKLOOM_ENGINE_CALL GetProperty(std::uint32_t, std::uint32_t property, void* value) override {
        const std::string mode = Mode();
        const bool asked =
            property == kPropertyPath ? mode.rfind("path-", 0) == 0 : mode.rfind("flag-", 0) == 0;
        if (property == kPropertyPath && !asked) {
            SetEngineString(value, L"item.txt");
        } else if (asked && mode.find("-fails") != std::string::npos) {
            return kFail;
        } else if (asked && mode.find("-number") != std::string::npos) {
            const std::uint16_t type = 19;
            std::memcpy(value, &type, sizeof type);
        }
        return kOk;
    }
    Result PAKLOOM_ENGINE_CALL Extract(const std::uint32_t*, std::uint32_t, std::int32_t,
                                       IArchiveExtractCallback* callback) override {
        Record("extract");
        const std::string mode = Mode();
        if (mode == "no-slot") return callback->GetStream(0, nullptr, 0);
        if (mode.rfind("path-", 0) != 0 && mode.rfind("flag-", 0) != 0) return kOk;
        ISequentialOutStream* stream = nullptr;
        return callback->GetStream(0, &stream, 0);
    }

private:
    ~FakeArchive() = default;

    std::uint32_t references_ = 0;
    IInStream* stream_ = nullptr;
    IArchiveOpenCallback* openCallback_ = nullptr;
};

}  // namespace

// Every function of this module is exported, the entry point with it.
extern "C" Result PAKLOOM_ENGINE_CALL CreateObject(const Guid* classId, const Guid* interfaceId,
                                                   void** object) {
    Record(*classId == kSevenZipFormatId && *interfaceId == kIInArchiveId ? "create 7z archive"
                                                                          : "create other");
    auto* archive = new FakeArchive;
    archive->AddRef();
    *object = static_cast<IInArchive*>(archive);
    // A failing engine may still hand out an object; its caller releases it.
    return Mode() == "create-fails" ? kFail : kOk;
}

// The module's properties, as 7-Zip from 23 on reports them.
extern "C" Result PAKLOOM_ENGINE_CALL GetModuleProp(std::uint32_t property, void* value) {
    const std::string mode = Mode();
    const bool typed = mode != "layout-22" && mode != "layout-23";
    std::uint32_t answer;
    if (property == 0 && typed) {
        answer = mode == "layout-destructor" ? 1 : 0;
    } else if (property == 1) {
        answer = mode == "layout-22" ? 0x160001 : mode == "layout-23" ? 0x170001 : 0x1A0000;
    } else {
        return kOk;  // the value stays empty
    }
    const std::uint16_t type = 19;
    std::memcpy(value, &type, sizeof type);
    std::memcpy(static_cast<char*>(value) + 8, &answer, sizeof answer);
    return kOk;
}
