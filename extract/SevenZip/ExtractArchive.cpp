#include "extract/SevenZip/ExtractArchive.h"

#include <exception>

#include "extract/Mswin/ScopedLoadLibrary.h"
#include "extract/SevenZip/ArchiveExtractCallback.h"
#include "extract/SevenZip/ArchiveOpenCallback.h"
#include "extract/SevenZip/EngineInterfaces.h"
#include "extract/SevenZip/EngineLayout.h"
#include "extract/SevenZip/FileInStream.h"
#include "extract/SevenZip/HostLog.h"
#include "extract/SevenZip/InterfaceHolder.h"

namespace SevenZip {
namespace {

constexpr const char* kPlace = "ExtractArchive";

// The engine's entry point: class id, interface id, out object.
using CreateObjectFunction = Result(PAKLOOM_ENGINE_CALL*)(const Guid*, const Guid*, void**);

// The steps of one extraction. The holders are declared in the order their
// references are taken, so any way out releases them in reverse: extract
// callback, open callback, stream, archive, and the module last of all.
int Extract(const std::u16string& engineLibraryPath, const std::u16string& archivePath,
            const std::u16string& destinationFolder) {
    const Mswin::ScopedLoadLibrary module(engineLibraryPath);
    const auto createObject = reinterpret_cast<CreateObjectFunction>(module.FindEntryPoint("CreateObject"));
    if (!createObject) {
        LogToHost("%s: Could not locate CreateObject in 7zip DLL.", kPlace);
        return 0;
    }
    // Before any engine object exists: each of its methods in another layout
    // would reach the wrong function.
    const std::string unsupported = UnsupportedEngineLayout(module);
    if (!unsupported.empty()) {
        LogToHost("%s: Unsupported 7zip DLL: %s.", kPlace, unsupported.c_str());
        return 0;
    }

    InterfaceHolder<IInArchive> archive;
    const Result created =
        createObject(&kSevenZipFormatId, &kIInArchiveId, reinterpret_cast<void**>(archive.Receive()));
    if (created != kOk) {
        LogToHost("%s: CreateObject() failed with: %x.", kPlace, static_cast<unsigned>(created));
        return 0;
    }

    InterfaceHolder<FileInStream> stream(new FileInStream(archivePath));
    InterfaceHolder<ArchiveOpenCallback> openCallback(new ArchiveOpenCallback);
    const Result opened = archive->Open(stream.Get(), nullptr, openCallback.Get());
    if (opened != kOk) {
        LogToHost("%s: Failed to open IInArchive: %x.", kPlace, static_cast<unsigned>(opened));
        return 0;
    }

    InterfaceHolder<ArchiveExtractCallback> extractCallback(
        new ArchiveExtractCallback(archive.Get(), destinationFolder));
    const Result extracted = archive->Extract(nullptr, 0xFFFFFFFFu, 0, extractCallback.Get());
    if (extracted != kOk) {
        LogToHost("%s: IInArchive::Extract() failed: %x.", kPlace, static_cast<unsigned>(extracted));
        return 0;
    }
    return 1;
}

}  // namespace

int ExtractToFolder(const std::u16string& engineLibraryPath, const std::u16string& archivePath,
                    const std::u16string& destinationFolder) {
    try {
        return Extract(engineLibraryPath, archivePath, destinationFolder);
    } catch (const Mswin::ScopedLoadLibrary::LoadLibraryFailedException&) {
        LogToHost("%s: Failed to load 7zip DLL.", kPlace);
    } catch (const std::exception& error) {
        LogToHost("%s: Caught exception: %s", kPlace, error.what());
    } catch (...) {
        LogToHost("%s: Caught unknown exception.", kPlace);
    }
    return 0;
}

}  // namespace SevenZip
