#pragma once
// The sparse byte store of one document: every address from 0 to 0xFFFFFF
// can hold a byte, never-written bytes read 0xFF, and memory is taken in
// blocks of 32,767 bytes only for the regions that are touched. On top of it
// sit the address window (start, size) and a position for sequential access.

#include <cstdint>
#include <memory>

class ODataBuffer {
public:
    static constexpr int32_t BlockSize = 32767;
    static constexpr int32_t MaxBlocks = 513;
    static constexpr int32_t AddressLimit = 0x1000000;
    static constexpr uint8_t FillValue = 0xFF;

    ODataBuffer();
    ~ODataBuffer();
    ODataBuffer(const ODataBuffer&) = delete;
    ODataBuffer& operator=(const ODataBuffer&) = delete;

    int32_t Start() const { return start_; }
    int32_t Size() const { return size_; }
    int32_t End() const { return start_ + size_; }
    int32_t Position() const { return position_; }

    // Moves the position, widening the window to reach it; false for
    // addresses at or above AddressLimit.
    bool SetPosition(int32_t address);
    // Sets the window to first..last inclusive; data and position untouched.
    void SetWindow(int32_t first, int32_t last);

    uint8_t Get();
    void Read(uint8_t& byte);
    void Put(uint8_t byte);
    // The byte at `address`, widening the window to include it; a spare
    // byte when the address cannot be reached. Valid until the next access.
    uint8_t& At(int32_t address);

    // Lowest match at or above `from` that ends within the window; -1 if none.
    int32_t FindForward(int32_t from, const uint8_t* pattern, bool exact, int32_t length);
    // Highest match at or above start that ends at or before `from`; -1 if none.
    int32_t FindBackward(int32_t from, const uint8_t* pattern, bool exact, int32_t length);

    // Number of blocks obtained so far (memory in use is this times BlockSize).
    int32_t BlockCount() const;

private:
    // ... implementation fields
};
