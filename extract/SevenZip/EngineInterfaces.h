#pragma once

#include <cstdint>
#include <cstring>

// The engine's published COM-style interfaces, declared slot for slot. Like
// COM's IUnknown they have no virtual destructor: the slots after Release
// must be the interface's own operations, or the engine calls the wrong one.
// The engine's methods and entry points follow COM's calling convention:
// __stdcall on 32-bit Windows, where it differs from the compiler's default
// for member functions, and the default everywhere else.
#if defined(_WIN32) && !defined(_WIN64)
#define PAKLOOM_ENGINE_CALL __stdcall
#else
#define PAKLOOM_ENGINE_CALL
#endif

namespace SevenZip {

using Result = std::int32_t;

constexpr Result kOk = 0;
constexpr Result kFalse = 1;
constexpr Result kFail = static_cast<Result>(0x80004005u);
constexpr Result kInvalidArgument = static_cast<Result>(0x80070057u);
constexpr Result kAbort = static_cast<Result>(0x80004004u);
constexpr Result kNoInterface = static_cast<Result>(0x80004002u);

// An interface identifier exactly as it lies in memory: for
// {23170F69-40C1-278A-0000-000600600000} the bytes are
//   69 0F 17 23 | C1 40 | 8A 27 | 00 00 00 06 00 60 00 00
struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

inline bool operator==(const Guid& a, const Guid& b) {
    return std::memcmp(&a, &b, sizeof(Guid)) == 0;
}

// The engine family {23170F69-40C1-278A-0000-00yy00xx0000}.
constexpr Guid EngineInterfaceId(std::uint8_t group, std::uint8_t id) {
    return Guid{0x23170F69, 0x40C1, 0x278A, {0x00, 0x00, 0x00, group, 0x00, id, 0x00, 0x00}};
}

constexpr Guid kIUnknownId{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr Guid kISequentialInStreamId = EngineInterfaceId(0x03, 0x01);
constexpr Guid kISequentialOutStreamId = EngineInterfaceId(0x03, 0x02);
constexpr Guid kIInStreamId = EngineInterfaceId(0x03, 0x03);
constexpr Guid kIStreamGetSizeId = EngineInterfaceId(0x03, 0x06);
constexpr Guid kIProgressId = EngineInterfaceId(0x00, 0x05);
constexpr Guid kICryptoGetTextPasswordId = EngineInterfaceId(0x05, 0x10);
constexpr Guid kIArchiveOpenCallbackId = EngineInterfaceId(0x06, 0x10);
constexpr Guid kIArchiveExtractCallbackId = EngineInterfaceId(0x06, 0x20);
constexpr Guid kIInArchiveId = EngineInterfaceId(0x06, 0x60);
// The 7z format handler: the handler family with format byte 0x07.
constexpr Guid kSevenZipFormatId{
    0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};

// Property ids and variant types the library reads.
constexpr std::uint32_t kPropertyPath = 3;
constexpr std::uint32_t kPropertyIsDirectory = 6;

class IUnknown {
public:
    virtual Result PAKLOOM_ENGINE_CALL QueryInterface(const Guid& iid, void** object) = 0;
    virtual std::uint32_t PAKLOOM_ENGINE_CALL AddRef() = 0;
    virtual std::uint32_t PAKLOOM_ENGINE_CALL Release() = 0;

protected:
    ~IUnknown() = default;
};

class ISequentialInStream : public IUnknown {
public:
    virtual Result PAKLOOM_ENGINE_CALL Read(void* data, std::uint32_t size, std::uint32_t* processed) = 0;

protected:
    ~ISequentialInStream() = default;
};

class IInStream : public ISequentialInStream {
public:
    virtual Result PAKLOOM_ENGINE_CALL Seek(std::int64_t offset, std::uint32_t origin,
                                            std::uint64_t* newPosition) = 0;

protected:
    ~IInStream() = default;
};

class IStreamGetSize : public IUnknown {
public:
    virtual Result PAKLOOM_ENGINE_CALL GetSize(std::uint64_t* size) = 0;

protected:
    ~IStreamGetSize() = default;
};

class ISequentialOutStream : public IUnknown {
public:
    virtual Result PAKLOOM_ENGINE_CALL Write(const void* data, std::uint32_t size,
                                             std::uint32_t* processed) = 0;

protected:
    ~ISequentialOutStream() = default;
};

class IArchiveOpenCallback : public IUnknown {
public:
    virtual Result PAKLOOM_ENGINE_CALL SetTotal(const std::uint64_t* files, const std::uint64_t* bytes) = 0;
    virtual Result PAKLOOM_ENGINE_CALL SetCompleted(const std::uint64_t* files,
                                                    const std::uint64_t* bytes) = 0;

protected:
    ~IArchiveOpenCallback() = default;
};

class IProgress : public IUnknown {
public:
    virtual Result PAKLOOM_ENGINE_CALL SetTotal(std::uint64_t total) = 0;
    virtual Result PAKLOOM_ENGINE_CALL SetCompleted(const std::uint64_t* completed) = 0;

protected:
    ~IProgress() = default;
};

class IArchiveExtractCallback : public IProgress {
public:
    virtual Result PAKLOOM_ENGINE_CALL GetStream(std::uint32_t index, ISequentialOutStream** stream,
                                                 std::int32_t extractMode) = 0;
    virtual Result PAKLOOM_ENGINE_CALL PrepareOperation(std::int32_t extractMode) = 0;
    virtual Result PAKLOOM_ENGINE_CALL SetOperationResult(std::int32_t operationResult) = 0;

protected:
    ~IArchiveExtractCallback() = default;
};

class ICryptoGetTextPassword : public IUnknown {
public:
    // The engine's string type; never written here, so an opaque pointer.
    virtual Result PAKLOOM_ENGINE_CALL CryptoGetTextPassword(void** password) = 0;

protected:
    ~ICryptoGetTextPassword() = default;
};

class IInArchive : public IUnknown {
public:
    virtual Result PAKLOOM_ENGINE_CALL Open(IInStream* stream, const std::uint64_t* maxCheckStartPosition,
                                            IArchiveOpenCallback* openCallback) = 0;
    virtual Result PAKLOOM_ENGINE_CALL Close() = 0;
    virtual Result PAKLOOM_ENGINE_CALL GetNumberOfItems(std::uint32_t* count) = 0;
    virtual Result PAKLOOM_ENGINE_CALL GetProperty(std::uint32_t index, std::uint32_t propertyId,
                                                   void* value) = 0;
    virtual Result PAKLOOM_ENGINE_CALL Extract(const std::uint32_t* indices, std::uint32_t count,
                                               std::int32_t testMode, IArchiveExtractCallback* callback) = 0;

protected:
    ~IInArchive() = default;
};

}  // namespace SevenZip
