#include "installer/core/FileStream.h"

#include <utility>

#include "installer/platform/FileSystem.h"

namespace tarnwick {

FileStream::FileStream(const char* path, const char* mode) {
    open(path, mode);
}

void FileStream::open(const char* path, const char* mode) {
    std::FILE* handle = platform::openFile(path, mode);
    if (!handle) throw kStreamFailure;
    attach(handle);
}

void FileStream::attach(std::FILE* handle) {
    // Owned from here on, so that it is closed even when closing the current
    // file fails.
    std::unique_ptr<std::FILE, FileClose> incoming(handle);
    close();
    if (!incoming) throw kStreamFailure;
    file_ = std::move(incoming);
    long length = 0;
    if (std::fseek(handle, 0, SEEK_END) == 0) length = std::ftell(handle);
    // Records are small; a file whose length a 32-bit size cannot describe is
    // treated as empty rather than truncated.
    size_ = length > 0 && std::uint64_t(length) <= UINT32_MAX ? static_cast<std::uint32_t>(length) : 0;
    std::fseek(handle, 0, SEEK_SET);
    position_ = 0;
}

void FileStream::close() {
    if (!file_) return;
    std::FILE* const file = file_.release();
    size_ = 0;
    position_ = 0;
    if (std::fclose(file) != 0) throw kStreamFailure;
}

void FileStream::rawWrite(const void* bytes, std::uint32_t count) {
    if (!file_ || std::fwrite(bytes, count, 1, file_.get()) != 1) throw kStreamFailure;
    position_ += count;
}

void FileStream::rawRead(void* bytes, std::uint32_t count) {
    if (!file_ || std::fread(bytes, count, 1, file_.get()) != 1) throw kStreamFailure;
    position_ += count;
}

void FileStream::rawSeek(std::uint32_t offset) {
    // fseek takes a long, 32 bits wide on Windows: an offset past 2 GB turns
    // negative there, and fseek refuses it.
    if (!file_ || std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) != 0) throw kStreamFailure;
    position_ = offset;
}

}  // namespace tarnwick
