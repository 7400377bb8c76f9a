#include "extract/Mswin/Directories.h"

#include <boost/tokenizer.hpp>

#include "extract/Mswin/Files.h"
#include "extract/Mswin/Paths.h"
#include "extract/Mswin/Text.h"
#include "extract/Ostrel/Log.h"

namespace Mswin {

namespace {

// Every character the system reads as a separator: a path may mix them
// (Windows takes "C:/out\sub" as well as "C:\out\sub").
std::string SeparatorCharacters() {
    std::string characters;
    for (const char c : {'\\', '/'}) {
        if (IsSeparator(static_cast<char16_t>(c))) characters += c;
    }
    return characters;
}

}  // namespace

void CreateDirectories(const std::u16string& path) {
    const std::string text = Utf16ToUtf8(path);

    // Leading separators are kept: without them an absolute path would be
    // rebuilt relative to the current folder. Two of them start a network
    // path, whose server and share names cannot be created, only used.
    std::size_t rootLength = 0;
    while (rootLength < text.size() && IsSeparator(static_cast<char16_t>(text[rootLength])))
        ++rootLength;
    std::u16string built = Utf8ToUtf16(text.substr(0, rootLength));
    int unprobed = rootLength >= 2 ? 2 : 0;

    const std::string separators = SeparatorCharacters();
    const boost::char_separator<char> split(separators.c_str());
    const boost::tokenizer<boost::char_separator<char>> pieces(text, split);
    for (const std::string& piece : pieces) {
        built += Utf8ToUtf16(piece);
        built += PathSeparator();
        if (unprobed > 0) {
            --unprobed;
            continue;
        }
        if (!EntryExists(built) && !MakeDirectory(built))
            Ostrel::Log::ThrowWithLastErrorFormat("Failed to create directory (%1%):", Utf16ToUtf8(built));
    }
}

}  // namespace Mswin
