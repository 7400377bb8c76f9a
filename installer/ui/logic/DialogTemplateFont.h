#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tarnwick::ui {

// Rewrites an in-memory dialog template, in either the classic or the
// extended form, so that it names the given font face and point size. A
// template without a font gets one (and the style bit that says so); an
// extended template keeps its font weight, italic flag and character set.
// The controls are copied unchanged, realigned to the four-byte boundary
// they must start on. Gives an empty result for a template that ends before
// its own header does.
//
// Classic header:  style u32, exStyle u32, count u16, x y cx cy u16 ...
// Extended header: version u16 = 1, signature u16 = 0xFFFF, helpId u32,
//                  exStyle u32, style u32, count u16, x y cx cy u16 ...
// Both then hold: menu, class (each 0x0000, 0xFFFF + ordinal, or a string),
// the title (a string), and with DS_SETFONT the font: points u16, for the
// extended form weight u16, italic u8, charset u8, then the face (a string).
// Strings are UTF-16, zero-terminated, at two-byte alignment.
std::vector<std::uint8_t> replaceDialogFont(const std::uint8_t* dialogTemplate, std::size_t length,
                                            std::u16string_view face, std::uint16_t points);

}  // namespace tarnwick::ui
