#include "tools/pakloom-extract/HostLibrary.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <memory>

namespace {

struct LocalMemory {
    void operator()(LPWSTR* block) const { ::LocalFree(block); }
};

}  // namespace

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

// main's arguments are in the ANSI code page, which cannot hold every
// name; the wide command line holds them whole. Wine passes Unix paths
// through unchanged.
bool ArgumentText(char** /*argv*/, int index, std::basic_string<PakloomChar>& text) {
    int count = 0;
    std::unique_ptr<LPWSTR, LocalMemory> arguments(::CommandLineToArgvW(::GetCommandLineW(), &count));
    if (!arguments || index >= count) return false;
    text = arguments.get()[index];
    return true;
}
