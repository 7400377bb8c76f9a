// The proxy settings file as the installer finds it in the preferences
// folder: whatever it holds is loaded (or the defaults taken), and what was
// loaded must come back unchanged once it is written and read again.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "installer/net/ProxySettings.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace tarnwick;

namespace {

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) fuzz::fail("the scratch folder cannot be written");
    if (size != 0 && std::fwrite(data, 1, size, file) != size)
        fuzz::fail("the scratch folder cannot be written");
    std::fclose(file);
}

void requireText(const char* text) {
    if (std::strlen(text) >= ProxySettings::kTextCapacity) fuzz::fail("a text overran its field");
}

bool sameText(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

bool same(const ProxySettings& a, const ProxySettings& b) {
    return a.useHttpProxy() == b.useHttpProxy() && sameText(a.httpProxyHost(), b.httpProxyHost()) &&
           a.httpProxyPort() == b.httpProxyPort() && sameText(a.httpProxyUser(), b.httpProxyUser()) &&
           sameText(a.httpProxyPassword(), b.httpProxyPassword()) && a.useSocksProxy() == b.useSocksProxy() &&
           a.socksVersion() == b.socksVersion() && sameText(a.socksHost(), b.socksHost()) &&
           a.socksPort() == b.socksPort() && sameText(a.socksUser(), b.socksUser()) &&
           sameText(a.socksPassword(), b.socksPassword());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& scratch = fuzz::prepareProcess();
    const std::string found = (scratch / "Proxies").string();
    const std::string written = (scratch / "Proxies.written").string();
    writeFile(found, data, size);
    std::remove(written.c_str());

    ProxySettings settings(found);
    for (const char* text : {settings.httpProxyHost(), settings.httpProxyUser(), settings.httpProxyPassword(),
                             settings.socksHost(), settings.socksUser(), settings.socksPassword()})
        requireText(text);

    // A copy made through the setters, saved and loaded again.
    ProxySettings copy(written);
    copy.setUseHttpProxy(settings.useHttpProxy());
    copy.setHttpProxyHost(settings.httpProxyHost());
    copy.setHttpProxyPort(settings.httpProxyPort());
    copy.setHttpProxyUser(settings.httpProxyUser());
    copy.setHttpProxyPassword(settings.httpProxyPassword());
    copy.setUseSocksProxy(settings.useSocksProxy());
    copy.setSocksVersion(settings.socksVersion());
    copy.setSocksHost(settings.socksHost());
    copy.setSocksPort(settings.socksPort());
    copy.setSocksUser(settings.socksUser());
    copy.setSocksPassword(settings.socksPassword());
    copy.save();
    ProxySettings reloaded(written);
    if (!same(settings, reloaded)) fuzz::fail("settings changed on their way through the file");

    settings.validate();
    if (settings.useHttpProxy() && (settings.httpProxyHost()[0] == '\0' || settings.httpProxyPort() == 0))
        fuzz::fail("an HTTP proxy without host or port stayed in use");
    if (settings.useSocksProxy() && (settings.socksHost()[0] == '\0' || settings.socksPort() == 0))
        fuzz::fail("a SOCKS proxy without host or port stayed in use");
    return 0;
}
