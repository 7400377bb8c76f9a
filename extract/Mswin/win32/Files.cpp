#include "extract/Mswin/Files.h"

#include <windows.h>

#include "extract/Mswin/Text.h"
#include "extract/Mswin/win32/SystemPath.h"
#include "extract/Ostrel/Log.h"

namespace Mswin {

std::wstring SystemPath(const std::u16string& path) {
    // CreateDirectory's limit, the lower of the two.
    constexpr std::size_t kShortestLongPath = MAX_PATH - 12;
    const std::wstring given(path.begin(), path.end());
    if (given.size() < kShortestLongPath || given.rfind(L"\\\\?\\", 0) == 0 ||
        given.rfind(L"\\\\.\\", 0) == 0)
        return given;
    const DWORD needed = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return given;
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return given;
    full.resize(length);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

ScopedHandle OpenFileHandle(const std::u16string& path, std::uint32_t creationDisposition,
                            std::uint32_t desiredAccess) {
    ScopedHandle handle;
    // No sharing: nobody may change the archive under the engine, or an
    // output file while it is written.
    const HANDLE file = ::CreateFileW(SystemPath(path).c_str(), desiredAccess, 0, nullptr,
                                      creationDisposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    handle.Reset(reinterpret_cast<NativeHandle>(file));
    if (file == INVALID_HANDLE_VALUE)
        Ostrel::Log::ThrowWithLastErrorFormat("Could not open %1%.", Utf16ToUtf8(path));
    return handle;
}

bool ReadFromFile(NativeHandle file, void* buffer, std::uint32_t size, std::uint32_t* count) {
    DWORD done = 0;
    if (!::ReadFile(reinterpret_cast<HANDLE>(file), buffer, size, &done, nullptr)) return false;
    *count = done;
    return true;
}

bool WriteToFile(NativeHandle file, const void* data, std::uint32_t size, std::uint32_t* count) {
    DWORD done = 0;
    if (!::WriteFile(reinterpret_cast<HANDLE>(file), data, size, &done, nullptr)) return false;
    *count = done;
    return true;
}

bool SeekFile(NativeHandle file, std::int64_t offset, std::uint32_t origin, std::uint64_t* position) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER reached;
    if (!::SetFilePointerEx(reinterpret_cast<HANDLE>(file), distance, &reached, origin)) return false;
    *position = static_cast<std::uint64_t>(reached.QuadPart);
    return true;
}

bool FileSizeOf(NativeHandle file, std::uint64_t* size) {
    LARGE_INTEGER value;
    if (!::GetFileSizeEx(reinterpret_cast<HANDLE>(file), &value)) return false;
    *size = static_cast<std::uint64_t>(value.QuadPart);
    return true;
}

// The probed path ends in a backslash, with which a file is not found; an
// existing file counts as an entry, like a folder. A drive root keeps it.
bool EntryExists(const std::u16string& path) {
    std::u16string probe = path;
    while (probe.size() > 1 && probe.back() == u'\\' && probe[probe.size() - 2] != u':')
        probe.pop_back();
    return ::GetFileAttributesW(SystemPath(probe).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeDirectory(const std::u16string& path) {
    return ::CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0;
}

}  // namespace Mswin
