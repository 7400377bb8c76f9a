#pragma once

#include <windows.h>

#include <utility>

namespace tarnwick::platform {

// Which value means "no handle" differs by kind: CreateFile answers a failure
// with INVALID_HANDLE_VALUE, while process, thread and event functions answer
// with null, and INVALID_HANDLE_VALUE is there the pseudo handle of the
// current process. A folder search is a handle of its own, closed with
// FindClose. The owner's type says which applies.
struct NullIsInvalid {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE handle) { CloseHandle(handle); }
};
struct InvalidHandleValueIsInvalid {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { CloseHandle(handle); }
};
struct FolderSearch {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { FindClose(handle); }
};

// Owns one kernel handle and closes it on scope exit. Move-only. Closing
// keeps the caller's last error, so that a failure can still be read after
// the handle that met it is gone.
template <class Kind>
class UniqueHandleOf {
public:
    UniqueHandleOf() = default;
    explicit UniqueHandleOf(HANDLE handle) : handle_(handle) {}
    UniqueHandleOf(UniqueHandleOf&& other) noexcept : handle_(other.release()) {}
    UniqueHandleOf& operator=(UniqueHandleOf&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandleOf(const UniqueHandleOf&) = delete;
    UniqueHandleOf& operator=(const UniqueHandleOf&) = delete;
    ~UniqueHandleOf() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != Kind::invalid(); }

    // Closes what was held and takes handle instead.
    void reset(HANDLE handle = Kind::invalid()) {
        const HANDLE old = std::exchange(handle_, handle);
        if (old == Kind::invalid()) return;
        const DWORD error = GetLastError();
        Kind::close(old);
        SetLastError(error);
    }
    // Gives up ownership without closing; the holder is empty afterwards.
    [[nodiscard]] HANDLE release() { return std::exchange(handle_, Kind::invalid()); }
    // For functions that return a handle through a pointer: what was held is
    // closed first, so that refilling a holder never leaks.
    HANDLE* put() {
        reset();
        return &handle_;
    }

private:
    HANDLE handle_ = Kind::invalid();
};

// Processes, threads, events, duplicated handles.
using UniqueHandle = UniqueHandleOf<NullIsInvalid>;
// Files and folders opened with CreateFile.
using UniqueFileHandle = UniqueHandleOf<InvalidHandleValueIsInvalid>;
// Searches begun with FindFirstFile.
using UniqueFindHandle = UniqueHandleOf<FolderSearch>;

}  // namespace tarnwick::platform
