#include <gtest/gtest.h>

#include "platform/base/process.h"
#include "platform/system/exe.h"
#include "platform/system/hash.h"
#include "tests/support/scoped_env.h"
#include "tests/updater/helpers.h"
#include "updater/steps.h"
#include "updater/updater.h"

namespace {

using namespace updater_test;

const std::string kManifest =
    R"({"version": "2.2.0", "url": "https://example.invalid/T.exe", "sha256": "", "notes": "New maps\nFaster"})";

// Points the system's temporary folder at a private one, to see what the check leaves there.
class PrivateTemp {
public:
    size_t entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir_.dir()), fs::directory_iterator()));
    }

private:
    TempFolder dir_;
    ScopedEnv tmpdir_{"TMPDIR", dir_.path()};
};

TEST(FetchManifest, DefaultThenFallbackWithCacheBusters) {
    LoopbackServer server;
    ASSERT_TRUE(server.ready());
    server.serve("fallback.json", kManifest);
    PrivateTemp temp;
    std::string text;
    ASSERT_TRUE(updater::fetchManifest("", server.url("/status/404"), server.url("/fallback.json"), 1234, text));
    EXPECT_EQ(text, kManifest);
    const std::vector<std::string> req = server.requests();
    ASSERT_EQ(req.size(), 2u);
    EXPECT_EQ(req[0], "/status/404?t=1234");
    EXPECT_EQ(req[1], "/fallback.json?t=1234");
    EXPECT_EQ(temp.entries(), 0u) << "the temporary manifest file was left behind";
}

TEST(FetchManifest, DefaultThatAnswersNeedsNoFallback) {
    LoopbackServer server;
    ASSERT_TRUE(server.ready());
    server.serve("latest.json", kManifest);
    std::string text;
    ASSERT_TRUE(updater::fetchManifest("", server.url("/latest.json?ch=beta"), server.url("/never"), 7, text));
    EXPECT_EQ(server.requests(), std::vector<std::string>{"/latest.json?ch=beta&t=7"});
}

TEST(FetchManifest, BothFailingEndsSilentlyAndCleansUp) {
    LoopbackServer server;
    ASSERT_TRUE(server.ready());
    PrivateTemp temp;
    std::string text = "left over";
    EXPECT_FALSE(updater::fetchManifest("", server.url("/status/500"), server.url("/status/404"), 1, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(temp.entries(), 0u);
}

TEST(FetchManifest, OverrideIsTheOnlySourceTried) {
    LoopbackServer server;
    ASSERT_TRUE(server.ready());
    server.serve("fallback.json", kManifest);
    PrivateTemp temp;
    std::string text;
    EXPECT_FALSE(updater::fetchManifest(server.url("/status/404"), server.url("/fallback.json"),
                                        server.url("/fallback.json"), 9, text));
    EXPECT_EQ(server.requests(), std::vector<std::string>{"/status/404?t=9"});
    EXPECT_EQ(temp.entries(), 0u);
}

TEST(FetchManifest, FileOverrideGetsNoCacheBuster) {
    TempFolder dir;
    dir.write("latest.json", kManifest);
    std::string text;
    ASSERT_TRUE(updater::fetchManifest(fileUrl(dir.at("latest.json")), "", "", 5, text));
    EXPECT_EQ(text, kManifest);
    EXPECT_FALSE(updater::fetchManifest(fileUrl(dir.at("missing.json")), "", "", 5, text));
}

TEST(FetchManifest, PlainHttpOverrideElsewhereIsRefused) {
    std::string text;
    EXPECT_FALSE(updater::fetchManifest("http://example.invalid/latest.json", "", "", 5, text));
}

TEST(FetchManifest, OversizedManifestIsRefused) {
    TempFolder dir;
    test_files::write(dir.at("huge.json"),
             kManifest + std::string(static_cast<size_t>(updater::kManifestMaxBytes), ' '));
    std::string text;
    EXPECT_FALSE(updater::fetchManifest(fileUrl(dir.at("huge.json")), "", "", 5, text));
    EXPECT_TRUE(text.empty());
}

// The calls the shell and the home screen make, in their order. The check runs once per
// process, so this one test drives it from start to the installed state.
TEST(UpdaterPublic, CheckOfferInstallRestart) {
    EXPECT_FALSE(updater::hasManifestSource());  // no built-in server: only an override
    EXPECT_FALSE(updater::updateCheckFinished());
    EXPECT_EQ(updater::updateState(), updater::UpdateIdle);

    LoopbackServer server;
    ASSERT_TRUE(server.ready());
    TempFolder dir;
    const std::string payload = test_files::paddedTo(test_files::read(UPDATER_DUMMY_EXE), 700000);
    server.serve("Tarvion-2.2.0", payload);
    dir.write("payload", payload);
    const std::string digest = plat::sha256File(dir.file("payload"));
    const std::string manifest = "{\"version\": \"2.2.0\", \"url\": \"" + server.url("/slow/Tarvion-2.2.0") +
                                 "\", \"sha256\": \"" + digest + "\", \"notes\": \"Say \\\"hi\\\"\\nBye\"}";
    dir.write("latest.json", manifest);

    const std::string exe = dir.file("Tarvion");
    const std::string oldBuild = plat::executableMagic() + "running build";
    test_files::write(exe, oldBuild);
    test_files::write(exe + ".old", "from the update before");
    updater::setExecutablePathForTesting(exe, true);

    updater::setManifestUrl(fileUrl(dir.at("latest.json")));
    EXPECT_TRUE(updater::hasManifestSource());
    updater::deleteOldExe();
    EXPECT_FALSE(fs::exists(exe + ".old"));
    updater::checkAsync();
    for (int i = 0; i < 400 && !updater::updateCheckFinished(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_TRUE(updater::updateCheckFinished());
    const updater::UpdateInfo info = updater::getUpdateInfo();
    EXPECT_TRUE(info.available);
    EXPECT_EQ(info.version, "2.2.0");
    EXPECT_EQ(info.sha256, digest);
    EXPECT_EQ(info.notes, "Say \"hi\"\nBye");

    updater::installAsync();
    EXPECT_EQ(updater::updateState(), updater::UpdateInstalling);
    updater::installAsync();  // a second accept while one runs starts nothing
    for (int i = 0; i < 800 && updater::updateState() == updater::UpdateInstalling; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_EQ(updater::updateState(), updater::UpdateInstalled) << updater::updateMessage();
    EXPECT_EQ(updater::updateMessage(), "Updated to 2.2.0 - restarting...");
    EXPECT_EQ(server.requests(), std::vector<std::string>{"/slow/Tarvion-2.2.0"});
    EXPECT_EQ(test_files::read(exe), payload);
    EXPECT_EQ(test_files::read(exe + ".old"), oldBuild);
    const fs::path mark = exe + ".ran";
    EXPECT_TRUE(test_files::waitForFile(mark));
    updater::setExecutablePathForTesting("", false);
}

}  // namespace
