#pragma once

#include <exception>
#include <string>

namespace Mswin {

// Owns one loaded module (LoadLibraryW, or dlopen) and frees it when it goes.
class ScopedLoadLibrary {
public:
    // Carries no text: the caller reports the failed load in its own words.
    class LoadLibraryFailedException : public std::exception {};

    using EntryPoint = void (*)();

    explicit ScopedLoadLibrary(const std::u16string& path);
    ScopedLoadLibrary(const ScopedLoadLibrary&) = delete;
    ScopedLoadLibrary& operator=(const ScopedLoadLibrary&) = delete;
    ~ScopedLoadLibrary();

    // The exported function called name, or null.
    EntryPoint FindEntryPoint(const char* name) const;

private:
    void* module_;
};

}  // namespace Mswin
