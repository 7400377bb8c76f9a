#pragma once

namespace SevenZip {

// Holds one reference to an engine interface and releases it on scope exit.
template <class T>
class InterfaceHolder {
public:
    InterfaceHolder() = default;
    // Takes the first reference of a freshly created object.
    explicit InterfaceHolder(T* object) : object_(object) {
        if (object_) object_->AddRef();
    }
    InterfaceHolder(const InterfaceHolder&) = delete;
    InterfaceHolder& operator=(const InterfaceHolder&) = delete;
    ~InterfaceHolder() { Reset(); }

    void Reset() {
        if (object_) object_->Release();
        object_ = nullptr;
    }
    // For an out-parameter that delivers a reference: whatever was held is
    // released first.
    T** Receive() {
        Reset();
        return &object_;
    }
    T* Get() const { return object_; }
    T* operator->() const { return object_; }

private:
    T* object_ = nullptr;
};

}  // namespace SevenZip
