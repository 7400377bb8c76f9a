#include "tools/pakloom-extract/HostLibrary.h"

#include <dlfcn.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

bool LoadHostLibrary(HostLibrary& library) {
    std::vector<char> self(4096);
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
    std::string path =
        length > 0 ? std::string(self.data(), static_cast<std::size_t>(length)) : std::string();
    path = path.substr(0, path.rfind('/') + 1) + "libpakloom.so";
    // Kept loaded until the process ends, as a host that uses it throughout.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "pakloom-extract: %s\n", ::dlerror());
        return false;
    }
    library.extractArchive = reinterpret_cast<ExtractArchiveFunction>(::dlsym(module, "ExtractArchive"));
    library.setLogCallback = reinterpret_cast<SetLogCallbackFunction>(::dlsym(module, "SetLogCallback"));
    if (!library.extractArchive || !library.setLogCallback) {
        std::fprintf(stderr, "pakloom-extract: %s lacks its exports\n", path.c_str());
        return false;
    }
    return true;
}

// Arguments arrive in UTF-8; the library takes UTF-16.
bool ArgumentText(char** argv, int index, std::basic_string<PakloomChar>& text) {
    const iconv_t converter = ::iconv_open("UTF-16LE", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    std::string input(argv[index]);
    // Each UTF-8 byte gives at most two bytes of UTF-16.
    std::vector<char> output(input.size() * 2 + 2);
    char* in = input.data();
    char* out = output.data();
    std::size_t inLeft = input.size();
    std::size_t outLeft = output.size();
    const std::size_t converted = ::iconv(converter, &in, &inLeft, &out, &outLeft);
    ::iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1) || inLeft != 0) return false;
    text.clear();
    for (const char* p = output.data(); p + 1 < out; p += 2)
        text += static_cast<PakloomChar>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1])
                                                                                << 8);
    return true;
}
