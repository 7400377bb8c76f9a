#pragma once

#include <filesystem>
#include <string>

namespace tarnwick::test {

// Names beyond ASCII as users write them, in UTF-8: Latin letters with
// marks, CJK, a character outside the Basic Multilingual Plane (a surrogate
// pair in UTF-16) and Greek; each is a file, and two sit in folders of the
// same kind.
struct NameBeyondAscii {
    const char* folder;  // empty for none
    const char* file;
};
inline constexpr NameBeyondAscii kNamesBeyondAscii[] = {
    {"", "Ünïcode näme.txt"},    {"", "日本語.txt"},          {"", "emoji 😀.txt"},
    {"Ordner ä", "Datei ß.txt"}, {"Ελληνικά", "κείμενο.txt"},
};

// "café.txt" with é as the single byte of the Western ANSI code page
// (1252): what older packers wrote, and no valid UTF-8.
inline constexpr char kWesternAnsiName[] = "caf\xE9.txt";

// A path from UTF-8 text and back, as the platform layer's paths are on
// Windows; elsewhere the bytes stay as they are.
inline std::filesystem::path utf8Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
inline std::string utf8Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace tarnwick::test
