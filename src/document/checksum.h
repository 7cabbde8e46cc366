#pragma once
// Checksums and CRCs over a range of a sparse image: the byte sums a
// programmer shows for a chip's label and the CRCs boot loaders verify.
// Erased bytes count as 0xFF, as the buffer reads them; stretches that were
// never written are computed, not walked, so the time follows the bytes
// written whatever the span.

#include "buffer/address.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ODataBuffer;

// The parameter model of the usual CRC catalogue (check values over the
// ASCII bytes "123456789").
struct CrcParameters {
    int width = 16;   // 8, 16 or 32 bits
    uint32_t poly = 0x1021;
    uint32_t init = 0;
    bool refin = false;
    bool refout = false;
    uint32_t xorout = 0;
};

enum class ChecksumKind {
    Sum,           // the bytes' sum, truncated to the width
    SumNegated,    // two's complement of that sum
    SumInverted,   // one's complement of that sum
    WordSumLow,    // sum of 16-bit words, low byte first
    WordSumHigh,   // sum of 16-bit words, high byte first
    Crc,
    CrcWords,      // the CRC over 32-bit little-endian words, high byte first
                   // (a trailing part word padded with 0xFF)
    Adler32,
    Fletcher16,    // result: first sum high, second sum low
    Fletcher32,    // over bytes: second sum high, first sum low
};

struct ChecksumAlgorithm {
    std::string name;   // what the user types and what is printed
    ChecksumKind kind = ChecksumKind::Sum;
    int width = 8;      // bits of the result
    CrcParameters crc;  // for ChecksumKind::Crc
    uint32_t check = 0; // the result over "123456789"

    int ResultBytes() const { return width / 8; }
};

// The named algorithms, in the order the dialog lists them.
const std::vector<ChecksumAlgorithm>& ChecksumCatalogue();

// Other spellings a name is known by (the catalogue's full names and
// common nicknames), each as "alias=name".
const std::vector<std::string_view>& ChecksumAliases();

// Reads an algorithm named by the user: a catalogue name or alias, compared
// without regard to case or '-' and '_' ("CRC-16/XMODEM", "crc16/xmodem"),
// or a CRC given by its parameters,
// "width=16,poly=0x1021,init=0xffff,refin=false,refout=false,xorout=0".
// Returns the problem, empty when `algorithm` was set.
std::string ParseChecksumAlgorithm(std::string_view text, ChecksumAlgorithm& algorithm);

// The problem of a CRC's parameters (width, values that do not fit it);
// empty when they are sound.
std::string CheckCrcParameters(const CrcParameters& crc);
// A CRC of the given parameters, named by them in the parameter syntax.
ChecksumAlgorithm CustomCrc(const CrcParameters& crc);

// Computes one algorithm over consecutive pieces of input.
class OChecksummer {
public:
    // Word sums pair bytes by address: a byte at an even address is the low
    // (le) or high (be) half of a word, so `firstAddress` names the first
    // byte's address.
    explicit OChecksummer(const ChecksumAlgorithm& algorithm, Address firstAddress = 0);
    ~OChecksummer();
    OChecksummer(const OChecksummer&) = delete;
    OChecksummer& operator=(const OChecksummer&) = delete;

    void Update(const uint8_t* bytes, Address count);
    // `count` erased bytes (0xFF), in time logarithmic in `count`.
    void UpdateErased(Address count);
    // The result so far, in the algorithm's width.
    uint32_t Value() const;

private:
    struct Crc;

    ChecksumAlgorithm algorithm_;
    // The address of the next byte.
    Address next_ = 0;
    // Sums of the bytes at even and odd addresses.
    uint64_t even_ = 0;
    uint64_t odd_ = 0;
    std::unique_ptr<Crc> crc_;
    // Adler and Fletcher: the two running sums, reduced modulo modulus_.
    uint64_t first_ = 0;
    uint64_t second_ = 0;
    uint64_t modulus_ = 0;
    // CrcWords: the bytes of a word not yet complete.
    uint8_t pending_[4] = {};
    int pendingCount_ = 0;

    void UpdateSums(const uint8_t* bytes, Address count);
    void UpdateWords(const uint8_t* bytes, Address count);
};

// The algorithm over `bytes`, the first of them at `firstAddress`.
uint32_t ComputeChecksum(const ChecksumAlgorithm& algorithm, const uint8_t* bytes, Address count,
                         Address firstAddress = 0);
// The algorithm over first..last (inclusive) of `buffer`, erased gaps
// computed rather than read.
uint32_t ComputeChecksum(const ChecksumAlgorithm& algorithm, const ODataBuffer& buffer, Address first,
                         Address last);

// The value in lower-case hexadecimal, two digits per byte of the width.
std::string FormatChecksum(uint32_t value, int width);
