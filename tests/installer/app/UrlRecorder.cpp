// Stands in for the browser: the suite registers it as the handler of http
// addresses, and it appends the address it was given to the file that
// TARNWICK_URL_RECORD names.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const char* record = std::getenv("TARNWICK_URL_RECORD");
    if (record == nullptr || argc < 2) return 1;
    std::FILE* file = std::fopen(record, "a");
    if (file == nullptr) return 1;
    std::fprintf(file, "%s\n", argv[1]);
    return std::fclose(file) == 0 ? 0 : 1;
}
