#include "core/content/content_type.h"

#include <gtest/gtest.h>

namespace {

TEST(ContentType, ExtensionAfterTheLastDotIgnoringAsciiCase) {
    EXPECT_EQ(core::content_type_for_path("index.html"), "text/html; charset=utf-8");
    EXPECT_EQ(core::content_type_for_path("Main.JS"), "text/javascript; charset=utf-8");
    EXPECT_EQ(core::content_type_for_path("lib/x.mjs"), "text/javascript; charset=utf-8");
    EXPECT_EQ(core::content_type_for_path("model.GLB"), "model/gltf-binary");
    EXPECT_EQ(core::content_type_for_path("scene.gltf"), "model/gltf+json");
    EXPECT_EQ(core::content_type_for_path("a.b/c.woff2"), "font/woff2");
    EXPECT_EQ(core::content_type_for_path("fav.ico"), "image/vnd.microsoft.icon");
    EXPECT_EQ(core::content_type_for_path("clip.ogv"), "video/ogg");
    EXPECT_EQ(core::content_type_for_path("music.m4a"), "audio/mp4");
}

TEST(ContentType, UnknownEmptyAndDotlessPaths) {
    for (const char* path : {"archive.tar.gz", "page.htm", "notes.txt", "data.xml", "blob.bin", "README",
                             "ends.", "dir.js/file", "x.jsx"}) {
        EXPECT_EQ(core::content_type_for_path(path), "application/octet-stream") << path;
    }
    // A dotless path is looked up whole.
    EXPECT_EQ(core::content_type_for_path("js"), "text/javascript; charset=utf-8");
    EXPECT_EQ(core::content_type_for_path("css"), "text/css; charset=utf-8");
}

}  // namespace
