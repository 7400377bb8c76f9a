#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>

#include "installer/core/UserNotice.h"

namespace tarnwick::fuzz {

namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) fail("no scratch folder can be made");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace

const std::filesystem::path& prepareProcess() {
    static const ScratchFolder scratch;
    static const bool prepared = [] {
        const std::filesystem::path data = scratch.path() / "data";
        std::filesystem::create_directory(data);
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
        setAlertHandler([](const char*, const char*) {});
        setOpenUrlHandler([](const char*) {});
        return true;
    }();
    (void)prepared;
    return scratch.path();
}

void fail(const char* what) {
    std::fprintf(stderr, "fuzz harness: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

std::string InputReader::until(const std::string& separator) {
    const std::string_view left(reinterpret_cast<const char*>(data_) + next_, size_ - next_);
    const std::size_t end = left.find(separator);
    if (end == std::string_view::npos) return rest();
    next_ += end + separator.size();
    return std::string(left.substr(0, end));
}

std::string InputReader::rest() {
    const std::string left(reinterpret_cast<const char*>(data_) + next_, size_ - next_);
    next_ = size_;
    return left;
}

std::uint32_t pieceSize(std::uint8_t byte) {
    return byte == 0 ? UINT32_MAX : byte;
}

}  // namespace tarnwick::fuzz
