// The embedded model pack (size, pinned bytes, header table, geometry) and the parser's
// handling of damaged packs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "core/catalog/armory.h"
#include "platform/system/hash.h"
#include "platform/system/resources.h"
#include "render/model_pack.h"
#include "tests/support/temp_folder.h"

namespace {

struct Row {
    const char* name;
    int32_t vertices;
    float muzzleZ, sightHeight, length;
};
const Row kTable[7] = {
    {"wasp", 3120, -0.1302f, 0.016454f, 0.21f},     {"bulldog", 3138, -0.1674f, 0.012524f, 0.27f},
    {"hornet", 3492, -0.31f, 0.048599f, 0.5f},      {"halberd", 3768, -0.5332f, 0.062389f, 0.86f},
    {"breacher", 3810, -0.589f, 0.029910f, 0.95f},  {"longbow", 4146, -0.713f, 0.040838f, 1.15f},
    {"kingfisher", 5070, -0.744f, 0.051733f, 1.2f},
};

// Through a file, as the platform hashes files.
std::string sha256Hex(const uint8_t* data, size_t size) {
    const TempFolder dir;
    dir.write("pack.bin", std::string(reinterpret_cast<const char*>(data), size));
    return plat::sha256File(dir.file("pack.bin"));
}

const float* vertexAt(const PackModel& m, int i) {
    return reinterpret_cast<const float*>(m.vertices + size_t(i) * kPackVertexBytes);
}

TEST(ModelPack, EmbeddedPackHasTheFixedSizeAndBytes) {
    plat::ResourceBytes pack = plat::modelPackBytes();
    ASSERT_EQ(pack.size, 1699104u);
    EXPECT_EQ(std::memcmp(pack.data, "QXG2", 4), 0);
    // Pinned: the generator must give the same bytes on every build.
    EXPECT_EQ(sha256Hex(pack.data, pack.size), "10fe8201c9eb84714f87bbe0ce2563e6a70f6eaf8e3235d6941caf7b33a5a6ae");
}

TEST(ModelPack, HeadersMatchTheTableAndTheGunCatalogue) {
    plat::ResourceBytes pack = plat::modelPackBytes();
    std::vector<PackModel> models = parseModelPack(pack.data, pack.size);
    ASSERT_EQ(models.size(), 7u);
    size_t total = 8;
    for (size_t i = 0; i < 7; ++i) {
        SCOPED_TRACE(kTable[i].name);
        EXPECT_STREQ(models[i].name, kTable[i].name);
        EXPECT_STREQ(models[i].name, gunCatalog()[i].id);
        EXPECT_EQ(models[i].vertexCount, kTable[i].vertices);
        EXPECT_EQ(models[i].muzzleX, 0.0f);
        EXPECT_EQ(models[i].muzzleY, 0.0f);
        EXPECT_EQ(models[i].muzzleZ, kTable[i].muzzleZ);
        EXPECT_EQ(models[i].sightHeight, kTable[i].sightHeight);
        EXPECT_EQ(models[i].length, kTable[i].length);
        total += kPackModelHeaderBytes + size_t(models[i].vertexCount) * kPackVertexBytes;
    }
    EXPECT_EQ(total, pack.size) << "the models end exactly at the end of the pack";
}

TEST(ModelPack, EveryModelIsAWellFormedTriangleList) {
    plat::ResourceBytes pack = plat::modelPackBytes();
    for (const PackModel& m : parseModelPack(pack.data, pack.size)) {
        SCOPED_TRACE(m.name);
        ASSERT_EQ(m.vertexCount % 3, 0);
        float zMin = 1e9f, zMax = -1e9f;
        int glass = 0, featureTriangles = 0;
        float glassLo[2] = {1e9f, 1e9f}, glassHi[2] = {-1e9f, -1e9f};
        for (int t = 0; t < m.vertexCount / 3; ++t) {
            const float* c[3] = {vertexAt(m, 3 * t), vertexAt(m, 3 * t + 1), vertexAt(m, 3 * t + 2)};
            bool anyEdge = false;
            for (int k = 0; k < 3; ++k) {
                const float* v = c[k];
                zMin = std::fmin(zMin, v[2]);
                zMax = std::fmax(zMax, v[2]);
                ASSERT_NEAR(v[3] * v[3] + v[4] * v[4] + v[5] * v[5], 1.0f, 1e-4f) << "unit normal";
                for (int ch = 6; ch < 9; ++ch) ASSERT_TRUE(v[ch] >= 0 && v[ch] <= 1) << "colour";
                ASSERT_TRUE(v[9] == 0 || v[9] == 1 || v[9] == 3) << "material " << v[9];
                // Corner k carries the k-th barycentric unit vector.
                for (int b = 0; b < 3; ++b) ASSERT_EQ(v[10 + b], b == k ? 1.0f : 0.0f);
                for (int e = 0; e < 3; ++e) {
                    ASSERT_TRUE(v[13 + e] == 0 || v[13 + e] == 1);
                    ASSERT_EQ(v[13 + e], c[0][13 + e]) << "edge flags alike on all corners";
                    anyEdge = anyEdge || v[13 + e] == 1;
                }
                ASSERT_EQ(v[9], c[0][9]) << "one material per triangle";
                if (v[9] == 3) {
                    ++glass;
                    for (int a = 0; a < 2; ++a) {
                        glassLo[a] = std::fmin(glassLo[a], v[a]);
                        glassHi[a] = std::fmax(glassHi[a], v[a]);
                    }
                }
                ASSERT_LT(std::fabs(v[0]), 0.1f);
                ASSERT_TRUE(v[1] > -0.25f && v[1] < 0.12f) << v[1];
            }
            featureTriangles += anyEdge;
        }
        EXPECT_EQ(zMin, m.muzzleZ) << "the barrel ends at the muzzle";
        EXPECT_NEAR(zMax - zMin, m.length, 1e-6f) << "overall length";
        EXPECT_GT(featureTriangles, m.vertexCount / 3 / 2) << "most triangles border a feature edge";
        const bool scoped = std::string(m.name) == "longbow" || std::string(m.name) == "kingfisher";
        if (scoped) {
            ASSERT_GT(glass, 0) << "scoped guns have lens glass";
            // The lenses are centred on the sight line (within the polygon's own lopsidedness).
            EXPECT_NEAR(0.5f * (glassLo[1] + glassHi[1]), m.sightHeight, 5e-4f);
            EXPECT_NEAR(0.5f * (glassLo[0] + glassHi[0]), 0.0f, 5e-4f);
        } else {
            EXPECT_EQ(glass, 0);
            // Iron sights: some sight top in the front half of the gun reaches the sight line.
            bool sight = false;
            for (int i = 0; i < m.vertexCount && !sight; ++i) {
                const float* v = vertexAt(m, i);
                sight = std::fabs(v[1] - m.sightHeight) < 1e-5f && std::fabs(v[0]) < 0.003f &&
                        v[2] < m.muzzleZ + 0.5f * m.length;
            }
            EXPECT_TRUE(sight);
        }
    }
}

// Small packs built by hand, for the parser's limits.
struct PackBuilder {
    std::vector<uint8_t> bytes{'Q', 'X', 'G', '2', 0, 0, 0, 0};
    void i32(int32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(uint32_t(v) >> (8 * i)));
    }
    void count(int32_t n) {
        for (int i = 0; i < 4; ++i) bytes[size_t(4 + i)] = uint8_t(uint32_t(n) >> (8 * i));
    }
    void model(const char* name, int32_t declared, int32_t actual) {
        char n[16] = {};
        std::strncpy(n, name, 15);
        bytes.insert(bytes.end(), n, n + 16);
        i32(declared);
        for (int i = 0; i < 5; ++i) i32(0);
        bytes.insert(bytes.end(), size_t(actual) * kPackVertexBytes, uint8_t(0));
    }
};

TEST(ModelPackParser, DamagedPacksLoadOnlyTheWholeModelsBeforeTheDamage) {
    struct Case {
        const char* what;
        int32_t count;
        std::vector<std::pair<int32_t, int32_t>> models;  // declared, present vertex counts
        size_t cut;                                       // bytes dropped from the end
        size_t expected;
    };
    const Case cases[] = {
        {"intact", 3, {{3, 3}, {6, 6}, {3, 3}}, 0, 3},
        {"count larger than the models present", 9, {{3, 3}, {6, 6}}, 0, 2},
        {"count of 0", 0, {{3, 3}}, 0, 0},
        {"negative count", -1, {{3, 3}}, 0, 0},
        {"last model's vertices cut short", 3, {{3, 3}, {6, 6}, {3, 3}}, 1, 2},
        {"header cut short", 2, {{3, 3}, {3, 3}}, 3 * kPackVertexBytes + 1, 1},
        {"negative vertex count", 3, {{3, 3}, {-3, 0}, {3, 3}}, 0, 1},
        {"vertex count past the end", 2, {{3, 3}, {1000, 3}}, 0, 1},
        {"vertex count that overflows 32 bits", 2, {{3, 3}, {0x7fffffff, 3}}, 0, 1},
        {"vertex count whose size wraps to small", 2, {{3, 3}, {0x04000001, 3}}, 0, 1},
        {"zero vertices", 2, {{0, 0}, {3, 3}}, 0, 2},
    };
    for (const Case& c : cases) {
        PackBuilder b;
        b.count(c.count);
        for (auto [declared, actual] : c.models) b.model("m", declared, actual);
        b.bytes.resize(b.bytes.size() - c.cut);
        std::vector<PackModel> got = parseModelPack(b.bytes.data(), b.bytes.size());
        EXPECT_EQ(got.size(), c.expected) << c.what;
        for (const PackModel& m : got) {
            EXPECT_GE(m.vertexCount, 0) << c.what;
            EXPECT_LE(m.vertices + size_t(m.vertexCount) * kPackVertexBytes, b.bytes.data() + b.bytes.size()) << c.what;
        }
    }
}

TEST(ModelPackParser, ForeignOrTinyDataLoadsNothing) {
    PackBuilder b;
    b.count(1);
    b.model("m", 3, 3);
    std::vector<uint8_t> foreign = b.bytes;
    foreign[3] = '1';
    EXPECT_TRUE(parseModelPack(foreign.data(), foreign.size()).empty());
    EXPECT_TRUE(parseModelPack(b.bytes.data(), 7).empty());
    EXPECT_TRUE(parseModelPack(nullptr, 0).empty());
    EXPECT_EQ(parseModelPack(b.bytes.data(), b.bytes.size()).size(), 1u);
}

}  // namespace
