// Opening a near-limit package against the floor of work no implementation can avoid:
// one SHA-512 pass (the signature) and one SHA-256 pass (the package hash) over the file,
// and the inflation of the payload. Prints the ratio of the two times and the peak
// memory an open adds, measured in a fresh child process.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "core/crypto/ed25519.h"
#include "core/crypto/sha.h"
#include "core/package/package_reader.h"
#include "core/package/package_writer.h"

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

struct Fixture {
    core::Bytes file;
    core::Ed25519PublicKey key{};
    std::size_t asset_bytes = 0;
    std::size_t archive_bytes = 0;
    std::size_t payload_offset = 0;
    std::size_t payload_size = 0;
};

// About 60 MiB of assets: incompressible media (random bytes, as in video, images and
// audio) and compressible page code and text.
const Fixture& fixture() {
    static const Fixture built = [] {
        Fixture f;
        core::Ed25519Seed seed{};
        seed.fill(7);
        f.key = core::ed25519_public_key(seed).value();
        std::mt19937_64 random(42);
        core::AssetMap assets;
        const auto media = [&](std::size_t size) {
            core::Bytes bytes(size);
            for (std::size_t i = 0; i + 8 <= size; i += 8) {
                const std::uint64_t value = random();
                std::memcpy(bytes.data() + i, &value, 8);
            }
            return bytes;
        };
        const auto text = [&](std::size_t size) {
            static const std::string words[] = {"const ", "function ", "return ", "wallpaper", "(x, y) ", "=> ",
                                                "{\n", "}\n", "canvas.draw", "0.5", "let ", "frame", ";\n"};
            core::Bytes bytes;
            bytes.reserve(size);
            while (bytes.size() < size) {
                const std::string& word = words[random() % std::size(words)];
                bytes.insert(bytes.end(), word.begin(), word.end());
            }
            bytes.resize(size);
            return bytes;
        };
        assets["index.html"] = text(64 * 1024);
        for (int i = 0; i < 6; ++i) assets["video/clip" + std::to_string(i) + ".webm"] = media(5 * kMiB);
        for (int i = 0; i < 40; ++i) assets["img/tile" + std::to_string(i) + ".webp"] = media(256 * 1024);
        for (int i = 0; i < 4; ++i) assets["audio/track" + std::to_string(i) + ".ogg"] = media(2 * kMiB);
        for (int i = 0; i < 12; ++i) assets["js/module" + std::to_string(i) + ".js"] = text(kMiB);
        for (const auto& [path, bytes] : assets) f.asset_bytes += bytes.size();
        f.archive_bytes = core::archive_json(assets).size();
        const core::Manifest manifest{.id = "bench", .name = "Bench", .version = 1, .entry = "index.html", .fps = 60};
        f.file = core::write_package(manifest, assets, seed).value();
        const auto parsed = core::read_package_header(f.file, f.key).value();
        f.payload_offset = parsed.payload_offset;
        f.payload_size = parsed.payload_size;
        return f;
    }();
    return built;
}

// Processor time of the whole process, every thread counted: work moved to a helper
// thread is still work the machine does.
double process_cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void open_once(const Fixture& f) {
    auto header = core::read_package_header(f.file, f.key);
    if (!header) throw std::runtime_error(header.error().chain());
    auto opened = core::open_package(*header, f.file);
    if (!opened) throw std::runtime_error(opened.error().chain());
    benchmark::DoNotOptimize(opened->assets.size());
}

// A package with one payload byte changed: refused by the signature, which must cost one
// SHA-512 pass and nothing more. Returns the processor time of the refusal and of that pass.
std::pair<double, double> tampered_cpu_seconds(const Fixture& f) {
    core::Bytes tampered = f.file;
    tampered[f.payload_offset + f.payload_size / 2] ^= 1;
    double refusal = 1e9;
    double pass = 1e9;
    for (int i = 0; i < 3; ++i) {
        double start = process_cpu_seconds();
        if (core::read_package_header(tampered, f.key)) throw std::runtime_error("tampered package accepted");
        refusal = std::min(refusal, process_cpu_seconds() - start);
        start = process_cpu_seconds();
        benchmark::DoNotOptimize(core::sha512(tampered));
        pass = std::min(pass, process_cpu_seconds() - start);
    }
    return {refusal, pass};
}

// The unavoidable work, each step as fast as it can be done: the inflated text goes into
// fresh memory of exactly the right size, as it must for every package opened.
void floor_once(const Fixture& f) {
    const std::unique_ptr<char[]> inflated(new char[f.archive_bytes]);
    benchmark::DoNotOptimize(core::sha512(f.file));
    benchmark::DoNotOptimize(core::sha256(f.file));
    z_stream z{};
    inflateInit2(&z, 16 + 15);
    z.next_in = const_cast<Bytef*>(f.file.data() + f.payload_offset);
    z.avail_in = static_cast<uInt>(f.payload_size);
    z.next_out = reinterpret_cast<Bytef*>(inflated.get());
    z.avail_out = static_cast<uInt>(f.archive_bytes);
    if (inflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("floor inflation failed");
    inflateEnd(&z);
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long status_kib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field) + 1));
    }
    return -1;
}

// The peak resident memory one open adds to a process that already holds the file,
// measured in a child so that nothing of the benchmark's own allocations interferes.
double peak_extra_mib(const Fixture& f) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(pipe_fds[0]);
        // The allocator as a fresh process has it: the iterations before the fork raised
        // glibc's mmap threshold, which would keep freed blocks resident and count them.
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        std::ofstream("/proc/self/clear_refs") << "5";  // restart the peak from now
        const long before = status_kib("VmRSS:");
        open_once(f);
        const long peak = status_kib("VmHWM:");
        const long extra = peak - before;
        if (write(pipe_fds[1], &extra, sizeof extra) != sizeof extra) _exit(1);
        _exit(0);
    }
    close(pipe_fds[1]);
    long extra = -1;
    if (read(pipe_fds[0], &extra, sizeof extra) != sizeof extra) extra = -1;
    close(pipe_fds[0]);
    waitpid(child, nullptr, 0);
    return static_cast<double>(extra) / 1024.0;
}

// Open and floor alternate within one run, so that both see the same machine load; the
// fastest of each is compared.
void BM_PackageOpenVersusFloor(benchmark::State& state) {
    const Fixture& f = fixture();
    double best_open = 1e9;
    double best_floor = 1e9;
    double best_open_cpu = 1e9;
    double best_floor_cpu = 1e9;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        double cpu_start = process_cpu_seconds();
        open_once(f);
        const double open = seconds_since(start);
        best_open_cpu = std::min(best_open_cpu, process_cpu_seconds() - cpu_start);
        start = std::chrono::steady_clock::now();
        cpu_start = process_cpu_seconds();
        floor_once(f);
        const double floor = seconds_since(start);
        best_floor_cpu = std::min(best_floor_cpu, process_cpu_seconds() - cpu_start);
        best_open = std::min(best_open, open);
        best_floor = std::min(best_floor, floor);
        state.SetIterationTime(open);
    }
    const double extra = peak_extra_mib(f);
    const auto [tampered, one_pass] = tampered_cpu_seconds(f);
    const double basis = static_cast<double>(f.file.size() + f.asset_bytes) / kMiB;
    state.counters["file_MiB"] = static_cast<double>(f.file.size()) / kMiB;
    state.counters["assets_MiB"] = static_cast<double>(f.asset_bytes) / kMiB;
    state.counters["open_ms"] = best_open * 1000;
    state.counters["floor_ms"] = best_floor * 1000;
    state.counters["time_ratio"] = best_open / best_floor;
    state.counters["open_cpu_ms"] = best_open_cpu * 1000;
    state.counters["cpu_ratio"] = best_open_cpu / best_floor_cpu;
    state.counters["tampered_cpu_ms"] = tampered * 1000;
    state.counters["peak_extra_MiB"] = extra;
    state.counters["memory_ratio"] = extra / basis;
    std::printf("package open: %.1f ms, floor %.1f ms, ratio %.2f (goal <= 1.10); processor time %.1f ms, "
                "floor %.1f ms, ratio %.2f (goal <= 1.3); peak extra memory %.1f MiB "
                "= %.2f x (file %.1f MiB + assets %.1f MiB) (goal <= 1.2); a tampered package is refused in %.1f ms "
                "of processor time (one SHA-512 pass: %.1f ms)\n",
                best_open * 1000, best_floor * 1000, best_open / best_floor, best_open_cpu * 1000,
                best_floor_cpu * 1000, best_open_cpu / best_floor_cpu, extra, extra / basis,
                static_cast<double>(f.file.size()) / kMiB, static_cast<double>(f.asset_bytes) / kMiB,
                tampered * 1000, one_pass * 1000);
}
BENCHMARK(BM_PackageOpenVersusFloor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace
