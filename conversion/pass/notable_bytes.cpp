#include "conversion/pass/notable_bytes.h"

#include <atomic>
#include <cstdint>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QUELLMARK_X86_64 1
#endif

namespace quellmark {
namespace {

// A chunk is judged from its 64 bytes and the 4 after them.
constexpr std::size_t Chunk = 64, Reach = 4;

bool IsNotable(const unsigned char* Data, std::size_t At, std::size_t Size) {
    if (Data[At] == '\r') {
        return At + 1 == Size || Data[At + 1] != '\n';
    }
    return At + Reach < Size && Data[At] == ' ' && Data[At + 1] == '2' && Data[At + 2] == '7' &&
           Data[At + 3] == '9' && Data[At + 4] == ' ';
}

std::size_t FindInTail(const unsigned char* Data, std::size_t At, std::size_t Size) {
    while (At < Size && !IsNotable(Data, At, Size)) {
        ++At;
    }
    return At;
}

#if QUELLMARK_X86_64
// One bit per byte of the chunk, set where the byte is notable: five shifted loads compared at
// once, so the chunk is read once and each find comes from a trailing-zero count.
std::uint64_t NotableMaskSse2(const unsigned char* Data) {
    std::uint64_t Mask = 0;
    for (std::size_t Lane = 0; Lane < Chunk; Lane += 16) {
        const auto Is = [Data, Lane](std::size_t Offset, char Byte) {
            const auto Bytes =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(Data + Lane + Offset));
            return _mm_cmpeq_epi8(Bytes, _mm_set1_epi8(Byte));
        };
        const __m128i Toggle = _mm_and_si128(_mm_and_si128(_mm_and_si128(Is(0, ' '), Is(1, '2')),
                                                           _mm_and_si128(Is(2, '7'), Is(3, '9'))),
                                             Is(4, ' '));
        const __m128i LoneReturn = _mm_andnot_si128(Is(1, '\n'), Is(0, '\r'));
        const auto Bits =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(Toggle, LoneReturn)));
        Mask |= static_cast<std::uint64_t>(Bits) << Lane;
    }
    return Mask;
}

__attribute__((target("avx2"))) std::uint64_t NotableMaskAvx2(const unsigned char* Data) {
    std::uint64_t Mask = 0;
    for (std::size_t Lane = 0; Lane < Chunk; Lane += 32) {
        const auto Load = [ Data, Lane ](std::size_t Offset) __attribute__((target("avx2"))) {
            return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Data + Lane + Offset));
        };
        const auto Is = [&Load](std::size_t Offset, char Byte) __attribute__((target("avx2"))) {
            return _mm256_cmpeq_epi8(Load(Offset), _mm256_set1_epi8(Byte));
        };
        const __m256i Toggle =
            _mm256_and_si256(_mm256_and_si256(_mm256_and_si256(Is(0, ' '), Is(1, '2')),
                                              _mm256_and_si256(Is(2, '7'), Is(3, '9'))),
                             Is(4, ' '));
        const __m256i LoneReturn = _mm256_andnot_si256(Is(1, '\n'), Is(0, '\r'));
        const auto Bits =
            static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(Toggle, LoneReturn)));
        Mask |= static_cast<std::uint64_t>(Bits) << Lane;
    }
    return Mask;
}

// The same chunk loop twice: a loop shared through a template cannot take the AVX2 mask in
// line, since the compiler inlines AVX2 code only into AVX2 functions.
std::size_t FindSse2(const unsigned char* Data, std::size_t Size) {
    std::size_t At = 0;
    for (; At + Chunk + Reach <= Size; At += Chunk) {
        if (const auto Mask = NotableMaskSse2(Data + At); Mask != 0) {
            return At + static_cast<std::size_t>(__builtin_ctzll(Mask));
        }
    }
    return FindInTail(Data, At, Size);
}

__attribute__((target("avx2"))) std::size_t FindAvx2(const unsigned char* Data, std::size_t Size) {
    std::size_t At = 0;
    for (; At + Chunk + Reach <= Size; At += Chunk) {
        if (const auto Mask = NotableMaskAvx2(Data + At); Mask != 0) {
            return At + static_cast<std::size_t>(__builtin_ctzll(Mask));
        }
    }
    return FindInTail(Data, At, Size);
}
#endif

}  // namespace

std::vector<ByteScan> SupportedByteScans() {
    std::vector<ByteScan> Scans{ByteScan::Plain};
#if QUELLMARK_X86_64
    Scans.push_back(ByteScan::Sse2);
    if (__builtin_cpu_supports("avx2")) {
        Scans.push_back(ByteScan::Avx2);
    }
#endif
    return Scans;
}

namespace {

std::atomic<ByteScan> ChosenScan{SupportedByteScans().back()};

}  // namespace

void UseByteScan(ByteScan Scan) {
    ChosenScan.store(Scan, std::memory_order_relaxed);
}

std::size_t FindNotableByte(std::string_view Bytes) {
    const auto* Data = reinterpret_cast<const unsigned char*>(Bytes.data());
    switch (ChosenScan.load(std::memory_order_relaxed)) {
#if QUELLMARK_X86_64
        case ByteScan::Avx2:
            return FindAvx2(Data, Bytes.size());
        case ByteScan::Sse2:
            return FindSse2(Data, Bytes.size());
#endif
        default:
            return FindInTail(Data, 0, Bytes.size());
    }
}

}  // namespace quellmark
