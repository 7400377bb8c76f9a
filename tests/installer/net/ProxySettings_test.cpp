#include "installer/net/ProxySettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "installer/platform/Folders.h"
#include "tests/installer/net/NetTestPeers.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/UserDataFolder.h"

namespace tarnwick {
namespace {

class ProxySettingsTest : public ::testing::Test {
protected:
    std::string bytes() const {
        std::ifstream file(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    void writeBytes(const std::string& content) const { std::ofstream(path_, std::ios::binary) << content; }

    static void expectDefaults(const ProxySettings& settings) {
        EXPECT_FALSE(settings.useHttpProxy());
        EXPECT_STREQ(settings.httpProxyHost(), "");
        EXPECT_EQ(settings.httpProxyPort(), 0);
        EXPECT_STREQ(settings.httpProxyUser(), "");
        EXPECT_STREQ(settings.httpProxyPassword(), "");
        EXPECT_FALSE(settings.useSocksProxy());
        EXPECT_EQ(settings.socksVersion(), 4);
        EXPECT_STREQ(settings.socksHost(), "");
        EXPECT_EQ(settings.socksPort(), 0);
        EXPECT_STREQ(settings.socksUser(), "");
        EXPECT_STREQ(settings.socksPassword(), "");
        EXPECT_FALSE(settings.changed());
    }

    test::ScratchDir scratch_;
    std::string path_ = scratch_.file("Proxies");
};

// The file of a configuration with both proxies, byte for byte.
const std::string kFullFile = std::string("TWtwProx\0\0\0\1", 12) + '\1' + "\x0Aproxy.test" + "\x0C\x38" +
                              "\4user" + "\4pass" + '\1' + '\5' + "\x09socks.lan" + "\x04\x38" + "\2su" +
                              std::string("\0", 1);

TEST_F(ProxySettingsTest, WritesTheFileLayoutAndReadsItBack) {
    {
        ProxySettings settings(path_);
        expectDefaults(settings);
        settings.save();
        EXPECT_FALSE(std::filesystem::exists(path_)) << "nothing to save before a change";
        settings.setUseHttpProxy(true);
        settings.setHttpProxyHost("proxy.test");
        settings.setHttpProxyPort(3128);
        settings.setHttpProxyUser("user");
        settings.setHttpProxyPassword("pass");
        settings.setUseSocksProxy(true);
        settings.setSocksVersion(5);
        settings.setSocksHost("socks.lan");
        settings.setSocksPort(1080);
        settings.setSocksUser("su");
        EXPECT_TRUE(settings.changed());
        settings.save();
        EXPECT_FALSE(settings.changed());
    }
    EXPECT_EQ(bytes(), kFullFile);
    ProxySettings loaded(path_);
    EXPECT_TRUE(loaded.useHttpProxy());
    EXPECT_STREQ(loaded.httpProxyHost(), "proxy.test");
    EXPECT_EQ(loaded.httpProxyPort(), 3128);
    EXPECT_STREQ(loaded.httpProxyPassword(), "pass");
    EXPECT_EQ(loaded.socksVersion(), 5);
    EXPECT_STREQ(loaded.socksHost(), "socks.lan");
    EXPECT_EQ(loaded.socksPort(), 1080);
    EXPECT_STREQ(loaded.socksUser(), "su");
    EXPECT_STREQ(loaded.socksPassword(), "");
    EXPECT_FALSE(loaded.changed());
}

TEST_F(ProxySettingsTest, AnyDamagedFileGivesTheDefaults) {
    std::string longHost = kFullFile;
    longHost.replace(13, 11, "\x40" + std::string(64, 'h'));
    const std::string damaged[] = {
        "",                                                     // empty
        "XXtw" + kFullFile.substr(4),                           // foreign magic
        "TWtwPrxy" + kFullFile.substr(8),                       // foreign record
        kFullFile.substr(0, 11) + '\2' + kFullFile.substr(12),  // version 2
        longHost,                                               // a text of 64 bytes
        kFullFile.substr(0, kFullFile.size() - 1),              // short
    };
    for (const auto& content : damaged) {
        writeBytes(content);
        ProxySettings settings(path_);
        expectDefaults(settings);
    }
    std::filesystem::remove(path_);
    ProxySettings missing(path_);
    expectDefaults(missing);
}

TEST_F(ProxySettingsTest, AfterAnOlderFileTheNextChangeWritesVersionOne) {
    writeBytes(kFullFile.substr(0, 11) + '\2' + kFullFile.substr(12));
    ProxySettings settings(path_);
    settings.save();
    EXPECT_EQ(bytes()[11], '\2') << "unchanged settings are not written";
    settings.setSocksPort(9050);
    settings.save();
    EXPECT_EQ(bytes().substr(0, 12), std::string("TWtwProx\0\0\0\1", 12));
}

TEST_F(ProxySettingsTest, BytesBehindTheLastTextAreIgnored) {
    writeBytes(kFullFile + "trailing");
    ProxySettings settings(path_);
    EXPECT_STREQ(settings.socksUser(), "su");
}

TEST_F(ProxySettingsTest, SettersMarkOnlyRealChangesAndKeepTextsInTheirFields) {
    ProxySettings settings(path_);
    settings.setSocksVersion(4);
    settings.setHttpProxyHost("");
    settings.setSocksUser(nullptr);
    EXPECT_FALSE(settings.changed());
    const std::string longText(100, 'x');
    settings.setSocksPassword(longText.c_str());
    EXPECT_EQ(std::string(settings.socksPassword()), longText.substr(0, 63));
    settings.save();
    ProxySettings loaded(path_);
    EXPECT_EQ(std::string(loaded.socksPassword()), longText.substr(0, 63));
}

TEST_F(ProxySettingsTest, ValidateSwitchesOffAProxyWithoutHostOrPort) {
    ProxySettings settings(path_);
    settings.setUseHttpProxy(true);
    settings.setHttpProxyHost("proxy.test");
    settings.setUseSocksProxy(true);
    settings.setSocksPort(1080);
    settings.validate();
    EXPECT_FALSE(settings.useHttpProxy());
    EXPECT_FALSE(settings.useSocksProxy());
    settings.setUseSocksProxy(true);
    settings.setSocksHost("socks.lan");
    settings.validate();
    EXPECT_TRUE(settings.useSocksProxy());
}

TEST_F(ProxySettingsTest, AFailedSaveLeavesNoFileAndTriesAgainLater) {
    const std::string blocked = scratch_.file("missing-folder") + "/Proxies";
    ProxySettings settings(blocked);
    settings.setSocksHost("socks.lan");
    settings.save();
    EXPECT_TRUE(settings.changed());
    EXPECT_FALSE(std::filesystem::exists(blocked));
    std::filesystem::create_directories(scratch_.file("missing-folder"));
    settings.save();
    EXPECT_FALSE(settings.changed());
    EXPECT_TRUE(std::filesystem::exists(blocked));
}

// A full disk accepts the buffered writes and fails only when the file is
// closed; the settings must not count as saved over an empty file.
TEST_F(ProxySettingsTest, AFullDiskCountsAsAFailedSave) {
#ifdef _WIN32
    GTEST_SKIP() << "natively only: the full disk is a link to /dev/full";
#else
    std::filesystem::create_symlink("/dev/full", path_);
    ProxySettings settings(path_);
    settings.setSocksHost("socks.lan");
    settings.save();
    EXPECT_TRUE(settings.changed());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(path_)));
    settings.save();
    EXPECT_FALSE(settings.changed()) << "a later save writes the file";
    EXPECT_EQ(ProxySettings(path_).socksHost(), std::string("socks.lan"));
#endif
}

TEST(PreferencesFolder, AFolderBesideTheProgramWins) {
    test::directSettings();  // makes the folder
    EXPECT_EQ(preferencesFolder(), platform::programFolder() + "Tarnwick Prefs" + platform::kPathSeparator);
}

TEST(PreferencesFolder, OtherwiseItIsMadeInTheUsersApplicationData) {
    test::directSettings();
    const std::string beside = platform::programFolder() + "Tarnwick Prefs";
    const std::string aside = beside + " (aside)";
    std::filesystem::rename(beside, aside);
    {
        const test::ScopedUserDataFolder userData;
        const char separator = platform::kPathSeparator;
        const std::string expected =
            platform::userDataFolder() + "Tarnwick" + separator + "Tarnwick Prefs" + separator;
        EXPECT_EQ(preferencesFolder(), expected);
        EXPECT_TRUE(platform::folderExists(expected));
    }
    std::filesystem::rename(aside, beside);
}

}  // namespace
}  // namespace tarnwick
