#pragma once

#include <cstdint>

#include <boost/shared_ptr.hpp>

namespace Mswin {

// A kernel file handle's bits on Windows, a file descriptor elsewhere.
using NativeHandle = std::intptr_t;

// The value a handle holds before anything was opened into it.
constexpr NativeHandle kNoHandle = -1;

// Shared ownership of one open file. Copies share one context; the last
// owner to go closes the handle, whichever thread it runs on.
class ScopedHandle {
public:
    class HandleContext {
    public:
        explicit HandleContext(NativeHandle handle) : handle_(handle) {}
        HandleContext(const HandleContext&) = delete;
        HandleContext& operator=(const HandleContext&) = delete;
        ~HandleContext();

        NativeHandle Get() const { return handle_; }

    private:
        NativeHandle handle_;
    };

    ScopedHandle();

    // Installs a fresh context for handle; the old one loses this owner.
    // Resetting to the handle already held changes nothing.
    void Reset(NativeHandle handle);
    NativeHandle Get() const { return context_->Get(); }

private:
    boost::shared_ptr<HandleContext> context_;
};

// Platform rules: which values name an open handle, and how one is closed
// without disturbing the caller's last error.
bool IsOpenHandle(NativeHandle handle) noexcept;
void CloseNativeHandle(NativeHandle handle) noexcept;

}  // namespace Mswin
