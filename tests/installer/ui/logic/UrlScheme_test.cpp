#include "installer/ui/logic/UrlScheme.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::ui {
namespace {

TEST(SchemePrefix, KnownSchemesGetNoneWhateverTheirCase) {
    for (const char* text : {"http://a", "HTTPS://a", "ftp://a", "Rtsp://a", "MAILTO:x@y"}) {
        EXPECT_EQ(schemePrefixFor(text), "") << text;
    }
}

TEST(SchemePrefix, GuessesFromTheBeginningThenFromTheShape) {
    EXPECT_EQ(schemePrefixFor("www.example.org"), "http://");
    EXPECT_EQ(schemePrefixFor("WWW.example.org"), "http://");
    EXPECT_EQ(schemePrefixFor("ftp.example.org"), "ftp://");
    EXPECT_EQ(schemePrefixFor("someone@example.org"), "mailto:");
    EXPECT_EQ(schemePrefixFor("example.org/someone@x"), "http://") << "an @ with a / is a web address";
    EXPECT_EQ(schemePrefixFor("example.org"), "http://");
    EXPECT_EQ(schemePrefixFor(""), "http://");
    EXPECT_EQ(schemePrefixFor("ftp.x@y"), "ftp://") << "the beginning is tested before the @";
}

TEST(UrlRouting, PicksTheOpenerFromTheCompletedAddress) {
    EXPECT_EQ(routeUrl("www.example.org"), (UrlRoute{"http://www.example.org", UrlOpener::Browser}));
    EXPECT_EQ(routeUrl("HTTPS://Example.org"), (UrlRoute{"HTTPS://Example.org", UrlOpener::Browser}));
    EXPECT_EQ(routeUrl("ftp.example.org"), (UrlRoute{"ftp://ftp.example.org", UrlOpener::Shell}));
    EXPECT_EQ(routeUrl("rtsp://media"), (UrlRoute{"rtsp://media", UrlOpener::Shell}));
    EXPECT_EQ(routeUrl("a@b.org"), (UrlRoute{"mailto:a@b.org", UrlOpener::MailClient}));
    EXPECT_EQ(routeUrl("a@b.org/x"), (UrlRoute{"http://a@b.org/x", UrlOpener::Browser}));
}

TEST(UrlRouting, LongAddressesAreCutToTheBuffer) {
    const std::string longText(5000, 'a');
    const UrlRoute route = routeUrl(longText);
    EXPECT_EQ(route.address.size(), kAddressBufferSize - 1);
    EXPECT_EQ(route.address.substr(0, 7), "http://");
}

TEST(BrowserAndMailAddresses, AddTheirSchemeOnlyWhenMissing) {
    EXPECT_EQ(browserAddress("example.org"), "http://example.org");
    EXPECT_EQ(browserAddress("Http://example.org"), "Http://example.org");
    EXPECT_EQ(browserAddress("https://example.org"), "https://example.org");
    EXPECT_EQ(browserAddress("ftp://example.org"), "http://ftp://example.org");
    EXPECT_EQ(mailAddress("a@b.org"), "mailto:a@b.org");
    EXPECT_EQ(mailAddress("MailTo:a@b.org"), "MailTo:a@b.org");
}

}  // namespace
}  // namespace tarnwick::ui
