#include "extract/SevenZip/ArchiveExtractCallback.h"

#include <exception>

#include "extract/Mswin/Directories.h"
#include "extract/Mswin/Paths.h"
#include "extract/Mswin/PropertyVariant.h"
#include "extract/Mswin/Text.h"
#include "extract/SevenZip/FileOutStream.h"
#include "extract/SevenZip/HostLog.h"

namespace SevenZip {
namespace {

constexpr const char* kPlace = "SevenZip::ArchiveExtractCallback::GetStream";

}  // namespace

ArchiveExtractCallback::ArchiveExtractCallback(IInArchive* archive, const std::u16string& destinationFolder)
    : archive_(archive), destinationFolder_(destinationFolder) {}

Result PAKLOOM_ENGINE_CALL ArchiveExtractCallback::SetTotal(std::uint64_t) {
    return kOk;
}

Result PAKLOOM_ENGINE_CALL ArchiveExtractCallback::SetCompleted(const std::uint64_t*) {
    return kOk;
}

Result PAKLOOM_ENGINE_CALL ArchiveExtractCallback::PrepareOperation(std::int32_t) {
    return kOk;
}

Result PAKLOOM_ENGINE_CALL ArchiveExtractCallback::SetOperationResult(std::int32_t) {
    return kOk;
}

Result PAKLOOM_ENGINE_CALL ArchiveExtractCallback::CryptoGetTextPassword(void**) {
    return kAbort;
}

// The engine may call this on a thread of its own; nothing may escape.
Result PAKLOOM_ENGINE_CALL ArchiveExtractCallback::GetStream(std::uint32_t index,
                                                             ISequentialOutStream** stream, std::int32_t) {
    try {
        return PlaceItem(index, stream);
    } catch (const std::exception& error) {
        LogToHost("%s: Caught exception: %s.", kPlace, error.what());
    } catch (...) {
        LogToHost("%s: Caught unknown exception.", kPlace);
    }
    return kFail;
}

Result ArchiveExtractCallback::PlaceItem(std::uint32_t index, ISequentialOutStream** stream) {
    std::u16string itemPath;
    {
        Mswin::PropertyVariant path;
        const Result result = archive_->GetProperty(index, kPropertyPath, path.Address());
        if (result < 0) {
            LogToHost("%s: Failed to get \"path\" property: 0x%x.", kPlace, static_cast<unsigned>(result));
            return result;
        }
        if (path.Type() == Mswin::PropertyVariant::kEmpty) {
            LogToHost("%s: Failed to get \"path\" property. Property is empty.", kPlace);
            return kFail;
        }
        if (path.Type() != Mswin::PropertyVariant::kString) {
            LogToHost("%s: Failed to get \"path\" property. Property is not a string.", kPlace);
            return kFail;
        }
        itemPath = path.StringValue();
    }

    bool isFolder = false;
    {
        Mswin::PropertyVariant flag;
        Result result = archive_->GetProperty(index, kPropertyIsDirectory, flag.Address());
        if (result >= 0) {
            if (flag.Type() == Mswin::PropertyVariant::kBoolean) {
                isFolder = flag.BooleanValue();
            } else if (flag.Type() != Mswin::PropertyVariant::kEmpty) {
                result = kFail;
            }
        }
        if (result < 0) {
            LogToHost("%s: Failed to get \"is_directory\" property: 0x%x.", kPlace,
                      static_cast<unsigned>(result));
            return result;
        }
    }

    // The engine reports paths as they were stored, "../x" and absolute ones
    // included; only a front end sanitises them. Such an item could write
    // anywhere the process may, so it is refused and the extraction fails.
    if (Mswin::LeavesFolder(itemPath)) {
        LogToHost("%s: Refused item outside the destination folder: %s.", kPlace,
                  Mswin::Utf16ToUtf8(itemPath).c_str());
        return kFail;
    }

    const std::u16string fullPath = Mswin::AppendPath(destinationFolder_, itemPath);
    if (isFolder) {
        Mswin::CreateDirectories(fullPath);
        return kOk;
    }
    if (!stream) {
        LogToHost("%s: Failed to open output stream.", kPlace);
        return kInvalidArgument;
    }
    Mswin::CreateDirectories(Mswin::RemoveFilename(fullPath));
    auto* output = new FileOutStream(fullPath);
    output->AddRef();
    *stream = output;
    return kOk;
}

}  // namespace SevenZip
