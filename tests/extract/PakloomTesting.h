#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "extract/SevenZip/Pakloom.h"

namespace pakloom::test {

// A path given with forward slashes, in the platform's own spelling.
std::u16string NativePath(const std::string& path);
std::u16string EnginePath();
std::u16string ArchivePath(const std::string& name);
// A source file the archives were made from.
std::filesystem::path ArchiveSource(const std::string& relative);

// The built library, loaded by path once, as a host loads it.
struct Pakloom {
    ExtractArchiveFunction extractArchive;
    SetLogCallbackFunction setLogCallback;
};
const Pakloom& LoadedPakloom();

// The lines the library handed to its host, from any thread.
void RecordLine(const char* line);
std::vector<std::string> TakeRecordedLines();

int Extract(const std::u16string& engine, const std::u16string& archive, const std::u16string& destination);

std::string FileText(const std::filesystem::path& path);

// Platform files: whether a module at path is loaded in this process, and
// setting a variable of the process environment.
bool IsModuleLoaded(const std::u16string& path);
void SetEnvironment(const std::string& name, const std::string& value);

}  // namespace pakloom::test
