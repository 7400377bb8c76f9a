#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// The proxy configuration: an HTTP proxy for the download, a SOCKS proxy for
// every connection (except one to the HTTP proxy itself), or both. One
// process-wide object, loaded from the file "Proxies" in the preferences
// folder on first use and written back by the proxy dialog. It has no lock:
// the dialog edits it only while no update run reads it.
class ProxySettings {
public:
    // Every text holds at most this many bytes plus its NUL.
    static constexpr std::uint32_t kTextCapacity = 64;

    // Loads the file at settingsPath, or applies the defaults.
    explicit ProxySettings(std::string settingsPath);
    ProxySettings(const ProxySettings&) = delete;
    ProxySettings& operator=(const ProxySettings&) = delete;
    virtual ~ProxySettings() = default;

    // The process-wide object, created and loaded on the first call.
    static ProxySettings& instance();

    // Writes the file when a setter changed a value. A failed write leaves no
    // file behind and keeps the changes pending for the next save().
    virtual void save();
    // Reads the file; a missing, foreign, older or damaged one gives the
    // defaults. Never reports anything.
    virtual void load();
    // Applies the defaults, unless valid values are in place already.
    virtual void resetToDefaults();
    // Switches off a proxy that lacks its host or port.
    void validate();

    bool useHttpProxy() const { return useHttpProxy_; }
    const char* httpProxyHost() const { return httpProxyHost_; }
    std::uint16_t httpProxyPort() const { return httpProxyPort_; }
    const char* httpProxyUser() const { return httpProxyUser_; }
    const char* httpProxyPassword() const { return httpProxyPassword_; }
    bool useSocksProxy() const { return useSocksProxy_; }
    // 4 for SOCKS 4; anything else means SOCKS 5.
    std::uint8_t socksVersion() const { return socksVersion_; }
    const char* socksHost() const { return socksHost_; }
    std::uint16_t socksPort() const { return socksPort_; }
    const char* socksUser() const { return socksUser_; }
    const char* socksPassword() const { return socksPassword_; }

    // Each stores the value and marks the settings changed only when it
    // differs from the current one. Texts longer than 63 bytes keep their
    // first 63; null counts as empty.
    void setUseHttpProxy(bool value);
    void setHttpProxyHost(const char* value);
    void setHttpProxyPort(std::uint16_t value);
    void setHttpProxyUser(const char* value);
    void setHttpProxyPassword(const char* value);
    void setUseSocksProxy(bool value);
    void setSocksVersion(std::uint8_t value);
    void setSocksHost(const char* value);
    void setSocksPort(std::uint16_t value);
    void setSocksUser(const char* value);
    void setSocksPassword(const char* value);

    bool changed() const { return changed_; }

private:
    using Text = char[kTextCapacity];
    void setText(Text& field, const char* value);
    template <typename Value>
    void setValue(Value& field, Value value);
    void readFile();
    void writeFile();

    const std::string settingsPath_;
    bool initialized_ = false;
    bool changed_ = false;
    bool useHttpProxy_ = false;
    Text httpProxyHost_ = {};
    std::uint16_t httpProxyPort_ = 0;
    Text httpProxyUser_ = {};
    Text httpProxyPassword_ = {};
    bool useSocksProxy_ = false;
    std::uint8_t socksVersion_ = 4;
    Text socksHost_ = {};
    std::uint16_t socksPort_ = 0;
    Text socksUser_ = {};
    Text socksPassword_ = {};
};

// The installer's preferences folder, ending with the path separator: a
// folder "Tarnwick Prefs" beside the program when there is one (a portable
// copy keeps its preferences with it), else "Tarnwick/Tarnwick Prefs" in the
// user's application data folder, created on demand; the program's own folder
// when neither can be had.
std::string preferencesFolder();

}  // namespace tarnwick
