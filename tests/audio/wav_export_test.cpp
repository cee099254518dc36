#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "audio/synth.h"
#include "audio/wav_export.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
int16_t sampleAt(const std::vector<uint8_t>& b, size_t i) { return static_cast<int16_t>(le16(b, 44 + 2 * i)); }

struct Reference {
    const char* file;
    uint32_t samples;
    int64_t sum;  // of all 16-bit samples in the file
    size_t at1;
    int16_t value1;
    size_t at2;
    int16_t value2;
};

// Computed by a separate implementation of the recipes, so a slip in a formula, a seed or
// the order of the draws shows up here.
const Reference kReference[] = {
    {"hit_classic.wav", 3360, 25458, 480, -2232, 1680, 2435},
    {"miss.wav", 3360, 44195, 480, 3010, 3358, -368},
    {"tick.wav", 3840, -4257, 548, 4993, 1920, 3294},
    {"go.wav", 7680, -4684, 1097, 10179, 3840, -1242},
    {"round_end.wav", 12000, -4959, 1714, -1042, 6000, -9383},
    {"finish.wav", 30240, 47603, 4320, 1791, 10080, -1596},
    {"click.wav", 720, 1472, 1, 48, 102, 3832},
    {"shot_pistol.wav", 7680, 641651, 1097, 1820, 2560, 3363},
    {"shot_rifle.wav", 10560, 946662, 1508, 2904, 5280, -516},
    {"shot_sniper.wav", 36000, 1785123, 5142, 1918, 18000, 500},
    {"level_up.wav", 29760, -3925, 9920, -3551, 14880, -8429},
    {"scope_in.wav", 2400, 15397, 1, -11, 800, -1443},
    {"hit_pop.wav", 6720, -26618, 960, 9930, 2240, -2949},
    {"hit_ding.wav", 15360, 1223, 1, 105, 5120, -3123},
    {"hit_click.wav", 3360, -27534, 1, -266, 1120, -1114},
};

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(WavExportTest, WritesAllFifteenFilesExactly) {
    TempFolder dir;
    ASSERT_EQ(runExportSounds(dir.path()), 0);

    std::vector<std::string> expectedNames;
    for (const Reference& r : kReference) expectedNames.push_back(r.file);
    std::sort(expectedNames.begin(), expectedNames.end());
    EXPECT_EQ(filesIn(dir.dir()), expectedNames);

    for (const Reference& r : kReference) {
        SCOPED_TRACE(r.file);
        std::vector<uint8_t> b = test_files::readBytes(dir.dir() / r.file);
        ASSERT_EQ(b.size(), 44 + 2 * size_t{r.samples});
        EXPECT_EQ(std::memcmp(b.data(), "RIFF", 4), 0);
        EXPECT_EQ(le32(b, 4), 36 + 2 * r.samples);
        EXPECT_EQ(std::memcmp(b.data() + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(le32(b, 16), 16u);
        EXPECT_EQ(le16(b, 20), 1u);
        EXPECT_EQ(le16(b, 22), 1u);
        EXPECT_EQ(le32(b, 24), 48000u);
        EXPECT_EQ(le32(b, 28), 96000u);
        EXPECT_EQ(le16(b, 32), 2u);
        EXPECT_EQ(le16(b, 34), 16u);
        EXPECT_EQ(std::memcmp(b.data() + 36, "data", 4), 0);
        EXPECT_EQ(le32(b, 40), 2 * r.samples);

        int64_t sum = 0;
        for (size_t i = 0; i < r.samples; ++i) sum += sampleAt(b, i);
        EXPECT_EQ(sum, r.sum);
        EXPECT_EQ(sampleAt(b, 0), 0);  // every sound starts on its attack ramp
        EXPECT_EQ(sampleAt(b, r.at1), r.value1) << r.at1;
        EXPECT_EQ(sampleAt(b, r.at2), r.value2) << r.at2;
    }

    // round_end's 10 ms gap between its two tones (the first tone ends on a zero crossing
    // at 4799, 66 whole periods in).
    std::vector<uint8_t> roundEnd = test_files::readBytes(dir.at("round_end.wav"));
    EXPECT_EQ(sampleAt(roundEnd, 4798), -222);
    for (size_t i = 4800; i <= 5280; ++i) ASSERT_EQ(sampleAt(roundEnd, i), 0) << i;
    EXPECT_NE(sampleAt(roundEnd, 5281), 0);
}

TEST(WavExportTest, RunsAreByteIdenticalAndReplaceOldFiles) {
    TempFolder first, second;
    // A longer stale file must be truncated, not patched over.
    second.write("click.wav", std::string(5000, 'x'));
    ASSERT_EQ(runExportSounds(first.path()), 0);
    ASSERT_EQ(runExportSounds(second.path()), 0);
    for (const Reference& r : kReference)
        EXPECT_EQ(test_files::readBytes(first.dir() / r.file), test_files::readBytes(second.dir() / r.file)) << r.file;
}

int countLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(WavExportTest, UnwritableFolderFailsWithOneLinePerFile) {
    TempFolder dir;
    fs::path plainFile = dir.at("not_a_folder");
    test_files::write(plainFile, "x");
    const std::string targets[] = {(plainFile / "out").string(), (dir.at("missing")).string()};
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        ::testing::internal::CaptureStderr();
        int code = runExportSounds(target);
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(code, 1);
        EXPECT_EQ(countLines(err), SOUND_COUNT);
        EXPECT_NE(err.find(target + "/hit_click.wav"), std::string::npos) << err;
    }
    EXPECT_FALSE(fs::exists(dir.at("missing")));  // the folder is not created
}

TEST(WavExportTest, OneBlockedFileFailsTheRunButTheRestAreWritten) {
    TempFolder dir;
    fs::create_directory(dir.at("click.wav"));
    ::testing::internal::CaptureStderr();
    int code = runExportSounds(dir.path());
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(countLines(err), 1);
    EXPECT_NE(err.find("click.wav"), std::string::npos);
    for (const Reference& r : kReference) {
        if (std::string(r.file) == "click.wav") continue;
        EXPECT_EQ(fs::file_size(dir.dir() / r.file), 44 + 2 * uintmax_t{r.samples}) << r.file;
    }
}

TEST(WavExportTest, EncodesClampedSamples) {
    std::vector<uint8_t> b = encodeWav({1.3f, -1.3f, 0.5f, -0.00002f, -0.5f});
    ASSERT_EQ(b.size(), 54u);
    EXPECT_EQ(le32(b, 4), 46u);
    EXPECT_EQ(le32(b, 40), 10u);
    const int16_t expected[] = {32000, -32000, 16000, 0, -16000};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(sampleAt(b, i), expected[i]) << i;
    EXPECT_EQ(encodeWav({}).size(), 44u);
}

}  // namespace
