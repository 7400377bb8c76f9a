// Replays a harness's corpus without libFuzzer, for the test command: every
// file of the folder, in name order, through LLVMFuzzerTestOneInput. A
// finding stops the process through the sanitizers or the harness itself;
// a clean run writes a report in GoogleTest's XML form, so that the test
// command counts the harness as one passed test.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CORPUS-FOLDER REPORT.xml\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(argv[1], error))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    // A missing or empty corpus would make this a test that tests nothing.
    if (error || inputs.empty()) {
        std::fprintf(stderr, "no inputs in %s\n", argv[1]);
        return 1;
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::ifstream file(input, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed from %s\n", inputs.size(), argv[1]);

    const fs::path report = argv[2];
    fs::create_directories(report.parent_path(), error);
    const std::string name = report.stem().string();
    std::ofstream xml(report);
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<testsuites tests=\"1\" failures=\"0\" disabled=\"0\" errors=\"0\" name=\"AllTests\">\n"
        << "  <testsuite name=\"" << name << "\" tests=\"1\" failures=\"0\" disabled=\"0\" errors=\"0\">\n"
        << "    <testcase name=\"corpus\" status=\"run\" result=\"completed\" classname=\"" << name
        << "\" />\n  </testsuite>\n</testsuites>\n";
    return xml.good() ? 0 : 1;
}
