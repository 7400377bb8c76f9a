#pragma once

#include <cstdio>
#include <memory>

#include "installer/core/ByteStream.h"

namespace tarnwick {

// A ByteStream over a C standard I/O file that it owns. The size is taken once
// when a file is attached; afterwards only writes past the end change it. A
// FileStream reads or writes one whole record and is not shared.
class FileStream final : public ByteStream {
public:
    FileStream() = default;
    FileStream(const char* path, const char* mode);

    // On failure the file that was open before stays open and attached.
    void open(const char* path, const char* mode);
    // Closes the current file, then takes ownership of handle. Throws after
    // closing when handle is null, and when the current file does not close
    // cleanly (handle is then closed as well).
    void attach(std::FILE* handle);
    // Closes the file, if one is open; the stream is closed afterwards either
    // way. Writes are buffered, so a full disk may show only here: it throws
    // when not everything written reached the file. The destructor closes
    // without asking, so a writer that cares calls close() itself.
    void close();
    bool isOpen() const { return file_ != nullptr; }

protected:
    void rawWrite(const void* bytes, std::uint32_t count) override;
    void rawRead(void* bytes, std::uint32_t count) override;
    void rawSeek(std::uint32_t offset) override;

private:
    struct FileClose {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileClose> file_;
};

}  // namespace tarnwick
