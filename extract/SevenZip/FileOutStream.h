#pragma once

#include <string>

#include "extract/Mswin/ScopedHandle.h"
#include "extract/SevenZip/EngineInterfaces.h"
#include "extract/SevenZip/EngineObject.h"

namespace SevenZip {

// One extracted file. The engine's last Release closes it.
class FileOutStream final : public EngineObject<FileOutStream, ISequentialOutStream> {
public:
    // Creates the file, replacing and truncating one that exists; throws the
    // Ostrel::Log::LogException of "Could not open <path>." if it cannot.
    explicit FileOutStream(const std::u16string& path);

    // A null count pointer is allowed: the data is written, the count not told.
    Result PAKLOOM_ENGINE_CALL Write(const void* data, std::uint32_t size, std::uint32_t* processed) override;

private:
    friend EngineObject;
    ~FileOutStream() = default;

    Mswin::ScopedHandle file_;
};

}  // namespace SevenZip
