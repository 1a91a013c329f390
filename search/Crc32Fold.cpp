#include "Crc32Fold.h"

#include "crc32tab.h"

#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

using TSlicingTables = std::array<std::array<uint32_t, 256>, 16>;

constexpr TSlicingTables MakeSlicingTables()
{
    TSlicingTables tables{};
    tables[0] = Crc32Table;
    for (size_t k = 1; k < tables.size(); ++k) {
        for (size_t n = 0; n < 256; ++n) {
            const uint32_t previous = tables[k - 1][n];
            tables[k][n] = (previous >> 8) ^ Crc32Table[previous & 0xFF];
        }
    }
    return tables;
}

// Entry [k][n]: the register that byte n leaves behind once k zero bytes have followed it.
constexpr TSlicingTables SlicingTables = MakeSlicingTables();

inline uint32_t LoadLittle32(const uint8_t* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint32_t FoldBytewise(uint32_t crc, const uint8_t* p, size_t length)
{
    UpdateCrc32Reference(p, length, crc);
    return crc;
}

uint32_t FoldSlicing(uint32_t crc, const uint8_t* p, size_t length)
{
    const auto& t = SlicingTables;
    for (; length >= 16; p += 16, length -= 16) {
        const uint32_t a = LoadLittle32(p) ^ crc;
        const uint32_t b = LoadLittle32(p + 4);
        const uint32_t c = LoadLittle32(p + 8);
        const uint32_t d = LoadLittle32(p + 12);
        crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
              t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
              t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
              t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
    }
    return FoldBytewise(crc, p, length);
}

#if defined(__x86_64__) || defined(__i386__)

constexpr uint64_t Polynomial = 0x104C11DB7;

// x^n mod P in plain bit order.
constexpr uint32_t PowerOfXModP(unsigned n)
{
    uint64_t r = 1;
    for (unsigned i = 0; i < n; ++i) {
        r <<= 1;
        if (r & (uint64_t{1} << 32))
            r ^= Polynomial;
    }
    return static_cast<uint32_t>(r);
}

constexpr uint64_t Reflect(uint64_t value, unsigned bits)
{
    uint64_t r = 0;
    for (unsigned i = 0; i < bits; ++i)
        r |= ((value >> i) & 1) << (bits - 1 - i);
    return r;
}

// The multiplier that carries a 64-bit half of a reflected register n - 32 bits further along
// the message (the extra shift by one makes up for the reflected product's missing low bit).
constexpr uint64_t FoldConstant(unsigned n)
{
    return Reflect(PowerOfXModP(n), 32) << 1;
}

// floor(x^64 / P), for the Barrett reduction of the last 64 bits.
constexpr uint64_t BarrettQuotient()
{
    uint64_t window = uint64_t{1} << 32;
    uint64_t quotient = 0;
    for (int bit = 32; bit >= 0; --bit) {
        if (window & (uint64_t{1} << 32)) {
            quotient |= uint64_t{1} << bit;
            window ^= Polynomial;
        }
        window <<= 1;
    }
    return quotient;
}

constexpr uint64_t FoldBy4Low = FoldConstant(4 * 128 + 32);
constexpr uint64_t FoldBy4High = FoldConstant(4 * 128 - 32);
constexpr uint64_t FoldBy1Low = FoldConstant(128 + 32);
constexpr uint64_t FoldBy1High = FoldConstant(128 - 32);
constexpr uint64_t Fold64To32 = FoldConstant(64);
constexpr uint64_t ReflectedPolynomial = Reflect(Polynomial, 33);
constexpr uint64_t ReflectedQuotient = Reflect(BarrettQuotient(), 33);
static_assert(FoldBy4Low == 0x154442BD4 && ReflectedPolynomial == 0x1DB710641 &&
              ReflectedQuotient == 0x1F7011641);

__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i lanes, __m128i constants, __m128i next)
{
    const __m128i low = _mm_clmulepi64_si128(lanes, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(lanes, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

__attribute__((target("sse2"))) inline __m128i Load(const uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Length: a multiple of 16, at least 64.
__attribute__((target("pclmul,sse4.1"))) uint32_t FoldClmul(uint32_t crc, const uint8_t* p, size_t length)
{
    const auto asLane = [](uint64_t value) { return static_cast<long long>(value); };
    const __m128i by4 = _mm_set_epi64x(asLane(FoldBy4High), asLane(FoldBy4Low));
    const __m128i by1 = _mm_set_epi64x(asLane(FoldBy1High), asLane(FoldBy1Low));
    const __m128i low32 = _mm_set_epi32(0, 0, 0, -1);

    __m128i x1 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x2 = Load(p + 16);
    __m128i x3 = Load(p + 32);
    __m128i x4 = Load(p + 48);
    p += 64;
    length -= 64;
    // Four independent lanes keep the multiplier busy while earlier products are still in flight.
    for (; length >= 64; p += 64, length -= 64) {
        x1 = Fold(x1, by4, Load(p));
        x2 = Fold(x2, by4, Load(p + 16));
        x3 = Fold(x3, by4, Load(p + 32));
        x4 = Fold(x4, by4, Load(p + 48));
    }
    x1 = Fold(x1, by1, x2);
    x1 = Fold(x1, by1, x3);
    x1 = Fold(x1, by1, x4);
    for (; length >= 16; p += 16, length -= 16)
        x1 = Fold(x1, by1, Load(p));

    // 128 bits to 64, then to 32 plus a 32-bit remainder, then Barrett reduction.
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(x1, by1, 0x10), _mm_srli_si128(x1, 8));
    const __m128i by64 = _mm_set_epi64x(0, asLane(Fold64To32));
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), by64, 0x00), _mm_srli_si128(x1, 4));
    const __m128i barrett = _mm_set_epi64x(asLane(ReflectedQuotient), asLane(ReflectedPolynomial));
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), barrett, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x00);
    return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(t, x1), 1));
}

bool DetectClmul()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

#else

bool DetectClmul()
{
    return false;
}

#endif

// Zero-initialised before any constructor runs, so an early caller simply takes the portable path.
const bool ClmulAvailable = DetectClmul();

} // namespace

void UpdateCrc32Slicing(const void* Buffer, size_t Length, uint32_t& Crc)
{
    Crc = FoldSlicing(Crc, static_cast<const uint8_t*>(Buffer), Length);
}

bool Crc32ClmulSupported()
{
    return ClmulAvailable;
}

void UpdateCrc32Clmul(const void* Buffer, size_t Length, uint32_t& Crc)
{
    const auto* bytes = static_cast<const uint8_t*>(Buffer);
    uint32_t crc = Crc;
#if defined(__x86_64__) || defined(__i386__)
    if (Length >= 64) {
        const size_t folded = Length & ~size_t{15};
        crc = FoldClmul(crc, bytes, folded);
        bytes += folded;
        Length -= folded;
    }
#endif
    Crc = FoldSlicing(crc, bytes, Length);
}

void UpdateCrc32Fast(const void* Buffer, size_t Length, uint32_t& Crc)
{
    if (ClmulAvailable)
        UpdateCrc32Clmul(Buffer, Length, Crc);
    else
        UpdateCrc32Slicing(Buffer, Length, Crc);
}
