#include "model/Sha256.h"

#include <QCryptographicHash>

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>
#define ORRIS_SHA256_X86 1
#endif

namespace Sha256 {

namespace {

#ifdef ORRIS_SHA256_X86

alignas(16) constexpr std::uint32_t roundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

bool processorHasShaInstructions() {
    static const bool available = [] {
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) {
            return false;
        }
        const bool ssse3 = (ecx & (1u << 9)) != 0;
        const bool sse41 = (ecx & (1u << 19)) != 0;
        if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) == 0) {
            return false;
        }
        const bool sha = (ebx & (1u << 29)) != 0;
        return ssse3 && sse41 && sha;
    }();
    return available;
}

// Compresses whole 64-byte blocks into the state (a..h).
__attribute__((target("sha,sse4.1,ssse3"))) void compressBlocks(std::uint32_t state[8], const unsigned char* data,
                                                                std::size_t blocks) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    // The instructions keep the state as ABEF and CDGH.
    __m128i tmp = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0])), 0xB1);
    __m128i state1 = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4])), 0x1B);
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);

    for (; blocks > 0; --blocks, data += 64) {
        const __m128i savedAbef = state0;
        const __m128i savedCdgh = state1;
        __m128i words[4];
        for (int group = 0; group < 16; ++group) {
            __m128i current;
            if (group < 4) {
                current =
                    _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * group)), byteSwap);
            } else {
                const __m128i w16 = words[group % 4];       // W[t-16..t-13]
                const __m128i w12 = words[(group + 1) % 4]; // W[t-12..t-9]
                const __m128i w8 = words[(group + 2) % 4];  // W[t-8..t-5]
                const __m128i w4 = words[(group + 3) % 4];  // W[t-4..t-1]
                current = _mm_sha256msg1_epu32(w16, w12);
                current = _mm_add_epi32(current, _mm_alignr_epi8(w4, w8, 4));
                current = _mm_sha256msg2_epu32(current, w4);
            }
            words[group % 4] = current;
            __m128i message =
                _mm_add_epi32(current, _mm_load_si128(reinterpret_cast<const __m128i*>(&roundConstants[4 * group])));
            state1 = _mm_sha256rnds2_epu32(state1, state0, message);
            message = _mm_shuffle_epi32(message, 0x0E);
            state0 = _mm_sha256rnds2_epu32(state0, state1, message);
        }
        state0 = _mm_add_epi32(state0, savedAbef);
        state1 = _mm_add_epi32(state1, savedCdgh);
    }

    tmp = _mm_shuffle_epi32(state0, 0x1B);
    state1 = _mm_shuffle_epi32(state1, 0xB1);
    state0 = _mm_blend_epi16(tmp, state1, 0xF0);
    state1 = _mm_alignr_epi8(state1, tmp, 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), state1);
}

QByteArray processorDigest(QByteArrayView data) {
    std::uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    const std::size_t size = std::size_t(data.size());
    const std::size_t whole = size / 64;
    compressBlocks(state, bytes, whole);

    // The rest, the 0x80 marker and the bit length, in one or two blocks.
    unsigned char tail[128] = {};
    const std::size_t rest = size - whole * 64;
    if (rest > 0) {
        std::memcpy(tail, bytes + whole * 64, rest);
    }
    tail[rest] = 0x80;
    const std::size_t tailBlocks = rest + 1 + 8 > 64 ? 2 : 1;
    const std::uint64_t bits = std::uint64_t(size) * 8;
    for (int i = 0; i < 8; ++i) {
        tail[tailBlocks * 64 - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    }
    compressBlocks(state, tail, tailBlocks);

    QByteArray result(32, Qt::Uninitialized);
    for (int i = 0; i < 8; ++i) {
        result[4 * i] = char(state[i] >> 24);
        result[4 * i + 1] = char(state[i] >> 16);
        result[4 * i + 2] = char(state[i] >> 8);
        result[4 * i + 3] = char(state[i]);
    }
    return result;
}

#endif

} // namespace

QByteArray portableDigest(QByteArrayView data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256);
}

bool usesProcessorInstructions() {
#ifdef ORRIS_SHA256_X86
    return processorHasShaInstructions();
#else
    return false;
#endif
}

QByteArray digest(QByteArrayView data) {
#ifdef ORRIS_SHA256_X86
    if (processorHasShaInstructions()) {
        return processorDigest(data);
    }
#endif
    return portableDigest(data);
}

QString hex(QByteArrayView data) {
    return QString::fromLatin1(digest(data).toHex());
}

} // namespace Sha256
