#include "core/web/asset_url.h"

#include <gtest/gtest.h>

namespace {

TEST(Navigation, OnlyTheTwoAssetOriginsAreAllowed) {
    for (const char* url : {"http://wlp.localhost/", "http://wlp.localhost/index.html", "wlp://localhost/",
                            "wlp://localhost/other.html", "http://wlp.localhost//x?y#z"}) {
        EXPECT_TRUE(core::is_allowed_navigation(url)) << url;
    }
    for (const char* url : {"https://wlp.localhost/", "http://wlp.localhost", "wlp://localhost",
                            "HTTP://wlp.localhost/", "http://WLP.localhost/", "wlp://LOCALHOST/",
                            "http://wlp.localhost.evil/", "http://wlp.localhost:80/", "about:blank",
                            "file:///C:/index.html", "https://example.com/", "", " http://wlp.localhost/",
                            "wlp://localhost\\x"}) {
        EXPECT_FALSE(core::is_allowed_navigation(url)) << url;
    }
}

TEST(AssetUrls, StartUrlKeepsTheEntryUnencodedAndMapsOntoTheWebViewForm) {
    EXPECT_EQ(core::start_url("index.html"), "wlp://localhost/index.html");
    EXPECT_EQ(core::start_url("场景/主页 1.html"), "wlp://localhost/场景/主页 1.html");
    EXPECT_EQ(core::webview_url("wlp://localhost/a/b.html?x"), "http://wlp.localhost/a/b.html?x");
    EXPECT_EQ(core::webview_url("wlp://localhost/"), "http://wlp.localhost/");
    EXPECT_EQ(core::webview_url("http://wlp.localhost/a.html"), "http://wlp.localhost/a.html");
    EXPECT_EQ(core::webview_url("wlp://localhostx/a.html"), "wlp://localhostx/a.html");
}

}  // namespace
