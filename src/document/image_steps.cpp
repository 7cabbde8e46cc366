#include "document/image_steps.h"

#include "buffer/data_buffer.h"
#include "document/buffer_document.h"

#include <algorithm>

namespace {
constexpr uint8_t kErasedByte = ODataBuffer::FillValue;

// The window grown to take in first..last as well.
void Widen(OBufferDocument& document, Address first, Address last)
{
    const Address start = std::min(document.Start(), first);
    const Address end = std::max(document.End() - 1, last);
    if (start != document.Start() || end != document.End() - 1)
        document.Resize(start, end);
}

// After data was dropped the window covers what is left of it.
void ShrinkToData(OBufferDocument& document)
{
    const AddressSet& data = document.DataAddresses();
    if (data.Empty())
        document.Resize(document.Start(), document.Start());
    else if (data.Lowest() != document.Start() || data.Highest() != document.End() - 1)
        document.Resize(data.Lowest(), data.Highest());
}

// Erases the window's bytes of first..last.
void EraseRange(OBufferDocument& document, Address first, Address last)
{
    first = std::max(first, document.Start());
    last = std::min(last, document.End() - 1);
    if (first <= last)
        document.Fill(first, last, kErasedByte);
}
} // namespace

void CropImage(OBufferDocument& document, const std::vector<AddressSpan>& keep)
{
    AddressSet kept;
    AddressSet& data = document.DataAddresses();
    for (const AddressSpan& span : keep)
        data.ForEachIn(span.first, span.last, [&](Address first, Address last) { kept.Add(first, last); });
    // What lies between the kept ranges is erased, so no byte outside them
    // can reach the output whatever the writer does with the window.
    Address from = document.Start();
    kept.ForEach([&](Address first, Address last) {
        EraseRange(document, from, first - 1);
        from = last + 1;
    });
    EraseRange(document, from, document.End() - 1);
    data = kept;
    ShrinkToData(document);
}

void ExcludeRange(OBufferDocument& document, Address first, Address last)
{
    EraseRange(document, first, last);
    document.DataAddresses().Remove(first, last);
    ShrinkToData(document);
}

std::string MoveImage(OBufferDocument& document, Address to)
{
    AddressSet& data = document.DataAddresses();
    if (data.Empty())
        return "the image holds no data to move";
    const Address delta = to - data.Lowest();
    if (data.Highest() + delta >= ODataBuffer::AddressLimit)
        return "the image would end past address ffffffff";
    if (delta == 0)
        return {};
    // Erasing and writing add to the set as edits do; the moved image holds
    // exactly the data it held before.
    AddressSet moved = data;
    moved.Shift(delta);
    std::vector<std::pair<Address, std::vector<uint8_t>>> pieces;
    data.ForEach([&](Address first, Address last) {
        std::vector<uint8_t> bytes(static_cast<size_t>(last - first + 1));
        document.Data().CopyOut(first, last - first + 1, bytes.data());
        pieces.emplace_back(first + delta, std::move(bytes));
    });
    const Address highest = data.Highest() + delta;
    EraseRange(document, document.Start(), document.End() - 1);
    document.Resize(to, highest);
    for (const auto& [at, bytes] : pieces)
        document.WriteBlock(bytes.data(), at, static_cast<Address>(bytes.size()));
    data = moved;
    return {};
}

void FillHoles(OBufferDocument& document, Address first, Address last, uint8_t value)
{
    Widen(document, first, last);
    Address from = first;
    AddressSet& data = document.DataAddresses();
    data.ForEachIn(first, last, [&](Address dataFirst, Address dataLast) {
        if (from < dataFirst)
            document.Fill(from, dataFirst - 1, value);
        from = dataLast + 1;
    });
    if (from <= last)
        document.Fill(from, last, value);
}

void GenerateBytes(OBufferDocument& document, Address first, Address last, const std::vector<uint8_t>& pattern)
{
    if (pattern.empty() || last < first)
        return;
    // Written in pieces of whole patterns, so each piece starts with the
    // pattern's first byte.
    const size_t repeats = std::max<size_t>(1, 65536 / pattern.size());
    std::vector<uint8_t> piece;
    piece.reserve(repeats * pattern.size());
    for (size_t i = 0; i < repeats; ++i)
        piece.insert(piece.end(), pattern.begin(), pattern.end());
    Widen(document, first, last);
    for (Address at = first; at <= last; at += static_cast<Address>(piece.size()))
        document.WriteBlock(piece.data(), at, std::min<Address>(static_cast<Address>(piece.size()), last - at + 1));
}

void PutNumber(OBufferDocument& document, Address at, uint64_t value, int width, bool bigEndian)
{
    uint8_t bytes[8];
    for (int i = 0; i < width; ++i)
        bytes[bigEndian ? width - 1 - i : i] = static_cast<uint8_t>(value >> (8 * i));
    PutData(document, at, bytes, width);
}

void PutData(OBufferDocument& document, Address at, const uint8_t* bytes, Address count)
{
    if (count <= 0)
        return;
    Widen(document, at, at + count - 1);
    document.WriteBlock(bytes, at, count);
}

void PadToWords(OBufferDocument& document, int width)
{
    if (width <= 1)
        return;
    const std::vector<AddressSet::Range> ranges = document.DataAddresses().Ranges();
    for (const AddressSet::Range& range : ranges) {
        const Address first = range.first - range.first % width;
        const Address last = std::min(range.last - range.last % width + width - 1, ODataBuffer::AddressLimit - 1);
        if (first < range.first)
            FillHoles(document, first, range.first - 1, kErasedByte);
        if (last > range.last)
            FillHoles(document, range.last + 1, last, kErasedByte);
    }
}
