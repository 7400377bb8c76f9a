// Item paths as an engine reports them, stored in an archive by anyone: the
// extraction callback places each item below the destination folder or
// refuses it. The engine is faked: its one item has the input's path and
// folder flag. Whatever the path, nothing may appear outside the
// destination. (Device names are a Windows matter; this build has none.)
//
//   folder u8 (bit 0) | path as UTF-16LE code units
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "extract/Mswin/Text.h"
#include "extract/SevenZip/ArchiveExtractCallback.h"
#include "extract/SevenZip/InterfaceHolder.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/fake-engine/EngineString.h"

using namespace SevenZip;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLongestPath = 256;

// One item, described as the engine does through GetProperty.
class OneItemArchive final : public IInArchive {
public:
    OneItemArchive(std::wstring path, bool isFolder) : path_(std::move(path)), isFolder_(isFolder) {}

    Result PAKLOOM_ENGINE_CALL QueryInterface(const Guid&, void**) override { return kNoInterface; }
    std::uint32_t PAKLOOM_ENGINE_CALL AddRef() override { return ++references_; }
    std::uint32_t PAKLOOM_ENGINE_CALL Release() override { return --references_; }
    Result PAKLOOM_ENGINE_CALL Open(IInStream*, const std::uint64_t*, IArchiveOpenCallback*) override {
        return kFail;
    }
    Result PAKLOOM_ENGINE_CALL Close() override { return kOk; }
    Result PAKLOOM_ENGINE_CALL GetNumberOfItems(std::uint32_t* count) override {
        *count = 1;
        return kOk;
    }
    Result PAKLOOM_ENGINE_CALL GetProperty(std::uint32_t, std::uint32_t property, void* value) override {
        if (property == kPropertyPath) {
            SetEngineString(value, path_.c_str());
        } else if (property == kPropertyIsDirectory) {
            const std::uint16_t type = 11;
            const std::int16_t flag = isFolder_ ? -1 : 0;
            std::memcpy(value, &type, sizeof type);
            std::memcpy(static_cast<unsigned char*>(value) + 8, &flag, sizeof flag);
        }
        return kOk;
    }
    Result PAKLOOM_ENGINE_CALL Extract(const std::uint32_t*, std::uint32_t, std::int32_t,
                                       IArchiveExtractCallback*) override {
        return kFail;
    }

    std::uint32_t references() const { return references_; }

private:
    std::wstring path_;
    bool isFolder_;
    std::uint32_t references_ = 0;
};

// Whether path, taken apart without the file system, stays below folder.
bool staysBelow(const fs::path& folder, const fs::path& path) {
    const fs::path relative = path.lexically_normal().lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& scratch = tarnwick::fuzz::prepareProcess();
    tarnwick::fuzz::InputReader input(data, size);
    const bool isFolder = input.byte() & 1;
    // Each unit widened to a wchar_t, as the engine hands out UTF-16 here.
    std::wstring path;
    std::u16string units;
    // Longer paths only nest more folders, each made and removed again per
    // input; the rules that place an item see nothing new in them.
    while (!input.done() && units.size() < kLongestPath) {
        const auto unit = static_cast<char16_t>(input.byte() | input.byte() << 8);
        // The engine's strings end at their first 0 for every C API.
        if (unit == 0) break;
        path.push_back(static_cast<wchar_t>(unit));
        units.push_back(unit);
    }

    const fs::path destination = scratch / "dest";
    std::error_code error;
    fs::remove_all(destination, error);
    fs::create_directory(destination, error);
    if (error) tarnwick::fuzz::fail("the destination cannot be made");

    OneItemArchive archive(path, isFolder);
    Result result;
    {
        InterfaceHolder<ArchiveExtractCallback> callback(
            new ArchiveExtractCallback(&archive, destination.u16string()));
        ISequentialOutStream* stream = nullptr;
        result = callback->GetStream(0, &stream, 0);
        if (stream != nullptr) {
            if (result != kOk) tarnwick::fuzz::fail("a refused item got a stream");
            stream->Release();
        }
    }
    if (archive.references() != 0) tarnwick::fuzz::fail("the callback kept a reference to the archive");

    // Taken apart in the narrow form the file system is given.
    if (result == kOk &&
        !staysBelow(destination, fs::path(Mswin::Utf16ToUtf8(destination.u16string() + u"/" + units))))
        tarnwick::fuzz::fail("an item outside the destination was placed");
    for (const auto& entry : fs::directory_iterator(scratch)) {
        const fs::path name = entry.path().filename();
        if (name != "dest" && name != "data")
            tarnwick::fuzz::fail("an item was written outside the destination");
    }
    return 0;
}
