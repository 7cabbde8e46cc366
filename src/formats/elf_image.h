#pragma once
// ELF files as a PROM programmer gets them from objcopy: the contents of
// every allocated section that has contents, at its load address (the
// physical address of the segment holding it), plus what a user needs to
// find their way in the image: section names with their run and load
// addresses, and the function and object symbols.

#include "buffer/address.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ElfSection {
    std::string name;
    Address runAddress = 0;   // where the program finds it (VMA)
    Address loadAddress = 0;  // where its bytes are programmed (LMA)
    Address size = 0;
};

struct ElfSymbol {
    std::string name;
    Address runAddress = 0;
    // Where the bytes that hold it at the start are programmed; kNoAddress
    // when its run address lies in no loaded section (RAM-only variables).
    Address loadAddress = kNoAddress;
    Address size = 0;
    bool function = false;
};

// What an ELF file tells beside its bytes.
struct ElfInfo {
    // The loaded sections, by load address.
    std::vector<ElfSection> sections;
    // The defined function and object symbols, by name.
    std::vector<ElfSymbol> symbols;
    Address entry = kNoAddress;
    // A relocatable object (.o): its sections were read at their own
    // addresses, as they stand before linking.
    bool relocatable = false;
    // Things worth telling that are no error, one a line.
    std::string notice;
};

class ElfImage {
public:
    // Runs of bytes, by address; each a section's contents.
    struct Run {
        Address address;
        size_t offset;  // into Bytes()
        size_t size;
    };

    // True when `data` starts with the ELF magic.
    static bool HasMagic(const unsigned char* data, size_t size);

    // Reads the whole file held in `file`. Problem() tells what was wrong;
    // when it says so, Fatal() tells that none of the bytes can be trusted
    // (and there are none), else the image is whole and only the symbols
    // were damaged.
    void Read(std::vector<unsigned char> file);

    const std::vector<Run>& Runs() const { return runs_; }
    const uint8_t* Bytes() const { return bytes_.data(); }
    const std::shared_ptr<const ElfInfo>& Info() const { return info_; }
    const std::string& Problem() const { return problem_; }
    bool Fatal() const { return fatal_; }

private:
    std::vector<Run> runs_;
    std::vector<uint8_t> bytes_;
    std::shared_ptr<const ElfInfo> info_;
    std::string problem_;
    bool fatal_ = false;
};
