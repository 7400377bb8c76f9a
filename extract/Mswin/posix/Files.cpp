#include "extract/Mswin/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "extract/Mswin/Text.h"
#include "extract/Ostrel/Log.h"

namespace Mswin {

// POSIX has no share modes that others must obey, so "not shared" cannot be
// enforced here; the access meaning is kept: an existing file read-only, or
// an output file created or truncated.
ScopedHandle OpenFileHandle(const std::u16string& path, std::uint32_t creationDisposition,
                            std::uint32_t desiredAccess) {
    ScopedHandle handle;
    int flags = O_CLOEXEC;
    flags |= desiredAccess == kGenericRead ? O_RDONLY : O_RDWR;
    if (creationDisposition == kCreateAlways) flags |= O_CREAT | O_TRUNC;
    const std::string narrow = Utf16ToUtf8(path);
    handle.Reset(::open(narrow.c_str(), flags, 0666));
    if (!IsOpenHandle(handle.Get())) Ostrel::Log::ThrowWithLastErrorFormat("Could not open %1%.", narrow);
    return handle;
}

bool ReadFromFile(NativeHandle file, void* buffer, std::uint32_t size, std::uint32_t* count) {
    const ssize_t done = ::read(static_cast<int>(file), buffer, size);
    if (done < 0) return false;
    *count = static_cast<std::uint32_t>(done);
    return true;
}

bool WriteToFile(NativeHandle file, const void* data, std::uint32_t size, std::uint32_t* count) {
    const ssize_t done = ::write(static_cast<int>(file), data, size);
    if (done < 0) return false;
    *count = static_cast<std::uint32_t>(done);
    return true;
}

bool SeekFile(NativeHandle file, std::int64_t offset, std::uint32_t origin, std::uint64_t* position) {
    // SEEK_SET, SEEK_CUR and SEEK_END are 0, 1 and 2, as the engine counts.
    const off_t done = ::lseek(static_cast<int>(file), offset, static_cast<int>(origin));
    if (done < 0) return false;
    *position = static_cast<std::uint64_t>(done);
    return true;
}

bool FileSizeOf(NativeHandle file, std::uint64_t* size) {
    struct stat status;
    if (::fstat(static_cast<int>(file), &status) != 0) return false;
    *size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

// The probed path ends in a separator, which would make stat refuse a file;
// an existing file counts as an entry, like a folder.
bool EntryExists(const std::u16string& path) {
    std::string narrow = Utf16ToUtf8(path);
    while (narrow.size() > 1 && narrow.back() == '/')
        narrow.pop_back();
    struct stat status;
    return ::stat(narrow.c_str(), &status) == 0;
}

bool MakeDirectory(const std::u16string& path) {
    return ::mkdir(Utf16ToUtf8(path).c_str(), 0777) == 0;
}

}  // namespace Mswin
