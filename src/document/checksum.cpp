#include "document/checksum.h"

#include "buffer/data_buffer.h"
#include "settings/hex_digit.h"

#include <zlib.h>

#include <bit>
#include <cstdio>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the word loads below assume a little-endian host");

namespace {
ChecksumAlgorithm Sum(const char* name, ChecksumKind kind, int width, uint32_t check)
{
    ChecksumAlgorithm a;
    a.name = name;
    a.kind = kind;
    a.width = width;
    a.check = check;
    return a;
}

ChecksumAlgorithm Crc(const char* name, int width, uint32_t poly, uint32_t init, bool refin, bool refout,
                      uint32_t xorout, uint32_t check)
{
    ChecksumAlgorithm a = Sum(name, ChecksumKind::Crc, width, check);
    a.crc = CrcParameters{width, poly, init, refin, refout, xorout};
    return a;
}

ChecksumAlgorithm Words(ChecksumAlgorithm a)
{
    a.kind = ChecksumKind::CrcWords;
    return a;
}

uint32_t WidthMask(int width)
{
    return width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
}

uint32_t Reflect(uint32_t value, int width)
{
    uint32_t r = 0;
    for (int i = 0; i < width; ++i)
        r |= ((value >> i) & 1u) << (width - 1 - i);
    return r;
}

// Lower case without '-' and '_', so "CRC-16/XMODEM" finds "crc16/xmodem".
std::string NameKey(std::string_view text)
{
    std::string key;
    for (char c : text) {
        if (c == '-' || c == '_')
            continue;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

// Hexadecimal with an optional "0x"; false for anything else or above 32 bits.
bool ParseHex32(std::string_view text, uint32_t& value)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 8)
        return false;
    value = 0;
    for (char c : text) {
        int digit = HexDigitValue(c);
        if (digit < 0)
            return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return true;
}

bool ParseFlag(std::string_view text, bool& value)
{
    const std::string key = NameKey(text);
    if (key == "true" || key == "1")
        value = true;
    else if (key == "false" || key == "0")
        value = false;
    else
        return false;
    return true;
}

std::string Hex(uint32_t value, int width)
{
    return "0x" + FormatChecksum(value, width);
}

// Sums of the bytes at even and at odd offsets of p[0..n), eight at a time:
// each 16-bit lane of the accumulators takes at most 256 bytes before it is
// folded, so it cannot overflow.
void SumEvenOdd(const uint8_t* p, Address n, uint64_t& even, uint64_t& odd)
{
    constexpr uint64_t lanes = 0x00FF00FF00FF00FFull;
    const auto fold = [](uint64_t x) { return (x & 0xFFFF) + ((x >> 16) & 0xFFFF) + ((x >> 32) & 0xFFFF) + (x >> 48); };
    while (n >= 8) {
        const Address words = std::min<Address>(n / 8, 256);
        uint64_t e = 0, o = 0;
        for (Address i = 0; i < words; ++i) {
            uint64_t x;
            std::memcpy(&x, p + 8 * i, 8);
            e += x & lanes;
            o += (x >> 8) & lanes;
        }
        even += fold(e);
        odd += fold(o);
        p += 8 * words;
        n -= 8 * words;
    }
    for (Address i = 0; i < n; ++i)
        (i % 2 == 0 ? even : odd) += p[i];
}
} // namespace

const std::vector<ChecksumAlgorithm>& ChecksumCatalogue()
{
    using K = ChecksumKind;
    static const std::vector<ChecksumAlgorithm> catalogue{
        Sum("sum8", K::Sum, 8, 0xDD),
        Sum("sum16", K::Sum, 16, 0x01DD),
        Sum("sum32", K::Sum, 32, 0x000001DD),
        Sum("sum8/neg", K::SumNegated, 8, 0x23),
        Sum("sum16/neg", K::SumNegated, 16, 0xFE23),
        Sum("sum32/neg", K::SumNegated, 32, 0xFFFFFE23),
        Sum("sum8/inv", K::SumInverted, 8, 0x22),
        Sum("sum16/inv", K::SumInverted, 16, 0xFE22),
        Sum("sum32/inv", K::SumInverted, 32, 0xFFFFFE22),
        Sum("wordsum/le", K::WordSumLow, 16, 0xD509),
        Sum("wordsum/be", K::WordSumHigh, 16, 0x09D4),
        Crc("crc8/smbus", 8, 0x07, 0x00, false, false, 0x00, 0xF4),
        Crc("crc16/arc", 16, 0x8005, 0x0000, true, true, 0x0000, 0xBB3D),
        Crc("crc16/xmodem", 16, 0x1021, 0x0000, false, false, 0x0000, 0x31C3),
        Crc("crc16/ibm-3740", 16, 0x1021, 0xFFFF, false, false, 0x0000, 0x29B1),
        Crc("crc16/kermit", 16, 0x1021, 0x0000, true, true, 0x0000, 0x2189),
        Crc("crc16/modbus", 16, 0x8005, 0xFFFF, true, true, 0x0000, 0x4B37),
        Crc("crc32", 32, 0x04C11DB7, 0xFFFFFFFF, true, true, 0xFFFFFFFF, 0xCBF43926),
        Crc("crc32/mpeg-2", 32, 0x04C11DB7, 0xFFFFFFFF, false, false, 0x00000000, 0x0376E6E7),
        Crc("crc32c", 32, 0x1EDC6F41, 0xFFFFFFFF, true, true, 0xFFFFFFFF, 0xE3069283),
        Crc("crc32/bzip2", 32, 0x04C11DB7, 0xFFFFFFFF, false, false, 0xFFFFFFFF, 0xFC891918),
        Crc("crc16/spi-fujitsu", 16, 0x1021, 0x1D0F, false, false, 0x0000, 0xE5CC),
        Words(Crc("crc32/stm32", 32, 0x04C11DB7, 0xFFFFFFFF, false, false, 0x00000000, 0xD9020D98)),
        Sum("adler32", K::Adler32, 32, 0x091E01DE),
        Sum("fletcher16", K::Fletcher16, 16, 0xDE1E),
        Sum("fletcher32", K::Fletcher32, 32, 0x091501DD),
    };
    return catalogue;
}

const std::vector<std::string_view>& ChecksumAliases()
{
    static const std::vector<std::string_view> aliases{
        "crc8=crc8/smbus",
        "crc16/ccitt-false=crc16/ibm-3740",
        "crc16/autosar=crc16/ibm-3740",
        "crc16/ccitt-true=crc16/kermit",
        "crc16/zmodem=crc16/xmodem",
        "crc32/iso-hdlc=crc32",
        "crc32/zip=crc32",
        "crc32/iscsi=crc32c",
        "crc32c/iscsi=crc32c",
        "crc32/aal5=crc32/bzip2",
        "crc16/aug-ccitt=crc16/spi-fujitsu",
        "crc32/stm32f=crc32/stm32",
    };
    return aliases;
}

std::string CheckCrcParameters(const CrcParameters& crc)
{
    if (crc.width != 8 && crc.width != 16 && crc.width != 32)
        return "the CRC width must be 8, 16 or 32, not " + std::to_string(crc.width);
    const uint32_t mask = WidthMask(crc.width);
    const std::string bits = " does not fit in " + std::to_string(crc.width) + " bits";
    if (crc.poly & ~mask)
        return "poly " + Hex(crc.poly, 32) + bits;
    if (crc.init & ~mask)
        return "init " + Hex(crc.init, 32) + bits;
    if (crc.xorout & ~mask)
        return "xorout " + Hex(crc.xorout, 32) + bits;
    return {};
}

ChecksumAlgorithm CustomCrc(const CrcParameters& crc)
{
    ChecksumAlgorithm a;
    a.kind = ChecksumKind::Crc;
    a.width = crc.width;
    a.crc = crc;
    a.name = "width=" + std::to_string(crc.width) + ",poly=" + Hex(crc.poly, crc.width) +
             ",init=" + Hex(crc.init, crc.width) + ",refin=" + (crc.refin ? "true" : "false") +
             ",refout=" + (crc.refout ? "true" : "false") + ",xorout=" + Hex(crc.xorout, crc.width);
    a.check = ComputeChecksum(a, reinterpret_cast<const uint8_t*>("123456789"), 9);
    return a;
}

std::string ParseChecksumAlgorithm(std::string_view text, ChecksumAlgorithm& algorithm)
{
    if (text.find('=') == std::string_view::npos) {
        std::string key = NameKey(text);
        for (std::string_view alias : ChecksumAliases()) {
            const size_t eq = alias.find('=');
            if (NameKey(alias.substr(0, eq)) == key)
                key = NameKey(alias.substr(eq + 1));
        }
        for (const ChecksumAlgorithm& a : ChecksumCatalogue())
            if (NameKey(a.name) == key) {
                algorithm = a;
                return {};
            }
        return "unknown checksum \"" + std::string(text) + "\"";
    }

    CrcParameters crc;
    crc.width = 0;
    bool seen[6] = {};
    static constexpr std::string_view keys[6] = {"width", "poly", "init", "refin", "refout", "xorout"};
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const size_t eq = item.find('=');
        const std::string key = NameKey(item.substr(0, eq));
        const std::string_view value = eq == std::string_view::npos ? std::string_view() : item.substr(eq + 1);
        int k = 0;
        while (k < 6 && keys[k] != key)
            ++k;
        if (k == 6)
            return "unknown CRC parameter \"" + std::string(item) + "\"";
        if (seen[k])
            return "CRC parameter " + key + " given twice";
        seen[k] = true;
        bool ok = true;
        uint32_t number = 0;
        switch (k) {
        case 0:
            ok = value == "8" || value == "16" || value == "32";
            if (!ok)
                return "the CRC width must be 8, 16 or 32, not \"" + std::string(value) + "\"";
            crc.width = value == "8" ? 8 : value == "16" ? 16 : 32;
            break;
        case 3: ok = ParseFlag(value, crc.refin); break;
        case 4: ok = ParseFlag(value, crc.refout); break;
        default:
            ok = ParseHex32(value, number);
            (k == 1 ? crc.poly : k == 2 ? crc.init : crc.xorout) = number;
        }
        if (!ok)
            return "CRC parameter \"" + std::string(item) + "\" takes " +
                   (k == 3 || k == 4 ? "true or false" : "a hexadecimal number of at most 32 bits");
    }
    for (int k = 0; k < 6; ++k)
        if (!seen[k])
            return "CRC parameter " + std::string(keys[k]) + " is missing";
    if (std::string problem = CheckCrcParameters(crc); !problem.empty())
        return problem;
    algorithm = CustomCrc(crc);
    return {};
}

// The generic CRC keeps its register in 32 bits: right-aligned when input
// bits are reflected, left-aligned otherwise, so one slicing-by-8 loop
// serves every width. Erased stretches are an affine map of the register
// (feed 0xFF, then shift), whose powers of two are built once and combined.
struct OChecksummer::Crc {
    struct Affine {
        uint32_t column[32];
        uint32_t add;
        uint32_t Linear(uint32_t v) const
        {
            uint32_t r = 0;
            for (int i = 0; v; ++i, v >>= 1)
                if (v & 1)
                    r ^= column[i];
            return r;
        }
        uint32_t Apply(uint32_t v) const { return Linear(v) ^ add; }
    };

    explicit Crc(const CrcParameters& p)
        : width(p.width), reflected(p.refin), refout(p.refout), xorout(p.xorout),
          zlib(p.width == 32 && p.poly == 0x04C11DB7 && p.refin)
    {
        const uint32_t poly = reflected ? Reflect(p.poly, width) : p.poly << (32 - width);
        for (uint32_t x = 0; x < 256; ++x) {
            uint32_t c = reflected ? x : x << 24;
            for (int bit = 0; bit < 8; ++bit)
                c = reflected ? (c & 1 ? (c >> 1) ^ poly : c >> 1) : (c & 0x80000000u ? (c << 1) ^ poly : c << 1);
            table[0][x] = c;
        }
        for (int k = 1; k < 8; ++k)
            for (uint32_t x = 0; x < 256; ++x)
                table[k][x] = Shift(table[k - 1][x]);
        reg = reflected ? Reflect(p.init, width) : p.init << (32 - width);
    }

    // One zero byte through the register.
    uint32_t Shift(uint32_t r) const
    {
        return reflected ? table[0][r & 0xFF] ^ (r >> 8) : (r << 8) ^ table[0][r >> 24];
    }

    void Update(const uint8_t* p, Address n)
    {
        if (zlib) {
            // zlib's value is the register inverted before and after.
            while (n > 0) {
                const Address piece = std::min<Address>(n, 1 << 30);
                reg = ~static_cast<uint32_t>(crc32_z(~reg, p, static_cast<z_size_t>(piece)));
                p += piece;
                n -= piece;
            }
            return;
        }
        const auto& t = table;
        uint32_t r = reg;
        if (reflected) {
            for (; n >= 8; p += 8, n -= 8) {
                uint32_t lo, hi;
                std::memcpy(&lo, p, 4);
                std::memcpy(&hi, p + 4, 4);
                lo ^= r;
                r = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
                    t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
            }
            for (; n > 0; ++p, --n)
                r = t[0][(r ^ *p) & 0xFF] ^ (r >> 8);
        } else {
            for (; n >= 8; p += 8, n -= 8) {
                uint32_t hi, lo;
                std::memcpy(&hi, p, 4);
                std::memcpy(&lo, p + 4, 4);
                hi = __builtin_bswap32(hi) ^ r;
                lo = __builtin_bswap32(lo);
                r = t[7][hi >> 24] ^ t[6][(hi >> 16) & 0xFF] ^ t[5][(hi >> 8) & 0xFF] ^ t[4][hi & 0xFF] ^
                    t[3][lo >> 24] ^ t[2][(lo >> 16) & 0xFF] ^ t[1][(lo >> 8) & 0xFF] ^ t[0][lo & 0xFF];
            }
            for (; n > 0; ++p, --n)
                r = (r << 8) ^ t[0][(r >> 24) ^ *p];
        }
        reg = r;
    }

    void UpdateErased(Address n)
    {
        if (powers.empty()) {
            Affine one;
            for (int i = 0; i < 32; ++i)
                one.column[i] = Shift(1u << i);
            one.add = Shift(reflected ? 0xFFu : 0xFF000000u);
            powers.push_back(one);
        }
        for (size_t k = 0; n > 0; ++k, n >>= 1) {
            if (k == powers.size()) {
                const Affine& a = powers.back();
                Affine twice;
                for (int i = 0; i < 32; ++i)
                    twice.column[i] = a.Linear(a.column[i]);
                twice.add = a.Apply(a.add);
                powers.push_back(twice);
            }
            if (n & 1)
                reg = powers[k].Apply(reg);
        }
    }

    uint32_t Value() const
    {
        uint32_t r = reflected ? reg : reg >> (32 - width);
        if (refout != reflected)
            r = Reflect(r, width);
        return (r ^ xorout) & WidthMask(width);
    }

    int width;
    bool reflected;
    bool refout;
    uint32_t xorout;
    bool zlib;
    uint32_t reg = 0;
    uint32_t table[8][256];
    std::vector<Affine> powers;
};

OChecksummer::OChecksummer(const ChecksumAlgorithm& algorithm, Address firstAddress)
    : algorithm_(algorithm), next_(firstAddress)
{
    if (algorithm.kind == ChecksumKind::Crc || algorithm.kind == ChecksumKind::CrcWords)
        crc_ = std::make_unique<Crc>(algorithm.crc);
    if (algorithm.kind == ChecksumKind::Adler32) {
        modulus_ = 65521;
        first_ = 1;
    } else if (algorithm.kind == ChecksumKind::Fletcher16) {
        modulus_ = 255;
    } else if (algorithm.kind == ChecksumKind::Fletcher32) {
        modulus_ = 65535;
    }
}

void OChecksummer::UpdateSums(const uint8_t* bytes, Address count)
{
    // Reduced every few thousand bytes: the second sum stays far below 2^64.
    uint64_t a = first_, b = second_;
    while (count > 0) {
        const Address piece = std::min<Address>(count, 4096);
        for (Address i = 0; i < piece; ++i) {
            a += bytes[i];
            b += a;
        }
        a %= modulus_;
        b %= modulus_;
        bytes += piece;
        count -= piece;
    }
    first_ = a;
    second_ = b;
}

void OChecksummer::UpdateWords(const uint8_t* bytes, Address count)
{
    uint8_t swapped[4096];
    while (count > 0) {
        if (pendingCount_ > 0 || count < 4) {
            pending_[pendingCount_++] = *bytes++;
            --count;
            if (pendingCount_ == 4) {
                const uint8_t word[4] = {pending_[3], pending_[2], pending_[1], pending_[0]};
                crc_->Update(word, 4);
                pendingCount_ = 0;
            }
            continue;
        }
        const Address whole = std::min<Address>(count / 4 * 4, sizeof swapped);
        for (Address i = 0; i < whole; i += 4) {
            swapped[i] = bytes[i + 3];
            swapped[i + 1] = bytes[i + 2];
            swapped[i + 2] = bytes[i + 1];
            swapped[i + 3] = bytes[i];
        }
        crc_->Update(swapped, whole);
        bytes += whole;
        count -= whole;
    }
}

OChecksummer::~OChecksummer() = default;

void OChecksummer::Update(const uint8_t* bytes, Address count)
{
    if (count <= 0)
        return;
    if (modulus_ != 0) {
        UpdateSums(bytes, count);
    } else if (algorithm_.kind == ChecksumKind::CrcWords) {
        UpdateWords(bytes, count);
    } else if (crc_) {
        crc_->Update(bytes, count);
    } else {
        uint64_t even = 0, odd = 0;
        SumEvenOdd(bytes, count, even, odd);
        const bool shifted = next_ % 2 != 0;
        even_ += shifted ? odd : even;
        odd_ += shifted ? even : odd;
    }
    next_ += count;
}

void OChecksummer::UpdateErased(Address count)
{
    if (count <= 0)
        return;
    if (modulus_ != 0) {
        // n bytes of v: the first sum grows by n*v, the second by n times the
        // first plus v*n(n+1)/2.
        const unsigned __int128 n = static_cast<uint64_t>(count);
        const uint64_t a = first_;
        first_ = static_cast<uint64_t>((a + n * 0xFF) % modulus_);
        second_ = static_cast<uint64_t>((second_ + n * a + n * (n + 1) / 2 * 0xFF) % modulus_);
    } else if (algorithm_.kind == ChecksumKind::CrcWords) {
        static const uint8_t erased[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        const Address head = std::min<Address>(count, pendingCount_ ? 4 - pendingCount_ : 0);
        UpdateWords(erased, head);
        const Address words = (count - head) / 4 * 4;
        crc_->UpdateErased(words);
        UpdateWords(erased, count - head - words);
    } else if (crc_) {
        crc_->UpdateErased(count);
    } else {
        // Of the addresses next_..next_+count-1, how many are even.
        const uint64_t evens = static_cast<uint64_t>(next_ % 2 == 0 ? count - count / 2 : count / 2);
        even_ += evens * 0xFF;
        odd_ += (static_cast<uint64_t>(count) - evens) * 0xFF;
    }
    next_ += count;
}

uint32_t OChecksummer::Value() const
{
    // Fletcher sums as srec_cat keeps them: one's complement, so a sum of
    // 0 reads as all ones.
    const auto ones = [this](uint64_t sum) { return sum == 0 ? modulus_ : sum; };
    switch (algorithm_.kind) {
    case ChecksumKind::Adler32: return static_cast<uint32_t>(second_ << 16 | first_);
    case ChecksumKind::Fletcher32: return static_cast<uint32_t>(ones(second_) << 16 | ones(first_));
    case ChecksumKind::Fletcher16: return static_cast<uint32_t>(ones(first_) << 8 | ones(second_));
    case ChecksumKind::CrcWords:
        if (pendingCount_ > 0) {
            Crc padded = *crc_;
            uint8_t word[4] = {0xFF, 0xFF, 0xFF, 0xFF};
            for (int i = 0; i < pendingCount_; ++i)
                word[3 - i] = pending_[i];
            padded.Update(word, 4);
            return padded.Value();
        }
        break;
    default: break;
    }
    if (crc_)
        return crc_->Value();
    const uint32_t mask = WidthMask(algorithm_.width);
    const uint64_t total = even_ + odd_;
    switch (algorithm_.kind) {
    case ChecksumKind::SumNegated: return static_cast<uint32_t>(0 - total) & mask;
    case ChecksumKind::SumInverted: return static_cast<uint32_t>(~total) & mask;
    case ChecksumKind::WordSumLow: return static_cast<uint32_t>(even_ + (odd_ << 8)) & mask;
    case ChecksumKind::WordSumHigh: return static_cast<uint32_t>((even_ << 8) + odd_) & mask;
    default: return static_cast<uint32_t>(total) & mask;
    }
}

uint32_t ComputeChecksum(const ChecksumAlgorithm& algorithm, const uint8_t* bytes, Address count,
                         Address firstAddress)
{
    OChecksummer sum(algorithm, firstAddress);
    sum.Update(bytes, count);
    return sum.Value();
}

uint32_t ComputeChecksum(const ChecksumAlgorithm& algorithm, const ODataBuffer& buffer, Address first,
                         Address last)
{
    OChecksummer sum(algorithm, first);
    buffer.ForEachSpan(first, last - first + 1, [&sum](const uint8_t* bytes, Address n) {
        if (bytes)
            sum.Update(bytes, n);
        else
            sum.UpdateErased(n);
    });
    return sum.Value();
}

std::string FormatChecksum(uint32_t value, int width)
{
    static const char digits[] = "0123456789abcdef";
    const int count = width >= 32 ? 8 : width <= 8 ? 2 : width / 4;
    std::string text(static_cast<size_t>(count), '0');
    for (int i = count - 1; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = digits[value & 0xF];
    return text;
}
