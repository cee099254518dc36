// The Steam part of the start-up scan for a player with very many library folders listed in
// libraryfolders.vdf (every tenth listed twice, in another letter case): reading the list
// alone, and the whole Steam scan over a scratch drive where the libraries hold no games.
// Quitting joins the scan thread, so a slow scan also holds up the program's exit.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "integration/detection.h"
#include "integration/store_sources.h"

namespace {

std::string libraryFolders(int32_t libraries) {
    std::string vdf = "\"libraryfolders\"\n{\n";
    for (int32_t i = 0; i < libraries; ++i) {
        const std::string path = "D:\\\\Libraries\\\\SteamLibrary" + std::to_string(i);
        vdf += "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" + path + "\"\n\t\t\"label\"\t\t\"\"\n\t}\n";
        if (i % 10 == 0)
            vdf += "\t\"x\"\n\t{\n\t\t\"path\"\t\t\"d:/libraries/steamlibrary" + std::to_string(i) + "\"\n\t}\n";
    }
    return vdf + "}\n";
}

void BM_SteamLibraryList(benchmark::State& state) {
    const int32_t libraries = static_cast<int32_t>(state.range(0));
    const std::string vdf = libraryFolders(libraries);
    for (auto _ : state) {
        std::vector<std::string> list = steamLibraries("C:/Program Files (x86)/Steam", vdf);
        if (list.size() != static_cast<size_t>(libraries) + 1) state.SkipWithError("wrong library count");
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_SteamLibraryList)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Drive C holds Steam and its list; drive D is an empty folder, so every library is looked
// into and found empty.
void BM_SteamScan(benchmark::State& state) {
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("tarvion-bench-steam-" + std::to_string(std::random_device{}()));
    const std::filesystem::path steamapps = root / "c" / "Steam" / "steamapps";
    std::filesystem::create_directories(steamapps);
    std::filesystem::create_directories(root / "d");
    std::ofstream(steamapps / "libraryfolders.vdf", std::ios::binary) << libraryFolders(static_cast<int32_t>(state.range(0)));
    RegistrySnapshot registry;
    registry.setString(plat::RegCurrentUser, 0, "Software\\Valve\\Steam", "SteamPath", "C:/Steam");
    ScanInputs inputs;
    inputs.registry = &registry;
    inputs.drives = {{'C', (root / "c").string()}, {'D', (root / "d").string()}};
    for (auto _ : state) {
        std::vector<DetectedGame> list;
        scanSteam(list, inputs);
        benchmark::DoNotOptimize(list.data());
    }
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}
BENCHMARK(BM_SteamScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
