// MD5 update throughput, ours beside OpenSSL's, on the checker's 40960-byte chunks and on one
// 64 MiB buffer. Both feed one running digest, as the checker does through a whole file.

// OpenSSL 3 marks its one-shot MD5 calls as deprecated; they remain the most direct way to reach
// its assembly transform, without the EVP dispatch.
#define OPENSSL_SUPPRESS_DEPRECATED

#include <benchmark/benchmark.h>
#include <openssl/md5.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "md5.h"

namespace {

// Pseudo-random bytes: the transform's speed does not depend on the data, but a compiler or a
// cache must not be able to make anything of it either.
std::vector<uint8_t> makeInput(size_t size) {
    std::vector<uint8_t> data(size);
    uint64_t x = 0x9e3779b97f4a7c15ull;
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        data[i] = static_cast<uint8_t>(x >> 32);
    }
    return data;
}

// Both implementations must agree before either is timed.
bool sameDigest(const std::vector<uint8_t>& data) {
    Md5Context ours;
    md5Init(&ours);
    md5Update(&ours, data.data(), data.size());
    uint8_t oursDigest[16];
    md5Final(&ours, oursDigest);
    uint8_t theirs[MD5_DIGEST_LENGTH];
    MD5(data.data(), data.size(), theirs);
    return memcmp(oursDigest, theirs, sizeof oursDigest) == 0;
}

void BM_Md5Ours(benchmark::State& state) {
    const std::vector<uint8_t> data = makeInput(static_cast<size_t>(state.range(0)));
    if (!sameDigest(data)) {
        state.SkipWithError("our digest differs from OpenSSL's");
        return;
    }
    Md5Context context;
    md5Init(&context);
    for (auto _ : state) {
        md5Update(&context, data.data(), data.size());
        benchmark::DoNotOptimize(context.state);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_Md5OpenSsl(benchmark::State& state) {
    const std::vector<uint8_t> data = makeInput(static_cast<size_t>(state.range(0)));
    MD5_CTX context;
    MD5_Init(&context);
    for (auto _ : state) {
        MD5_Update(&context, data.data(), data.size());
        benchmark::DoNotOptimize(context.A);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

constexpr int64_t kChunk = 40960;
constexpr int64_t kLarge = 64 << 20;

}  // namespace

BENCHMARK(BM_Md5Ours)->Arg(kChunk)->Arg(kLarge);
BENCHMARK(BM_Md5OpenSsl)->Arg(kChunk)->Arg(kLarge);
