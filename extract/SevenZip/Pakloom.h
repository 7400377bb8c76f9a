/* The extraction library's interface for host programs.
 *
 *   int ExtractArchive(engineLibraryPath, archivePath, destinationFolder)
 *       Loads the 7-Zip engine library at engineLibraryPath, opens the 7z
 *       archive and extracts every item below destinationFolder (created as
 *       needed). Paths are zero-terminated UTF-16. Answers 1 on success, 0
 *       otherwise; what went wrong goes to the log callback.
 *   void SetLogCallback(callback)
 *       Registers the function that receives each log line (UTF-8, no line
 *       terminator added, valid only during the call); null switches it off.
 *       It may be called from any thread that runs an extraction.
 *
 * On Windows both functions are __stdcall (PAKLOOM_API), exported under their
 * plain names on x86 and x64 alike; the callback is called as a plain C
 * function (__cdecl on x86).
 */
#pragma once

#ifdef _WIN32
#define PAKLOOM_API __stdcall
#define PAKLOOM_EXPORT
typedef wchar_t PakloomChar;
#else
#define PAKLOOM_API
#define PAKLOOM_EXPORT __attribute__((visibility("default")))
typedef char16_t PakloomChar;
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*PakloomLogCallback)(const char* line);

PAKLOOM_EXPORT int PAKLOOM_API ExtractArchive(const PakloomChar* engineLibraryPath,
                                              const PakloomChar* archivePath,
                                              const PakloomChar* destinationFolder);
PAKLOOM_EXPORT void PAKLOOM_API SetLogCallback(PakloomLogCallback callback);

typedef int(PAKLOOM_API* ExtractArchiveFunction)(const PakloomChar*, const PakloomChar*, const PakloomChar*);
typedef void(PAKLOOM_API* SetLogCallbackFunction)(PakloomLogCallback);

#ifdef __cplusplus
}
#endif
