#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/crypto/sha.h"
#include "publisher_key.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = TESSARY_SOURCE_DIR;
const fs::path kSample = kSource / "samples/wallpapers/aurora-drift";
constexpr std::string_view kSignatureError = "error: package signature invalid; only publisher packages are accepted";

struct ToolRun {
    int code = -1;
    std::string out;
    std::string err;
};

std::string read_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_text(const fs::path& path, std::string_view text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string shell_quoted(std::string_view arg) {
    std::string text = "'";
    for (const char c : arg) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

class Wallpkg : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("wallpkg_tests." + std::to_string(::getpid()) + "." +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    ToolRun run(const std::vector<std::string>& args) const {
        // From the test's own folder, where "new" writes.
        std::string command = "cd " + shell_quoted(dir_.string()) + " && " + shell_quoted(WALLPKG_PATH);
        for (const std::string& arg : args) command += " " + shell_quoted(arg);
        command += " >" + shell_quoted((dir_ / "stdout").string()) + " 2>" + shell_quoted((dir_ / "stderr").string());
        const int status = std::system(command.c_str());
        ToolRun result;
        result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = read_text(dir_ / "stdout");
        result.err = read_text(dir_ / "stderr");
        return result;
    }

    std::string path(std::string_view name) const { return (dir_ / name).string(); }

    // A fresh key pair: its public key in hex.
    std::string keygen(std::string_view prefix) const {
        const ToolRun made = run({"keygen", "--out", path(prefix)});
        EXPECT_EQ(made.code, 0) << made.err;
        std::string pub = read_text(dir_ / (std::string(prefix) + ".pub"));
        pub.pop_back();
        return pub;
    }

    fs::path dir_;
};

TEST_F(Wallpkg, KeygenWritesHexKeyFilesAndRefusesToOverwrite) {
    const ToolRun made = run({"keygen", "--out", path("k")});
    ASSERT_EQ(made.code, 0) << made.err;
    const std::string secret = read_text(dir_ / "k.secret");
    const std::string pub = read_text(dir_ / "k.pub");
    for (const std::string& key : {secret, pub}) {
        ASSERT_EQ(key.size(), 65u);
        EXPECT_EQ(key.back(), '\n');
        EXPECT_EQ(key.find_first_not_of("0123456789abcdef"), 64u);
    }
    EXPECT_EQ(made.out, "ok " + pub);
    EXPECT_EQ(fs::status(dir_ / "k.secret").permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    const ToolRun again = run({"keygen", "--out", path("k")});
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(again.err.starts_with("error: will not overwrite")) << again.err;
    EXPECT_EQ(read_text(dir_ / "k.secret"), secret);
    // Two runs give two different keys.
    EXPECT_NE(keygen("other"), pub.substr(0, 64));
}

TEST_F(Wallpkg, PackVerifyInspectAndLintRoundTripTheSample) {
    const std::string pub = keygen("k");
    const ToolRun packed = run({"pack", kSample.string(), "--key", path("k.secret"), "--out", path("a.wallpkg")});
    ASSERT_EQ(packed.code, 0) << packed.err;
    const std::string file = read_text(dir_ / "a.wallpkg");
    const std::string hash =
        core::sha256_hex({reinterpret_cast<const std::uint8_t*>(file.data()), file.size()});
    EXPECT_EQ(packed.out, "ok " + hash + " aurora-drift\n");

    const ToolRun verified = run({"verify", path("a.wallpkg"), "--key", pub});
    EXPECT_EQ(verified.code, 0) << verified.err;
    EXPECT_EQ(verified.out, "ok " + hash + " aurora-drift\n");
    EXPECT_EQ(verified.err, "");

    const ToolRun inspected = run({"inspect", "--key", pub, path("a.wallpkg")});
    ASSERT_EQ(inspected.code, 0) << inspected.err;
    EXPECT_NE(inspected.out.find("package  " + hash + "\n"), std::string::npos) << inspected.out;
    EXPECT_NE(inspected.out.find("id       aurora-drift\n"), std::string::npos);
    EXPECT_NE(inspected.out.find("entry    index.html\n"), std::string::npos);
    const auto size_of = [&](std::string_view name) { return std::to_string(fs::file_size(kSample / name)); };
    EXPECT_NE(inspected.out.find("  " + size_of("index.html") + "  text/html; charset=utf-8  index.html\n"),
              std::string::npos);
    EXPECT_NE(inspected.out.find("  " + size_of("scene.js") + "  text/javascript; charset=utf-8  scene.js\n"),
              std::string::npos);

    const ToolRun linted = run({"lint", kSample.string()});
    ASSERT_EQ(linted.code, 0) << linted.err;
    std::uint64_t bytes = 0;
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(kSample)) {
        if (entry.path().filename() == "manifest.json") continue;
        bytes += entry.file_size();
        ++count;
    }
    EXPECT_EQ(linted.out, "ok aurora-drift " + std::to_string(count) + " " + std::to_string(bytes) + "\n");
}

TEST_F(Wallpkg, EverySampleLintsPacksAndVerifies) {
    std::size_t samples = 0;
    for (const auto& entry : fs::directory_iterator(kSource / "samples/wallpapers")) {
        const std::string id = entry.path().filename().string();
        const ToolRun linted = run({"lint", entry.path().string(), "--strict"});
        EXPECT_EQ(linted.code, 0) << id << ": " << linted.err;
        EXPECT_EQ(linted.err, "") << id;
        EXPECT_TRUE(linted.out.starts_with("ok " + id + " ")) << linted.out;
        const std::string package = path(id + ".wallpkg");
        const ToolRun packed = run({"pack", entry.path().string(), "--key",
                                    (kSource / "keys/dev-publisher.secret").string(), "--out", package});
        ASSERT_EQ(packed.code, 0) << id << ": " << packed.err;
        const ToolRun verified = run({"verify", package});
        EXPECT_EQ(verified.code, 0) << id << ": " << verified.err;
        EXPECT_EQ(verified.out, packed.out);
        ++samples;
    }
    // Readiness deferred while loading, clicks, a canvas that follows pause and frame rate,
    // WebGL, CSS alone, and modules bundled from npm packages.
    EXPECT_GE(samples, 6u);
}

TEST_F(Wallpkg, NewWritesAWallpaperThatLintsAndNeverOverwrites) {
    const ToolRun made = run({"new", "my-scene"});
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_EQ(made.out, "ok my-scene\n");
    const ToolRun linted = run({"lint", path("my-scene")});
    EXPECT_EQ(linted.code, 0) << linted.err;
    EXPECT_TRUE(linted.out.starts_with("ok my-scene 3 ")) << linted.out;  // index.html, main.js, style.css
    EXPECT_EQ(read_text(dir_ / "my-scene/manifest.json"),
              "{\n  \"id\": \"my-scene\",\n  \"name\": \"my-scene\",\n  \"version\": 1,\n"
              "  \"entry\": \"index.html\",\n  \"fps\": 30\n}\n");
    const std::string script = read_text(dir_ / "my-scene/main.js");
    for (const char* call : {"deferReady()", "ready()", "on('state'", "on('click'"}) {
        EXPECT_NE(script.find(call), std::string::npos) << call;
    }

    write_text(dir_ / "my-scene/main.js", "changed");
    const ToolRun again = run({"new", "my-scene"});
    EXPECT_EQ(again.code, 1);
    EXPECT_EQ(again.err, "error: will not overwrite my-scene\n");
    EXPECT_EQ(read_text(dir_ / "my-scene/main.js"), "changed");
    // Ids the library would refuse are refused before anything is written.
    EXPECT_EQ(run({"new", "bad id"}).err, "error: invalid product ID\n");
    EXPECT_EQ(run({"new", ".hidden"}).err, "error: invalid wallpaper ID\n");
    EXPECT_EQ(run({"new", "CON"}).err, "error: reserved Windows asset path\n");
    EXPECT_FALSE(fs::exists(dir_ / "CON"));
}

TEST_F(Wallpkg, PreviewChecksItsPortAndTheFolderBeforeServing) {
    const ToolRun bad_port = run({"preview", kSample.string(), "--port", "http"});
    EXPECT_EQ(bad_port.code, 2);
    EXPECT_EQ(bad_port.err, "error: --port needs a number from 0 to 65535\n");
    EXPECT_EQ(run({"preview", kSample.string(), "--port", "65536"}).code, 2);
    // The serving itself is tested in Chromium (tests/browser/preview_test.js).
    const ToolRun missing = run({"preview", path("nothing-here")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, run({"lint", path("nothing-here")}).err);
}

TEST_F(Wallpkg, TheBuiltInKeyAcceptsDevelopmentPackagesOnly) {
    const ToolRun packed = run({"pack", kSample.string(), "--key", (kSource / "keys/dev-publisher.secret").string(),
                            "--out", path("dev.wallpkg")});
    ASSERT_EQ(packed.code, 0) << packed.err;
    EXPECT_EQ(run({"verify", path("dev.wallpkg")}).code, 0);

    keygen("other");
    ASSERT_EQ(run({"pack", kSample.string(), "--key", path("other.secret"), "--out", path("other.wallpkg")}).code, 0);
    const ToolRun refused = run({"verify", path("other.wallpkg")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, std::string(kSignatureError) + ": Bad signature\n");
    EXPECT_EQ(run({"inspect", path("other.wallpkg")}).err, std::string(kSignatureError) + ": Bad signature\n");
}

TEST_F(Wallpkg, EverySingleChangedByteIsRefused) {
    const std::string pub = keygen("k");
    ASSERT_EQ(run({"pack", kSample.string(), "--key", path("k.secret"), "--out", path("a.wallpkg")}).code, 0);
    const std::string good = read_text(dir_ / "a.wallpkg");
    // Bytes spread over magic-free header, payload and signature; the magic has its own message.
    for (std::size_t i = 8; i < good.size(); i += std::max<std::size_t>(1, good.size() / 40)) {
        std::string bad = good;
        bad[i] = static_cast<char>(bad[i] ^ 0x10);
        write_text(dir_ / "bad.wallpkg", bad);
        const ToolRun refused = run({"verify", path("bad.wallpkg"), "--key", pub});
        EXPECT_EQ(refused.code, 1) << i;
        EXPECT_TRUE(refused.err.starts_with(kSignatureError)) << i << ": " << refused.err;
    }
    std::string bad = good;
    bad[0] = 'X';
    write_text(dir_ / "bad.wallpkg", bad);
    EXPECT_EQ(run({"verify", path("bad.wallpkg"), "--key", pub}).err, "error: unknown package format\n");
}

TEST_F(Wallpkg, FolderAndFileErrorsExitOne) {
    write_text(dir_ / "w/manifest.json",
               R"({"id":"w","name":"W","version":1,"entry":"index.html","fps":25})");
    write_text(dir_ / "w/index.html", "<p>");
    // The rule's own text, named by its file.
    EXPECT_EQ(run({"lint", path("w")}).err, "error: manifest.json: fps must be 30 or 60\n");
    write_text(dir_ / "w/manifest.json",
               R"({"id":"w","name":"W","version":1,"entry":"main.html","fps":30})");
    const ToolRun missing = run({"lint", path("w")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "error: main.html: entry HTML is missing\n");
    keygen("k");
    const ToolRun not_packed = run({"pack", path("w"), "--key", path("k.secret"), "--out", path("w.wallpkg")});
    EXPECT_EQ(not_packed.code, 1);
    EXPECT_FALSE(fs::exists(dir_ / "w.wallpkg"));

    write_text(dir_ / "big.wallpkg", std::string(64 * 1024 * 1024 + 1, 'x'));
    EXPECT_EQ(run({"verify", path("big.wallpkg")}).err, "error: " + path("big.wallpkg") + ": file too large\n");
    write_text(dir_ / "small.wallpkg", "WLPKG001");
    EXPECT_EQ(run({"verify", path("small.wallpkg")}).err, "error: invalid package size\n");
    write_text(dir_ / "bad.secret", "00\n");
    const ToolRun bad_secret = run({"pack", kSample.string(), "--key", path("bad.secret"), "--out", path("x")});
    EXPECT_EQ(bad_secret.code, 1);
    EXPECT_EQ(bad_secret.err, "error: " + path("bad.secret") + ": secret key file must hold 64 lowercase hexadecimal digits\n");
}

TEST_F(Wallpkg, LintTellsEveryProblemAndWhatTheSandboxWillBlock) {
    // A demo as copied, with the files that came with it: eight refused, one too large.
    write_text(dir_ / "demo/manifest.json", R"({"id":"starfield","name":"S","version":1,"entry":"index.html","fps":30})");
    for (const char* refused : {"LICENSE", "README.md", "license.txt", "OFL.txt", "src/app.ts", "main.js.map",
                                "package.json", ".eslintrc.json"}) {
        write_text(dir_ / "demo" / refused, "x");
    }
    write_text(dir_ / "demo/node_modules/three/build/three.module.js", "x");
    write_text(dir_ / "demo/.git/HEAD", "x");
    write_text(dir_ / "demo/media/huge.webm", std::string(25'165'825, 'v'));
    write_text(dir_ / "demo/index.html",
               "<!doctype html>\n<html><head>\n"
               "<link rel=\"stylesheet\" href=\"https://fonts.example.com/css?family=Inter\">\n"
               "<style>@import url('//cdn.example.com/x.css'); b { background: url(img/b.png) }</style>\n"
               "<script type=\"importmap\">{\"imports\":{}}</script>\n"
               "</head><body onload=\"go()\">\n"
               "<a href=\"javascript:void 0\">x</a><script>\n  draw();\n</script>\n"
               "<script type=\"x-shader/x-fragment\">void main() {}</script>\n"
               "<script type=\"module\" src=\"main.js\"></script>\n</body></html>\n");
    write_text(dir_ / "demo/main.js",
               "import * as THREE from 'three';\n"
               "const pattern = /import 'x'/; // eval('no')\n"
               "const text = `${eval(code)}`;\n"
               "setTimeout('tick()', 10); setTimeout(() => tick(), 10);\n"
               "new Worker('w.js'); WebAssembly.instantiate(bytes); new Function('return 1');\n");

    const ToolRun linted = run({"lint", path("demo")});
    EXPECT_EQ(linted.code, 1);
    EXPECT_EQ(linted.out, "");
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    std::istringstream lines(linted.err);
    for (std::string line; std::getline(lines, line);) (line.starts_with("error: ") ? errors : warnings).push_back(line);
    // Whichever the listing met first is what the player would log; the rest by path.
    ASSERT_EQ(errors.size(), 11u) << linted.err;
    std::vector<std::string> rest(errors.begin() + 1, errors.end());
    EXPECT_TRUE(std::is_sorted(rest.begin(), rest.end())) << linted.err;
    std::sort(errors.begin(), errors.end());
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "error: .git: private or development directory is not allowed",
                          "error: media/huge.webm: file too large",
                          "error: node_modules: private or development directory is not allowed",
                          "error: private or development file is not a wallpaper asset: .eslintrc.json",
                          "error: private or development file is not a wallpaper asset: package.json",
                          "error: private or tool file is not a wallpaper asset: LICENSE",
                          "error: private or tool file is not a wallpaper asset: OFL.txt",
                          "error: private or tool file is not a wallpaper asset: README.md",
                          "error: private or tool file is not a wallpaper asset: license.txt",
                          "error: private or tool file is not a wallpaper asset: main.js.map",
                          "error: private or tool file is not a wallpaper asset: src/app.ts",
                      }));
    EXPECT_EQ(warnings, (std::vector<std::string>{
        "warning: demo: the folder's name differs from the id \"starfield\": the player refuses it in wallpapers/ "
        "(\"wallpaper folder must match manifest ID\"); rename the folder",
        "warning: index.html:3: stylesheet from another origin is blocked: https://fonts.example.com/css?family=Inter: "
        "download it, and the font files it names, into the folder",
        "warning: index.html:4: @import of a stylesheet from another origin is blocked: //cdn.example.com/x.css: "
        "download the stylesheet, and the font files it names, into the folder",
        "warning: index.html:4: img/b.png is not in the folder: the player counts the wallpaper as broken when the page "
        "asks for it",
        "warning: index.html:5: inline import map is blocked: bundle the modules into one file, or import them by "
        "relative paths ('./lib/three.module.js')",
        "warning: index.html:6: inline event handler onload= is blocked: add the listener with addEventListener in a "
        ".js file",
        "warning: index.html:7: javascript: URL in <a href> is blocked: handle the click in a .js file",
        "warning: index.html:7: inline script is blocked: move it into a .js file and load it with <script src=\"...\">",
        "warning: main.js:1: bare module specifier 'three' cannot be resolved (import maps are blocked): bundle the "
        "modules into one file, or import the module's file by a relative path ('./...')",
        "warning: main.js:3: eval is blocked (the policy has no 'unsafe-eval'): parse data with JSON.parse and call "
        "functions directly",
        "warning: main.js:4: setTimeout with a string is blocked: pass it a function",
        "warning: main.js:5: workers are blocked (worker-src 'none'): do the work on the page, in slices between frames",
        "warning: main.js:5: WebAssembly cannot be compiled (the policy has no 'wasm-unsafe-eval') and .wasm files are "
        "not admitted: use the library's JavaScript build",
        "warning: main.js:5: new Function is blocked (the policy has no 'unsafe-eval'): write the function in the script",
    }));

    // Without the refused files the folder passes: warnings alone fail only a strict run.
    for (const char* refused : {"LICENSE", "README.md", "license.txt", "OFL.txt", "src", "main.js.map", "package.json",
                                ".eslintrc.json", "node_modules", ".git", "media"}) {
        fs::remove_all(dir_ / "demo" / refused);
    }
    const ToolRun warned = run({"lint", path("demo")});
    EXPECT_EQ(warned.code, 0) << warned.err;
    EXPECT_TRUE(warned.out.starts_with("ok starfield 2 ")) << warned.out;
    EXPECT_EQ(warned.err, linted.err.substr(linted.err.find("warning: ")));
    const ToolRun strict = run({"lint", path("demo"), "--strict"});
    EXPECT_EQ(strict.code, 1);
    EXPECT_EQ(strict.out, "");
    EXPECT_EQ(strict.err, warned.err);
}

// Any text is data: a URL cut short after its scheme is another origin like any other.
TEST_F(Wallpkg, LintReadsShortUrlsAsAnyOther) {
    write_text(dir_ / "short/manifest.json", R"({"id":"short","name":"S","version":1,"entry":"index.html","fps":30})");
    write_text(dir_ / "short/index.html",
               "<img src=\"http:\">\n<img src=\"https:x\">\n<b style=\"background: url(http://)\">");
    const ToolRun linted = run({"lint", path("short")});
    EXPECT_EQ(linted.code, 0);
    EXPECT_EQ(std::count(linted.err.begin(), linted.err.end(), '\n'), 3) << linted.err;
    EXPECT_TRUE(linted.err.starts_with("warning: index.html:1: <img src> from another origin is blocked: http:: "));
}

// A script that starts with a byte-order mark, and URLs to the page's own origin, are read
// as the browser reads them.
TEST_F(Wallpkg, LintReadsScriptsWithAByteOrderMarkAndUrlsToThePagesOwnOrigin) {
    write_text(dir_ / "own/manifest.json", R"({"id":"own","name":"S","version":1,"entry":"index.html","fps":30})");
    write_text(dir_ / "own/index.html",
               "<script type=\"module\" src=\"http://wlp.localhost/app.js\"></script>\n"
               "<img src=\"//wlp.localhost/a.png\"><img src=\"HTTPS://WLP.localhost/a.png?x#y\">\n"
               "<img src=\"//wlp.localhost/gone.png\">\n");
    write_text(dir_ / "own/a.png", "png");
    write_text(dir_ / "own/app.js", "\xEF\xBB\xBF" "eval(code);\n");
    const ToolRun linted = run({"lint", path("own")});
    EXPECT_EQ(linted.code, 0);
    EXPECT_EQ(linted.err,
              "warning: app.js:1: eval is blocked (the policy has no 'unsafe-eval'): parse data with JSON.parse and "
              "call functions directly\n"
              "warning: index.html:3: gone.png is not in the folder: the player counts the wallpaper as broken when "
              "the page asks for it\n");
}

TEST_F(Wallpkg, PublicKeysOnTheCommandLineAreCheckedFirst) {
    write_text(dir_ / "any.wallpkg", std::string(200, 'x'));
    const auto error_with_key = [&](const std::string& key) { return run({"verify", path("any.wallpkg"), "--key", key}); };
    EXPECT_EQ(error_with_key("00").err, "error: publisher key must be 64 hexadecimal digits\n");
    EXPECT_EQ(error_with_key(std::string(64, 'g')).err, "error: invalid publisher key: invalid hexadecimal digit\n");
    // Small order, non-canonical, not on the curve: refused before any library sees them.
    EXPECT_EQ(error_with_key("0100000000000000000000000000000000000000000000000000000000000000").err,
              "error: invalid publisher key: public key has small order\n");
    EXPECT_EQ(error_with_key("edffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f").err,
              "error: invalid publisher key: public key is not canonical\n");
    const ToolRun off_curve = error_with_key("0200000000000000000000000000000000000000000000000000000000000000");
    EXPECT_EQ(off_curve.code, 1);
    EXPECT_EQ(off_curve.err, "error: invalid publisher key: public key is not a curve point\n");
    // The built-in key is the development key of this build.
    EXPECT_EQ(kBuiltInPublisherKey, read_text(kSource / "keys/dev-publisher.pub").substr(0, 64));
}

TEST_F(Wallpkg, UsageErrorsExitTwo) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"unpack", "x"},
        {"keygen"},
        {"keygen", "--out"},
        {"keygen", "--out", "a", "extra"},
        {"pack", "folder", "--out", "x"},
        {"pack", "folder", "--key", "k"},
        {"verify"},
        {"verify", "a", "b"},
        {"verify", "a", "--key", "k", "--key", "k"},
        {"verify", "a", "--out", "x"},
        {"lint"},
        {"lint", "a", "--key", "k"},
        {"lint", "a", "--strict", "--strict"},
        {"inspect"},
        {"new"},
        {"new", "a", "b"},
        {"preview"},
        {"preview", "a", "--key", "k"},
    };
    for (const auto& args : wrong) {
        const ToolRun result = run(args);
        EXPECT_EQ(result.code, 2) << (args.empty() ? "" : args[0]);
        EXPECT_TRUE(result.err.starts_with("usage: wallpkg")) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

}  // namespace
