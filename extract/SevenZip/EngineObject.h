#pragma once

#include <atomic>
#include <cstdint>

#include "extract/SevenZip/EngineInterfaces.h"

namespace SevenZip {

// The identifier QueryInterface answers for each interface our objects
// implement; one that is not listed here fails to link.
template <class Interface>
extern const Guid kIdOf;
template <>
inline constexpr Guid kIdOf<IInStream> = kIInStreamId;
template <>
inline constexpr Guid kIdOf<IStreamGetSize> = kIStreamGetSizeId;
template <>
inline constexpr Guid kIdOf<ISequentialOutStream> = kISequentialOutStreamId;
template <>
inline constexpr Guid kIdOf<IArchiveOpenCallback> = kIArchiveOpenCallbackId;
template <>
inline constexpr Guid kIdOf<IArchiveExtractCallback> = kIArchiveExtractCallbackId;
template <>
inline constexpr Guid kIdOf<ICryptoGetTextPassword> = kICryptoGetTextPasswordId;

// The IUnknown part of an object handed to the engine, shared by all of
// them. Derived implements First and Others. QueryInterface answers exactly
// those interfaces (not their bases), First for IUnknown as well, and takes
// a reference with each answer; for any other identifier it leaves the
// out-pointer alone. The count starts at 0 and the creator takes the first
// reference; it is atomic, because the engine may release on its own
// threads. The last Release deletes the object, so Derived keeps its
// destructor private and names this class its friend.
template <class Derived, class First, class... Others>
class EngineObject : public First, public Others... {
public:
    Result PAKLOOM_ENGINE_CALL QueryInterface(const Guid& iid, void** object) override {
        if (iid == kIUnknownId) {
            *object = static_cast<First*>(this);
        } else if (!(answer<First>(iid, object) || ... || answer<Others>(iid, object))) {
            return kNoInterface;
        }
        AddRef();
        return kOk;
    }
    std::uint32_t PAKLOOM_ENGINE_CALL AddRef() override { return static_cast<std::uint32_t>(++references_); }
    std::uint32_t PAKLOOM_ENGINE_CALL Release() override {
        const auto left = static_cast<std::uint32_t>(--references_);
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }

protected:
    EngineObject() = default;
    ~EngineObject() = default;

private:
    template <class Interface>
    bool answer(const Guid& iid, void** object) {
        if (!(iid == kIdOf<Interface>)) return false;
        *object = static_cast<Interface*>(this);
        return true;
    }

    std::atomic<std::int32_t> references_{0};
};

}  // namespace SevenZip
