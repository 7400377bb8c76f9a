#pragma once

#include <utility>

namespace tarnwick::platform {

// Holds one COM reference and releases it on scope exit. put() releases what
// was held before handing out the slot, so an out-parameter never leaks.
template <class Interface>
class ComReference {
public:
    ComReference() = default;
    ComReference(ComReference&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComReference& operator=(ComReference&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ComReference(const ComReference&) = delete;
    ComReference& operator=(const ComReference&) = delete;
    ~ComReference() { reset(); }

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    Interface** put() {
        reset();
        return &pointer_;
    }
    // For CoCreateInstance and QueryInterface, which take the slot untyped.
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    void reset() {
        if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
    }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace tarnwick::platform
