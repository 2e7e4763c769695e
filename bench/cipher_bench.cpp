// Prints how fast the engine and the codec run on one core, beside OpenSSL's Blowfish
// on the same data in the same run, and the codec on one worker thread per processor.
#include "blowfish.h"
#include "blowfish_paths.h"
#include "locked_format.h"

#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr size_t kBufferBytes = 64u << 20;
constexpr int kRounds = 3;
const uint8_t kKey[] = {'b', 'e', 'n', 'c', 'h', 'm', 'a', 'r', 'k', ' ', 'k', 'e', 'y'};

// Best of a few runs, in MB/s (10^6 bytes per second).
double MegabytesPerSecond(size_t bytes, const std::function<void()>& run)
{
    double best = 1e30;
    for (int i = 0; i < kRounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return double(bytes) / best / 1e6;
}

uint32_t LoadHalf(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

void StoreHalf(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}

class MemorySource : public lockedfile::ByteSource {
public:
    explicit MemorySource(const std::vector<uint8_t>& bytes) : m_bytes(bytes) {}
    bool Read(uint8_t* buffer, size_t want, size_t& got) override
    {
        got = std::min(want, m_bytes.size() - m_position);
        std::memcpy(buffer, m_bytes.data() + m_position, got);
        m_position += got;
        return true;
    }

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_position = 0;
};

class MemorySink : public lockedfile::ByteSink {
public:
    explicit MemorySink(std::vector<uint8_t>& bytes) : m_bytes(bytes) {}
    bool Write(const uint8_t* buffer, size_t count) override
    {
        std::memcpy(m_bytes.data() + m_position, buffer, count);
        m_position += count;
        return true;
    }

private:
    std::vector<uint8_t>& m_bytes;
    size_t m_position = 0;
};

class SilentProgress : public lockedfile::ProgressSink {
public:
    void SetRange() override {}
    void SetPos(int) override {}
};

double EvpBlowfishEcb(std::vector<uint8_t>& data)
{
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER* base = OSSL_PROVIDER_load(nullptr, "default");
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "BF-ECB", nullptr);
    double result = 0;
    if (cipher != nullptr) {
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        const int keyLength = int(sizeof kKey);
        result = MegabytesPerSecond(data.size(), [&] {
            EVP_EncryptInit_ex2(ctx, cipher, nullptr, nullptr, nullptr);
            EVP_CIPHER_CTX_set_key_length(ctx, keyLength);
            EVP_EncryptInit_ex2(ctx, nullptr, kKey, nullptr, nullptr);
            EVP_CIPHER_CTX_set_padding(ctx, 0);
            int out = 0;
            EVP_EncryptUpdate(ctx, data.data(), &out, data.data(), int(data.size()));
        });
        EVP_CIPHER_CTX_free(ctx);
        EVP_CIPHER_free(cipher);
    }
    if (legacy) OSSL_PROVIDER_unload(legacy);
    if (base) OSSL_PROVIDER_unload(base);
    return result;
}

}  // namespace

int main()
{
    std::vector<uint8_t> data(kBufferBytes);
    std::mt19937 rng(1);
    for (auto& b : data) b = uint8_t(rng());
    const size_t blocks = data.size() / 8;
    Blowfish_Init(kKey, int16_t(sizeof kKey));

    const double oneByOne = MegabytesPerSecond(data.size(), [&] {
        for (size_t i = 0; i < blocks; ++i) {
            uint8_t* p = data.data() + 8 * i;
            uint32_t left = LoadHalf(p), right = LoadHalf(p + 4);
            Blowfish_Encipher(left, right);
            StoreHalf(p, left);
            StoreHalf(p + 4, right);
        }
    });
    struct PathFigure {
        BlowfishPath path;
        double rate;
    };
    std::vector<PathFigure> paths;
    for (BlowfishPath path : kBlowfishPaths) {
        if (!BlowfishPathSupported(path))
            continue;
        paths.push_back({path, MegabytesPerSecond(data.size(), [&] {
                             Blowfish_EncipherBlocksOn(path, Blowfish_State(), data.data(), blocks,
                                                       HalfOrder::LittleEndian);
                         })});
    }
    const BlowfishPath chosen = BlowfishChosenPath();
    const double chosenRate = MegabytesPerSecond(data.size(), [&] {
        Blowfish_EncipherBlocks(data.data(), blocks, HalfOrder::LittleEndian);
    });

    BF_KEY key;
    BF_set_key(&key, int(sizeof kKey), kKey);
    const double opensslBlocks = MegabytesPerSecond(data.size(), [&] {
        for (size_t i = 0; i < blocks; ++i)
            BF_ecb_encrypt(data.data() + 8 * i, data.data() + 8 * i, &key, BF_ENCRYPT);
    });
    const double opensslEvp = EvpBlowfishEcb(data);
    const double openssl = std::max(opensslBlocks, opensslEvp);

    std::vector<uint8_t> locked(data.size() + 64);
    const double codec = MegabytesPerSecond(data.size(), [&] {
        MemorySource source(data);
        MemorySink sink(locked);
        SilentProgress progress;
        lockedfile::EncryptStream(source, data.size(), "bench.bin", sink, kKey, int(sizeof kKey), progress);
    });

    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    const double threaded = MegabytesPerSecond(data.size(), [&] {
        MemorySource source(data);
        MemorySink sink(locked);
        SilentProgress progress;
        BlowfishKeyContext context;
        lockedfile::EncryptStream(source, data.size(), "bench.bin", sink, kKey, int(sizeof kKey), context, progress,
                                  lockedfile::BlockRunner::Threaded(processors));
    });

    std::printf("Blowfish on a %zu MiB buffer, one core, best of %d:\n", kBufferBytes >> 20, kRounds);
    std::printf("  Blowfish_Encipher block by block        %8.1f MB/s\n", oneByOne);
    for (BlowfishPath path : kBlowfishPaths) {
        const auto figure = std::find_if(paths.begin(), paths.end(),
                                         [path](const PathFigure& f) { return f.path == path; });
        if (figure == paths.end())
            std::printf("  path %-12s                       %s\n", BlowfishPathName(path),
                        BlowfishPathInBuild(path) ? "not supported here" : "not in this build");
        else
            std::printf("  path %-12s                      %8.1f MB/s  %5.2fx OpenSSL\n", BlowfishPathName(path),
                        figure->rate, figure->rate / openssl);
    }
    std::printf("  OpenSSL BF_ecb_encrypt per block        %8.1f MB/s\n", opensslBlocks);
    std::printf("  OpenSSL EVP bf-ecb (legacy provider)    %8.1f MB/s%s\n", opensslEvp,
                opensslEvp == 0 ? " (unavailable)" : "");
    std::printf("  EncryptStream, memory to memory         %8.1f MB/s\n", codec);
    std::printf("  EncryptStream on %u worker threads       %8.1f MB/s (%.2fx the one-core codec)\n", processors,
                threaded, threaded / codec);
    // kst_bench.sh reads this line.
    std::printf("chosen path %s: %.1f MB/s, %.2fx the faster OpenSSL (%s)\n", BlowfishPathName(chosen), chosenRate,
                chosenRate / openssl, opensslEvp >= opensslBlocks ? "EVP" : "BF_ecb_encrypt");
    return 0;
}
