#include "support/byte_reference.h"

#include "buffer/data_buffer.h"
#include "formats/ffc_in.h"
#include "formats/ffc_out.h"

uint32_t ReferenceLoad(ODataBuffer& buffer, OFFCIn& in, int64_t origin)
{
    bool placing = origin >= 0 && origin < ODataBuffer::AddressLimit;
    int64_t room = placing ? ODataBuffer::AddressLimit - origin : 0;
    bool dropped = false;
    if (placing)
        buffer.SetPosition(static_cast<int32_t>(origin));
    while (in.MoreData()) {
        if (uint32_t flags = in.GetFlags()) {
            if (flags & ffcAddressChange) {
                const int64_t target = origin + in.GetAddress();
                placing = target >= 0 && target < ODataBuffer::AddressLimit;
                if (placing) {
                    buffer.SetPosition(static_cast<int32_t>(target));
                    room = ODataBuffer::AddressLimit - target;
                }
                in.ClearFlags(ffcAddressChange);
            }
            if (flags & ffcStopMask)
                break;
        }
        if (!placing) {
            dropped = true;
            break;
        }
        buffer.Put(in.NextByte());
        if (--room == 0)
            placing = false;
    }
    const uint32_t flags = in.GetFlags();
    in.ClearFlags(0xFFFF);
    return dropped ? flags | ffcFormatError : flags;
}

void ReferenceSave(ODataBuffer& buffer, OFFCOut& out)
{
    const int32_t start = buffer.Start();
    const int32_t size = buffer.Size();
    buffer.SetPosition(start);
    out.SetAddress(start);
    out.PutByte(buffer.Get());
    int32_t run = 0;
    for (int32_t i = 1; i < size; ++i) {
        const uint8_t byte = buffer.Get();
        if (byte == 0xFF) {
            ++run;
            continue;
        }
        if (run > 0) {
            if (run <= 10) {
                for (; run > 0; --run)
                    out.PutByte(0xFF);
            } else {
                out.SetAddress(start + i);
            }
            run = 0;
        }
        out.PutByte(byte);
    }
    if (run > 0) {
        out.SetAddress(start + size - 1);
        out.PutByte(0xFF);
    }
    out.Finish();
}

uint32_t ReferenceSum(ODataBuffer& buffer)
{
    uint32_t sum = 0;
    buffer.SetPosition(buffer.Start());
    for (int32_t i = 0; i < buffer.Size(); ++i)
        sum += buffer.Get();
    return sum;
}

std::vector<uint8_t> ReferenceCopy(ODataBuffer& buffer, int32_t first, int32_t last)
{
    std::vector<uint8_t> bytes;
    for (int64_t a = first; a <= last; ++a)
        bytes.push_back(a >= 0 && a < ODataBuffer::AddressLimit ? buffer.At(static_cast<int32_t>(a)) : 0xFF);
    return bytes;
}

void ReferencePut(ODataBuffer& buffer, int32_t address, const uint8_t* bytes, int32_t count, bool repeat,
                  uint32_t& sum)
{
    buffer.SetPosition(address);
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[repeat ? 0 : i];
        sum = sum - buffer.At(address + i) + byte;
        buffer.Put(byte);
    }
}
