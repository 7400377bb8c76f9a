#include "tests/extract/PakloomTesting.h"

#include <fstream>
#include <mutex>
#include <sstream>
#include <utility>

#include "extract/Mswin/Paths.h"
#include "extract/Mswin/ScopedLoadLibrary.h"
#include "extract/Mswin/Text.h"

namespace pakloom::test {
namespace {

std::mutex recordedMutex;
std::vector<std::string> recorded;

}  // namespace

std::u16string NativePath(const std::string& path) {
    std::u16string native = Mswin::Utf8ToUtf16(path);
    for (char16_t& c : native)
        if (c == u'/') c = Mswin::PathSeparator();
    return native;
}

std::u16string EnginePath() {
    return NativePath(PAKLOOM_ENGINE);
}

std::u16string ArchivePath(const std::string& name) {
    return NativePath(std::string(PAKLOOM_ARCHIVES) + "/" + name);
}

std::filesystem::path ArchiveSource(const std::string& relative) {
    return std::filesystem::path(ArchivePath(relative));
}

const Pakloom& LoadedPakloom() {
    static const Mswin::ScopedLoadLibrary library(NativePath(PAKLOOM_LIBRARY));
    static const Pakloom pakloom{
        reinterpret_cast<ExtractArchiveFunction>(library.FindEntryPoint("ExtractArchive")),
        reinterpret_cast<SetLogCallbackFunction>(library.FindEntryPoint("SetLogCallback")),
    };
    return pakloom;
}

void RecordLine(const char* line) {
    std::lock_guard<std::mutex> guard(recordedMutex);
    recorded.emplace_back(line);
}

std::vector<std::string> TakeRecordedLines() {
    std::lock_guard<std::mutex> guard(recordedMutex);
    return std::exchange(recorded, {});
}

int Extract(const std::u16string& engine, const std::u16string& archive, const std::u16string& destination) {
    const auto text = [](const std::u16string& s) { return reinterpret_cast<const PakloomChar*>(s.c_str()); };
    return LoadedPakloom().extractArchive(text(engine), text(archive), text(destination));
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace pakloom::test
