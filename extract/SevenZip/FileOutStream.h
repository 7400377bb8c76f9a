#pragma once

#include <string>

#include "extract/Mswin/ScopedHandle.h"
#include "extract/SevenZip/EngineInterfaces.h"
#include "extract/SevenZip/ReferenceCount.h"

namespace SevenZip {

// One extracted file. The engine's last Release closes it.
class FileOutStream final : public ISequentialOutStream {
public:
    // Creates the file, replacing and truncating one that exists; throws the
    // Ostrel::Log::LogException of "Could not open <path>." if it cannot.
    explicit FileOutStream(const std::u16string& path);

    Result QueryInterface(const Guid& iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    // A null count pointer is allowed: the data is written, the count not told.
    Result Write(const void* data, std::uint32_t size, std::uint32_t* processed) override;

private:
    ~FileOutStream() = default;

    Mswin::ScopedHandle file_;
    ReferenceCount references_;
};

}  // namespace SevenZip
