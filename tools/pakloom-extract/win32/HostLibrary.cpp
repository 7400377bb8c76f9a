#include "tools/pakloom-extract/HostLibrary.h"

#include <windows.h>

#include <cstdio>

bool LoadHostLibrary(HostLibrary& library) {
    // The program's own folder is searched first.
    HMODULE module = ::LoadLibraryW(L"Pakloom.dll");
    if (!module) {
        std::fprintf(stderr, "pakloom-extract: cannot load Pakloom.dll (error %lu)\n", ::GetLastError());
        return false;
    }
    // FARPROC is any function; the plain pointer in between says so.
    using AnyFunction = void (*)();
    library.extractArchive = reinterpret_cast<ExtractArchiveFunction>(
        reinterpret_cast<AnyFunction>(::GetProcAddress(module, "ExtractArchive")));
    library.setLogCallback = reinterpret_cast<SetLogCallbackFunction>(
        reinterpret_cast<AnyFunction>(::GetProcAddress(module, "SetLogCallback")));
    if (!library.extractArchive || !library.setLogCallback) {
        std::fprintf(stderr, "pakloom-extract: Pakloom.dll lacks its exports\n");
        return false;
    }
    return true;
}

// Arguments arrive in the ANSI code page under Windows; Wine passes Unix
// paths through unchanged.
std::basic_string<PakloomChar> ArgumentText(const char* argument) {
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, argument, -1, nullptr, 0);
    std::basic_string<PakloomChar> text(static_cast<std::size_t>(needed > 0 ? needed : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, argument, -1, text.data(), needed);
    text.resize(text.size() - 1);
    return text;
}
