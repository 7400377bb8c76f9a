#include "installer/net/ProxySettings.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "installer/core/FileStream.h"
#include "installer/platform/Folders.h"

namespace tarnwick {

namespace {

// The settings file, all integers big-endian, texts as one length byte and
// that many bytes (below 64 on reading):
//
//   +--------+--------+--------+---+------+----+------+------+---+---+------+----+------+------+
//   | "TWtw" | "Prox" |   1    |use| host |port| user | pass |use|ver| host |port| user | pass |
//   +--------+--------+--------+---+------+----+------+------+---+---+------+----+------+------+
//      u32      u32      u32    u8  HTTP proxy...              u8  u8  SOCKS proxy...
constexpr std::uint32_t kMagic = 0x54577477;      // "TWtw"
constexpr std::uint32_t kRecordTag = 0x50726F78;  // "Prox"
constexpr std::uint32_t kVersion = 1;

}  // namespace

ProxySettings::ProxySettings(std::string settingsPath) : settingsPath_(std::move(settingsPath)) {
    load();
}

ProxySettings& ProxySettings::instance() {
    // Lives until the process ends, like the configuration it stands for.
    static ProxySettings* const settings = new ProxySettings(preferencesFolder() + "Proxies");
    return *settings;
}

void ProxySettings::load() {
    initialized_ = false;
    try {
        readFile();
        initialized_ = true;
        changed_ = false;
    } catch (FailureCode) {
        resetToDefaults();
    }
}

void ProxySettings::readFile() {
    FileStream file(settingsPath_.c_str(), "rb");
    if (file.readU32() != kMagic || file.readU32() != kRecordTag || file.readU32() != kVersion) {
        throw kStreamFailure;
    }
    useHttpProxy_ = file.readU8() != 0;
    file.readString(httpProxyHost_, kTextCapacity);
    httpProxyPort_ = file.readU16();
    file.readString(httpProxyUser_, kTextCapacity);
    file.readString(httpProxyPassword_, kTextCapacity);
    useSocksProxy_ = file.readU8() != 0;
    socksVersion_ = file.readU8();
    file.readString(socksHost_, kTextCapacity);
    socksPort_ = file.readU16();
    file.readString(socksUser_, kTextCapacity);
    file.readString(socksPassword_, kTextCapacity);
}

void ProxySettings::resetToDefaults() {
    if (initialized_) {
        return;
    }
    useHttpProxy_ = false;
    httpProxyHost_[0] = '\0';
    httpProxyPort_ = 0;
    httpProxyUser_[0] = '\0';
    httpProxyPassword_[0] = '\0';
    useSocksProxy_ = false;
    socksVersion_ = 4;
    socksHost_[0] = '\0';
    socksPort_ = 0;
    socksUser_[0] = '\0';
    socksPassword_[0] = '\0';
    initialized_ = true;
    changed_ = false;
}

void ProxySettings::save() {
    if (!changed_) {
        return;
    }
    try {
        writeFile();
        changed_ = false;
    } catch (FailureCode) {
        std::remove(settingsPath_.c_str());
    }
}

void ProxySettings::writeFile() {
    FileStream file(settingsPath_.c_str(), "wb");
    file.writeU32(kMagic);
    file.writeU32(kRecordTag);
    file.writeU32(kVersion);
    file.writeU8(useHttpProxy_ ? 1 : 0);
    file.writeString(httpProxyHost_);
    file.writeU16(httpProxyPort_);
    file.writeString(httpProxyUser_);
    file.writeString(httpProxyPassword_);
    file.writeU8(useSocksProxy_ ? 1 : 0);
    file.writeU8(socksVersion_);
    file.writeString(socksHost_);
    file.writeU16(socksPort_);
    file.writeString(socksUser_);
    file.writeString(socksPassword_);
    // The writes above only filled a buffer: on a full disk it is closing
    // that fails, and a file left empty would read as "no proxy" next time.
    file.close();
}

void ProxySettings::validate() {
    if (useHttpProxy_ && (httpProxyHost_[0] == '\0' || httpProxyPort_ == 0)) {
        setUseHttpProxy(false);
    }
    if (useSocksProxy_ && (socksHost_[0] == '\0' || socksPort_ == 0)) {
        setUseSocksProxy(false);
    }
}

void ProxySettings::setText(Text& field, const char* value) {
    // The dialog passes its entries on without a limit of its own; a longer
    // text keeps what fits, and nothing is ever written past the field.
    Text fitted = {};
    if (value != nullptr) {
        std::strncpy(fitted, value, kTextCapacity - 1);
    }
    if (std::strcmp(fitted, field) != 0) {
        std::memcpy(field, fitted, kTextCapacity);
        changed_ = true;
    }
}

template <typename Value>
void ProxySettings::setValue(Value& field, Value value) {
    if (field != value) {
        field = value;
        changed_ = true;
    }
}

void ProxySettings::setUseHttpProxy(bool value) {
    setValue(useHttpProxy_, value);
}
void ProxySettings::setHttpProxyHost(const char* value) {
    setText(httpProxyHost_, value);
}
void ProxySettings::setHttpProxyPort(std::uint16_t value) {
    setValue(httpProxyPort_, value);
}
void ProxySettings::setHttpProxyUser(const char* value) {
    setText(httpProxyUser_, value);
}
void ProxySettings::setHttpProxyPassword(const char* value) {
    setText(httpProxyPassword_, value);
}
void ProxySettings::setUseSocksProxy(bool value) {
    setValue(useSocksProxy_, value);
}
void ProxySettings::setSocksVersion(std::uint8_t value) {
    setValue(socksVersion_, value);
}
void ProxySettings::setSocksHost(const char* value) {
    setText(socksHost_, value);
}
void ProxySettings::setSocksPort(std::uint16_t value) {
    setValue(socksPort_, value);
}
void ProxySettings::setSocksUser(const char* value) {
    setText(socksUser_, value);
}
void ProxySettings::setSocksPassword(const char* value) {
    setText(socksPassword_, value);
}

std::string preferencesFolder() {
    const char separator = platform::kPathSeparator;
    const std::string programFolder = platform::programFolder();
    const std::string beside = programFolder + "Tarnwick Prefs" + separator;
    if (platform::folderExists(beside)) {
        return beside;
    }
    const std::string userData = platform::userDataFolder();
    if (!userData.empty()) {
        platform::createFolder(userData + "Tarnwick");
        const std::string own = userData + "Tarnwick" + separator + "Tarnwick Prefs" + separator;
        platform::createFolder(own);
        if (platform::folderExists(own)) {
            return own;
        }
    }
    return programFolder;
}

}  // namespace tarnwick
