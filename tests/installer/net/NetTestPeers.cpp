#include "tests/installer/net/NetTestPeers.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "installer/platform/Folders.h"

namespace tarnwick::test {

std::string peerAddress(int host) {
    return std::string(TARNWICK_PEER_NETWORK) + "." + std::to_string(host);
}

std::string servedFile(const std::string& name) {
    std::ifstream file(std::string(TARNWICK_PEER_FOLDER) + "/nginx/www/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

ScriptedPeer scriptedPeer() {
    return ScriptedPeer(std::string(TARNWICK_PEER_FOLDER) + "/scripted");
}

ProxySettings& directSettings() {
    static const bool preparedFolder = [] {
        std::filesystem::create_directories(platform::programFolder() + "Tarnwick Prefs");
        return true;
    }();
    (void)preparedFolder;
    ProxySettings& settings = ProxySettings::instance();
    settings.setUseHttpProxy(false);
    settings.setHttpProxyHost("");
    settings.setHttpProxyPort(0);
    settings.setHttpProxyUser("");
    settings.setHttpProxyPassword("");
    settings.setUseSocksProxy(false);
    settings.setSocksVersion(4);
    settings.setSocksHost("");
    settings.setSocksPort(0);
    settings.setSocksUser("");
    settings.setSocksPassword("");
    return settings;
}

}  // namespace tarnwick::test
