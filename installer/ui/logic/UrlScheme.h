#pragma once

#include <string>
#include <string_view>

namespace tarnwick::ui {

// How addresses handed to openUrl are completed and routed. Every "begins
// with" test ignores the case of letters.

bool startsWithNoCase(std::string_view text, std::string_view prefix);

// The scheme to put before a text that has none, or an empty view when the
// text already begins with a scheme the installer knows.
std::string_view schemePrefixFor(std::string_view text);

enum class UrlOpener { Browser, MailClient, Shell };

struct UrlRoute {
    std::string address;
    UrlOpener opener = UrlOpener::Shell;
    bool operator==(const UrlRoute&) const = default;
};

// Addresses are assembled in buffers of this many bytes, terminator included;
// longer ones are cut rather than overrun.
constexpr std::size_t kAddressBufferSize = 2048;

// The completed address and where it is opened.
UrlRoute routeUrl(std::string_view text);

// The address as the browser gets it: with "http://" before it unless it is
// already an http or https address.
std::string browserAddress(std::string_view url);

// The address as the mail client gets it: with "mailto:" before it unless
// it has that already.
std::string mailAddress(std::string_view url);

}  // namespace tarnwick::ui
