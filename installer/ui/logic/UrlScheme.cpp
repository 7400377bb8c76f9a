#include "installer/ui/logic/UrlScheme.h"

#include <algorithm>
#include <array>

namespace tarnwick::ui {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string withPrefix(std::string_view prefix, std::string_view text) {
    std::string address;
    address.reserve(prefix.size() + text.size());
    address.append(prefix).append(text);
    if (address.size() > kAddressBufferSize - 1) address.resize(kAddressBufferSize - 1);
    return address;
}

bool isWebAddress(std::string_view text) {
    return startsWithNoCase(text, "http://") || startsWithNoCase(text, "https://");
}

}  // namespace

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(),
                                                      [](char a, char b) { return lower(a) == lower(b); });
}

std::string_view schemePrefixFor(std::string_view text) {
    constexpr std::array<std::string_view, 5> kKnownSchemes = {"http://", "https://", "ftp://", "rtsp://",
                                                               "mailto:"};
    for (std::string_view scheme : kKnownSchemes) {
        if (startsWithNoCase(text, scheme)) return {};
    }
    if (startsWithNoCase(text, "www.")) return "http://";
    if (startsWithNoCase(text, "ftp.")) return "ftp://";
    if (text.find('@') != std::string_view::npos && text.find('/') == std::string_view::npos)
        return "mailto:";
    return "http://";
}

UrlRoute routeUrl(std::string_view text) {
    std::string address = withPrefix(schemePrefixFor(text), text);
    UrlOpener opener = UrlOpener::Shell;
    if (isWebAddress(address)) {
        opener = UrlOpener::Browser;
    } else if (startsWithNoCase(address, "mailto:")) {
        opener = UrlOpener::MailClient;
    }
    return {std::move(address), opener};
}

std::string browserAddress(std::string_view url) {
    return withPrefix(isWebAddress(url) ? std::string_view() : "http://", url);
}

std::string mailAddress(std::string_view url) {
    return withPrefix(startsWithNoCase(url, "mailto:") ? std::string_view() : "mailto:", url);
}

}  // namespace tarnwick::ui
