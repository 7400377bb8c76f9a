#pragma once

#include <string>

#include "installer/net/ProxySettings.h"
#include "tests/support/ScriptedPeer.h"

namespace tarnwick::test {

// The addresses of the peers that the suite's fixture started (see
// net-peers.sh); this build's own network keeps suites that run at the same
// time apart.
std::string peerAddress(int host);
inline const std::string kWebServer = peerAddress(10);
inline const std::string kOtherWebServer = peerAddress(11);
inline const std::string kAuthHttpProxy = peerAddress(20);
inline const std::string kOpenHttpProxy = peerAddress(21);
inline constexpr std::uint16_t kHttpProxyPort = 3128;
inline const std::string kSocksProxy = peerAddress(30);
inline const std::string kSocksAuthProxy = peerAddress(31);
inline const std::string kSocksBlocked = peerAddress(32);
inline constexpr std::uint16_t kSocksPort = 1080;
inline const std::string kScripted = peerAddress(40);
inline const std::string kNobody = peerAddress(50);

inline constexpr const char* kSocksUser = "tarnwick-socks";
inline constexpr const char* kSocksPassword = "socks-pass";
inline constexpr const char* kProxyUser = "tarnwick";
inline constexpr const char* kProxyPassword = "proxy-pass";

// The files the web server serves, read from its own folder.
std::string servedFile(const std::string& name);
ScriptedPeer scriptedPeer();

// The process-wide settings with both proxies off and every field at its
// default. The settings live in a "Tarnwick Prefs" folder beside the test
// program, so that the suite never touches the user's own.
ProxySettings& directSettings();

}  // namespace tarnwick::test
