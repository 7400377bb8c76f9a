// pakloom-extract ENGINE ARCHIVE DESTINATION
// Extracts a 7z archive with the extraction library, printing each of its log
// lines; exits 0 on success and 1 otherwise.
#include <cstdio>
#include <cstring>

#include "tools/pakloom-extract/HostLibrary.h"

namespace {

void PrintLine(const char* line) {
    // Lines that carry a caught exception already end in a line feed.
    const std::size_t length = std::strlen(line);
    std::fputs(line, stdout);
    if (length == 0 || line[length - 1] != '\n') std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: pakloom-extract ENGINE ARCHIVE DESTINATION\n");
        return 1;
    }
    HostLibrary library;
    if (!LoadHostLibrary(library)) return 1;
    library.setLogCallback(PrintLine);
    const auto engine = ArgumentText(argv, 1);
    const auto archive = ArgumentText(argv, 2);
    const auto destination = ArgumentText(argv, 3);
    return library.extractArchive(engine.c_str(), archive.c_str(), destination.c_str()) == 1 ? 0 : 1;
}
