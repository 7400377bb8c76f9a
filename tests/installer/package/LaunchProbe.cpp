// Started by the launch tests: records where and how it was started.
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    // Written under another name first, so that a test waiting for the file
    // never reads it half-written.
    std::FILE* out = std::fopen("launch-probe.tmp", "w");
    if (!out) return 1;
    // In UTF-8, whatever the folder's characters.
    const std::u8string here = std::filesystem::current_path().u8string();
    std::fprintf(out, "%.*s\n", static_cast<int>(here.size()), reinterpret_cast<const char*>(here.data()));
    for (int i = 1; i < argc; ++i)
        std::fprintf(out, "%s\n", argv[i]);
    if (std::fclose(out) != 0) return 1;
    std::error_code error;
    std::filesystem::rename("launch-probe.tmp", "launch-probe.txt", error);
    return error ? 1 : 0;
}
