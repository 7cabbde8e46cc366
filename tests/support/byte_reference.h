#pragma once
// The document's loops as plain byte-at-a-time walks through the buffer's
// accessors: loading, saving, summing and the sum-keeping edits. The
// document moves bytes in runs; tests hold its results to these.

#include "formats/streams.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ODataBuffer;
class OFFCIn;
class OFFCOut;

// Stores the converter's bytes from `origin` on until a stop flag or the
// first byte past the address space; returns the flags left, with
// ffcFormatError for such a byte.
uint32_t ReferenceLoad(ODataBuffer& buffer, OFFCIn& in, int64_t origin);
// Streams the window into `out` (erased runs of 11 or more skipped, the last
// byte always written) and finishes it.
void ReferenceSave(ODataBuffer& buffer, OFFCOut& out);
uint32_t ReferenceSum(ODataBuffer& buffer);
// CopyBlock's bytes of first..last, read through At.
std::vector<uint8_t> ReferenceCopy(ODataBuffer& buffer, int32_t first, int32_t last);
// Puts `count` bytes (or `count` times `*bytes` with `repeat`) from `address`
// on, adjusting `sum` by the byte found at each address first.
void ReferencePut(ODataBuffer& buffer, int32_t address, const uint8_t* bytes, int32_t count, bool repeat,
                  uint32_t& sum);

// Hands its text out one character per refill, so that no reader ever finds
// a whole record buffered and every record is read the careful way.
class TrickleInStream final : public InStream {
public:
    explicit TrickleInStream(std::string text) : text_(std::make_shared<const std::string>(std::move(text))) {}
    std::unique_ptr<InStream> Reopen() const override { return std::make_unique<TrickleInStream>(*text_); }

protected:
    bool Refill() override
    {
        if (next_ >= text_->size())
            return false;
        pos_ = reinterpret_cast<const unsigned char*>(text_->data()) + next_++;
        end_ = pos_ + 1;
        return true;
    }

private:
    std::shared_ptr<const std::string> text_;
    size_t next_ = 0;
};
