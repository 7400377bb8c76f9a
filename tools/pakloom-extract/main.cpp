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
    std::basic_string<PakloomChar> paths[3];
    static const char* const kNames[] = {"ENGINE", "ARCHIVE", "DESTINATION"};
    for (int i = 0; i < 3; ++i) {
        if (!ArgumentText(argv, i + 1, paths[i])) {
            std::fprintf(stderr, "pakloom-extract: %s is not valid text: %s\n", kNames[i], argv[i + 1]);
            return 1;
        }
    }
    return library.extractArchive(paths[0].c_str(), paths[1].c_str(), paths[2].c_str()) == 1 ? 0 : 1;
}
