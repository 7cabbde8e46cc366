#pragma once
// The sparse byte store of one document: every address from 0 to 0xFFFFFFFF
// can hold a byte, never-written bytes read 0xFF, and memory follows the
// bytes written. They are kept in runs: stretches of whole 64-byte lines,
// ordered by address, none crossing a multiple of BlockSize. A run that is
// written next to grows by a factor, so dense data ends up in whole blocks
// (taken from large arenas the kernel may back with huge pages) while a byte
// on its own costs one line. Walkers step over the gaps between runs whole.
// On top of it sit the address window (start, size) and a position for
// sequential access.
//
// The window always lies inside the address space (0 <= start <= End <=
// AddressLimit) and the position stays within 0..AddressLimit, so no
// arithmetic on them can overflow whatever the callers pass.

#include "buffer/address.h"

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>

class ODataBuffer {
public:
    // The longest run; runs never cross a multiple of it, so spans of stored
    // bytes are never longer.
    static constexpr int32_t BlockSize = 65536;
    static constexpr Address AddressLimit = Address{1} << 32;
    static constexpr uint8_t FillValue = 0xFF;

    ODataBuffer();
    ~ODataBuffer();
    ODataBuffer(const ODataBuffer&) = delete;
    ODataBuffer& operator=(const ODataBuffer&) = delete;

    Address Start() const { return start_; }
    Address Size() const { return size_; }
    Address End() const { return start_ + size_; }
    Address Position() const { return position_; }

    // Moves the position, widening the window to reach it; false (and no
    // change at all) for addresses outside 0..AddressLimit-1.
    bool SetPosition(Address address);
    // Sets the window to first..last inclusive; data and position untouched.
    // Values outside the address space are clipped to it.
    void SetWindow(Address first, Address last);

    // The per-byte accessors below are what loading, saving and sum checks
    // run on, byte after byte; the common case (address in the block used
    // last) stays inline and everything else goes to the out-of-line path.
    // Get and Read never obtain memory; Put, PutBlock and At do.

    uint8_t Get()
    {
        const uint64_t offset = uint64_t(position_ - currentBase_);
        if (offset < currentLength_) {
            ++position_;
            return current_[offset];
        }
        return GetSlow();
    }

    void Read(uint8_t& byte)
    {
        const uint64_t offset = uint64_t(position_ - currentBase_);
        if (offset < currentLength_) {
            byte = current_[offset];
            ++position_;
            return;
        }
        ReadSlow(byte);
    }

    void Put(uint8_t byte)
    {
        const uint64_t offset = uint64_t(position_ - currentBase_);
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
    uint8_t& At(Address address)
    {
        const uint64_t offset = uint64_t(address - currentBase_);
        if (offset < currentLength_ && address >= start_ && address < start_ + size_)
            return current_[offset];
        return AtSlow(address);
    }

    // Runs of bytes, for loops that move whole stretches at a time. Each
    // ends exactly as the same number of byte calls would: PutBlock and
    // PutFill leave the same bytes, window and position as Put for every
    // byte, and where a block cannot be obtained the rest goes through Put.
    void PutBlock(const uint8_t* bytes, Address count)
    {
        const uint64_t offset = uint64_t(position_ - currentBase_);
        if (offset < currentLength_ && count >= 0 && uint64_t(count) <= currentLength_ - offset) {
            std::memcpy(current_ + offset, bytes, size_t(count));
            position_ += count;
            if (position_ - start_ > size_)
                size_ = position_ - start_;
            return;
        }
        PutBlockSlow(bytes, count);
    }
    // Erased fills obtain no memory and give back blocks they leave wholly
    // erased, so erasing a sparse window costs what was written, not the span.
    void PutFill(uint8_t value, Address count);
    // Hands visit(bytes, n) address..address+count-1 (inside the address
    // space) in consecutive spans: the stored bytes of each run (at most
    // BlockSize), and null for every stretch between runs, however long, so
    // walkers can compute over erased gaps instead of reading them.
    template <class Visit>
    void ForEachSpan(Address address, Address count, Visit&& visit) const
    {
        auto run = FirstRunEndingAfter(address);
        while (count > 0) {
            Address n = count;
            const uint8_t* bytes = nullptr;
            if (run != runs_.end() && run->first <= address) {
                bytes = run->second.bytes + (address - run->first);
                n = std::min(count, run->first + run->second.length - address);
                ++run;
            } else if (run != runs_.end()) {
                n = std::min(count, run->first - address);
            }
            visit(bytes, n);
            address += n;
            count -= n;
        }
    }
    // Copies `count` bytes starting at `address` (all inside the address
    // space) into `out`, erased bytes where nothing was ever written.
    void CopyOut(Address address, Address count, uint8_t* out) const;

    // Lowest match at or above `from` that ends within the window; -1 if none.
    // With `wholeWords`, a match with a letter or digit (A-Z, a-z, 0-9) right
    // before or after it inside the window is passed over; the window's ends
    // count as word boundaries. With `below` (not kNoAddress), only matches
    // that begin at or below it count, so a long search can go in slices.
    Address FindForward(Address from, const uint8_t* pattern, bool exact, int32_t length,
                        bool wholeWords = false, Address below = kNoAddress);
    // Highest match at or above start that ends at or before `from`; -1 if
    // none. With `above`, only matches that begin at or above it count.
    Address FindBackward(Address from, const uint8_t* pattern, bool exact, int32_t length,
                         bool wholeWords = false, Address above = kNoAddress);


    // The byte stored at `address`, 0xFF where never written or outside the
    // address space; unlike At it neither widens the window nor obtains memory.
    uint8_t Peek(Address address) const;

    // Number of runs held, and the bytes of memory they take.
    int32_t BlockCount() const { return int32_t(runs_.size()); }
    Address StoredBytes() const { return storedBytes_; }
    // Set once memory for a run could not be obtained: the bytes meant for it were
    // dropped. Loads check it so that no file is ever read short in silence.
    bool OutOfMemory() const { return outOfMemory_; }

private:
    struct Matcher;
    struct Arena;
    struct Run {
        uint8_t* bytes;
        Address length;
    };
    using Runs = std::map<Address, Run>;
    // A stretch around an address for searching: a run, or a gap between
    // runs no longer than BlockSize (its bytes then the shared erased block).
    struct Piece {
        Address base;
        Address end;
        const uint8_t* bytes;
    };

    uint8_t GetSlow();
    void ReadSlow(uint8_t& byte);
    void PutSlow(uint8_t byte);
    void PutBlockSlow(const uint8_t* bytes, Address count);
    uint8_t& AtSlow(Address address);

    // Makes the address's run current (obtaining or growing one, taking in
    // up to `want` bytes from it, when needed) and returns the byte's
    // location, or null when the address is unreachable.
    uint8_t* Select(Address address, Address want = 1);
    void DropCurrent();
    void MakeCurrent(Runs::iterator run);
    // The run holding `address`, or else the first one after it.
    Runs::const_iterator FirstRunEndingAfter(Address address) const
    {
        auto run = runs_.upper_bound(address);
        if (run != runs_.begin()) {
            auto before = std::prev(run);
            if (before->first + before->second.length > address)
                return before;
        }
        return run;
    }
    // A run holding `address`, made by growing a neighbour or anew and
    // taking in every run it then overlaps; runs_.end() when out of memory.
    Runs::iterator Extend(Address address, Address want);
    uint8_t* Obtain(Address length);
    void Release(const Run& run);
    Piece PieceAt(Address address) const;

    // Stores `count` bytes at the position as Put does; `store(at, done, n)`
    // writes n of them into the run's memory and `byte(i)` gives one.
    template <class Store, class Byte>
    void PutRun(Address count, Store store, Byte byte);

    Address FindFlat(Address first, Address last, const Matcher& matcher, bool forward) const;
    // Where a forward (backward) scan for `compared` bytes at candidate p
    // may go on: past candidates lying wholly between runs, which cannot
    // match a pattern that is not all erased bytes.
    Address SkipErasedForward(Address p, int32_t compared) const;
    Address SkipErasedBackward(Address p, int32_t compared) const;

    Runs runs_;
    Address storedBytes_ = 0;
    bool outOfMemory_ = false;

    // The run used last. currentLength_ is 0 when there is none, so one
    // unsigned compare covers every test.
    uint8_t* current_ = nullptr;
    Address currentBase_ = 0;
    uint64_t currentLength_ = 0;

    uint8_t spare_ = FillValue;
    Address size_ = 0;
    Address position_ = 0;
    Address start_ = 0;
};
