// Per-request cost of the asset protocol handler against a plain copy of the same body.
// Goals: the 24 MiB asset within 1.2 times the plain copy, the 2 KiB asset under 2 us.
#include <benchmark/benchmark.h>

#include <cstddef>

#include "core/content/asset_map.h"
#include "core/web/asset_protocol.h"

namespace {

constexpr std::size_t kLargeAsset = 24u << 20;  // the largest asset a package may hold
constexpr std::size_t kSmallAsset = 2u << 10;

const core::AssetMap& assets() {
    static const core::AssetMap map = [] {
        core::AssetMap built;
        for (int i = 0; i < 40; ++i) {
            built.emplace("js/module" + std::to_string(i) + ".js", core::Bytes(kSmallAsset, 'm'));
        }
        built.emplace("media/scene.mp4", core::Bytes(kLargeAsset, 'v'));
        built.emplace("img/sprite.png", core::Bytes(kSmallAsset, 'p'));
        return built;
    }();
    return map;
}

void serve(benchmark::State& state, const char* url, std::size_t size) {
    const core::AssetMap& map = assets();
    for (auto _ : state) {
        core::AssetResponse response = core::handle_asset_request(url, map);
        benchmark::DoNotOptimize(response.body.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void copy(benchmark::State& state, const char* path, std::size_t size) {
    const core::Bytes& source = assets().at(path);
    for (auto _ : state) {
        core::Bytes body = source;
        benchmark::DoNotOptimize(body.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_ServeLargeAsset(benchmark::State& state) {
    serve(state, "http://wlp.localhost/media/scene.mp4", kLargeAsset);
}
void BM_PlainCopyLargeAsset(benchmark::State& state) { copy(state, "media/scene.mp4", kLargeAsset); }
void BM_ServeSmallAsset(benchmark::State& state) {
    serve(state, "http://wlp.localhost/img/sprite.png?v=3", kSmallAsset);
}
void BM_ServeSmallEscapedAsset(benchmark::State& state) {
    serve(state, "http://wlp.localhost/img%2Fsprite.png", kSmallAsset);
}
void BM_PlainCopySmallAsset(benchmark::State& state) { copy(state, "img/sprite.png", kSmallAsset); }

void BM_RefuseMissingAsset(benchmark::State& state) {
    const core::AssetMap& map = assets();
    for (auto _ : state) {
        core::AssetResponse response = core::handle_asset_request("http://wlp.localhost/js/missing.js", map);
        benchmark::DoNotOptimize(response.refusal);
    }
}

BENCHMARK(BM_ServeLargeAsset)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCopyLargeAsset)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServeSmallAsset)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_ServeSmallEscapedAsset)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_PlainCopySmallAsset)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_RefuseMissingAsset)->Unit(benchmark::kNanosecond);

}  // namespace
