#pragma once
// The sparse byte store of one document: every address from 0 to 0xFFFFFF
// can hold a byte, never-written bytes read 0xFF, and memory is taken in
// blocks of 32,767 bytes only for the regions that are touched. On top of it
// sit the address window (start, size) and a position for sequential access.
//
// The window always lies inside the address space (0 <= start <= End <=
// AddressLimit) and the position stays within 0..AddressLimit, so no
// arithmetic on them can overflow whatever the callers pass.

#include "buffer/address.h"

#include <cstdint>
#include <algorithm>
#include <cstring>
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

    // Moves the position, widening the window to reach it; false (and no
    // change at all) for addresses outside 0..AddressLimit-1.
    bool SetPosition(int32_t address);
    // Sets the window to first..last inclusive; data and position untouched.
    // Values outside the address space are clipped to it.
    void SetWindow(int32_t first, int32_t last);

    // The per-byte accessors below are what loading, saving and sum checks
    // run on, byte after byte; the common case (address in the block used
    // last) stays inline and everything else goes to the out-of-line path.

    uint8_t Get()
    {
        uint32_t offset = uint32_t(position_) - uint32_t(currentBase_);
        if (offset < currentLength_) {
            ++position_;
            return current_[offset];
        }
        return GetSlow();
    }

    void Read(uint8_t& byte)
    {
        uint32_t offset = uint32_t(position_) - uint32_t(currentBase_);
        if (offset < currentLength_) {
            byte = current_[offset];
            ++position_;
            return;
        }
        ReadSlow(byte);
    }

    void Put(uint8_t byte)
    {
        uint32_t offset = uint32_t(position_) - uint32_t(currentBase_);
        if (offset < currentLength_) {
            current_[offset] = byte;
            ++position_;
            if (position_ - start_ > size_)
                size_ = position_ - start_;
            return;
        }
        PutSlow(byte);
    }

    // The byte at `address`, widening the window to include it; a spare
    // byte when the address cannot be reached. Valid until the next access.
    uint8_t& At(int32_t address)
    {
        uint32_t offset = uint32_t(address) - uint32_t(currentBase_);
        if (offset < currentLength_ && address >= start_ && address < start_ + size_)
            return current_[offset];
        return AtSlow(address);
    }

    // Runs of bytes, for loops that move whole stretches at a time. Each
    // ends exactly as the same number of byte calls would: PutBlock and
    // PutFill leave the same bytes, window and position as Put for every
    // byte, and where a block cannot be obtained the rest goes through Put.
    void PutBlock(const uint8_t* bytes, int32_t count)
    {
        uint32_t offset = uint32_t(position_) - uint32_t(currentBase_);
        if (offset < currentLength_ && uint32_t(count) <= currentLength_ - offset) {
            std::memcpy(current_ + offset, bytes, size_t(count));
            position_ += count;
            if (position_ - start_ > size_)
                size_ = position_ - start_;
            return;
        }
        PutBlockSlow(bytes, count);
    }
    void PutFill(uint8_t value, int32_t count);
    // Hands visit(bytes, n) the stored contents of address..address+count-1
    // (inside the address space) in consecutive pieces, erased bytes where
    // nothing was ever written; the window, the position and the memory in
    // use stay as they are.
    template <class Visit>
    void ForEachRun(int32_t address, int32_t count, Visit&& visit) const
    {
        while (count > 0) {
            const int32_t index = address / BlockSize;
            const int32_t offset = address - index * BlockSize;
            const int32_t n = count < BlockSize - offset ? count : BlockSize - offset;
            visit(BlockBytes(index) + offset, n);
            address += n;
            count -= n;
        }
    }
    // Hands visit(bytes, n) address..address+count-1 (inside the address
    // space) in consecutive spans: the stored bytes where blocks were
    // obtained, and null for every stretch of never-written blocks, however
    // long, so walkers can compute over erased gaps instead of reading them.
    template <class Visit>
    void ForEachSpan(Address address, Address count, Visit&& visit) const
    {
        while (count > 0) {
            const Address index = address / BlockSize;
            const Address offset = address - index * BlockSize;
            Address n = count < BlockSize - offset ? count : BlockSize - offset;
            const uint8_t* bytes = StoredBlock(index);
            if (!bytes) {
                Address next = index + 1;
                while (n < count && !StoredBlock(next)) {
                    n = std::min<Address>(count, n + BlockSize);
                    ++next;
                }
            }
            visit(static_cast<const uint8_t*>(bytes ? bytes + offset : nullptr), n);
            address += n;
            count -= n;
        }
    }
    // Copies `count` bytes starting at `address` (all inside the address
    // space) into `out`, as ForEachRun reads them.
    void CopyOut(int32_t address, int32_t count, uint8_t* out) const;

    // Lowest match at or above `from` that ends within the window; -1 if none.
    // With `wholeWords`, a match with a letter or digit (A-Z, a-z, 0-9) right
    // before or after it inside the window is passed over; the window's ends
    // count as word boundaries.
    int32_t FindForward(int32_t from, const uint8_t* pattern, bool exact, int32_t length,
                        bool wholeWords = false);
    // Highest match at or above start that ends at or before `from`; -1 if none.
    int32_t FindBackward(int32_t from, const uint8_t* pattern, bool exact, int32_t length,
                         bool wholeWords = false);


    // Number of blocks obtained so far (memory in use is this times BlockSize).
    int32_t BlockCount() const { return blockCount_; }

private:
    struct Matcher;

    uint8_t GetSlow();
    void ReadSlow(uint8_t& byte);
    void PutSlow(uint8_t byte);
    void PutBlockSlow(const uint8_t* bytes, int32_t count);
    uint8_t& AtSlow(int32_t address);

    // Makes the address's block current (obtaining it when needed) and
    // returns the byte's location, or null when the address is unreachable.
    uint8_t* Select(int32_t address);
    void DropCurrent();

    // The byte stored at `address`, 0xFF where never written or outside the
    // address space; unlike At it neither widens the window nor obtains memory.
    uint8_t Peek(int32_t address) const;

    // Bytes of a block for reading: the stored block, or a shared erased
    // block when it was never obtained, so searching allocates nothing.
    const uint8_t* BlockBytes(int32_t index) const;
    // The stored block, or null when it was never obtained.
    const uint8_t* StoredBlock(Address index) const
    {
        return index >= 0 && index < MaxBlocks ? blocks_[index].get() : nullptr;
    }
    // Stores `count` bytes at the position as Put does; `store(at, done, n)`
    // writes n of them into the block's memory and `byte(i)` gives one.
    template <class Store, class Byte>
    void PutRun(int32_t count, Store store, Byte byte);

    int32_t FindFlat(int32_t first, int32_t last, const Matcher& matcher, bool forward) const;

    std::unique_ptr<uint8_t[]> blocks_[MaxBlocks];
    int32_t blockCount_ = 0;

    // The block used last. currentLength_ is 0 when there is none and is
    // shorter than BlockSize for the last block, whose tail lies beyond
    // AddressLimit, so one unsigned compare covers every test.
    int32_t currentBlock_ = -1;
    uint8_t* current_ = nullptr;
    int32_t currentBase_ = 0;
    uint32_t currentLength_ = 0;

    uint8_t spare_ = FillValue;
    int32_t size_ = 0;
    int32_t position_ = 0;
    int32_t start_ = 0;
};
