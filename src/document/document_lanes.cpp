// The document's faces of the lane unit: lanes and merges as whole new
// contents, byte swaps and overlays as undoable edits, and Insert with a
// choice when the inserted bytes land on written ones.

#include "document/buffer_document.h"
#include "document/long_operation.h"

#include "buffer/data_buffer.h"
#include "formats/streams.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace {
constexpr uint8_t kErased = 0xFF;
constexpr const char* kOutOfMemory = "Not enough memory for all the bytes: some of them were dropped.";

// Reads a file for a look before it is inserted: what the reading reports is
// kept for later, events still reach the user interface.
class LookAheadHost : public DocumentHost {
public:
    explicit LookAheadHost(DocumentHost& host) : host_(host) {}

    int MessageBox(std::string_view text, std::string_view caption, int style) override
    {
        kept_.push_back({std::string(text), std::string(caption), std::string(), 0, style, false, std::string()});
        return idOk;
    }
    void ReportReadError(std::string_view text, std::string_view caption, const std::string& path, uint32_t line,
                         std::string_view reason) override
    {
        kept_.push_back({std::string(text), std::string(caption), path, line, mbIconStop, true, std::string(reason)});
    }
    std::string LoadOffsetName() const override { return host_.LoadOffsetName(); }
    void SetWaitCursor(bool) override {}
    void ShowBusyWindow(std::string_view, std::string_view) override {}
    void HideBusyWindow() override {}
    void ProcessPendingEvents() override { host_.ProcessPendingEvents(); }
    bool RequestNewBufferRange(AddressRequest&) override { return false; }
    bool ChooseFileToInsert(std::string&, std::string&) override { return false; }
    bool ChooseSaveTarget(std::string&, std::string&) override { return false; }

    bool Reported() const { return !kept_.empty(); }

    // What the reading reported, now shown as Insert shows it.
    void Replay()
    {
        for (const Kept& k : kept_) {
            if (k.readError)
                host_.ReportReadError(k.text, k.caption, k.path, k.line, k.reason);
            else
                host_.MessageBox(k.text, k.caption, k.style);
        }
    }

private:
    struct Kept {
        std::string text, caption, path;
        uint32_t line;
        int style;
        bool readError;
        std::string reason;
    };
    DocumentHost& host_;
    std::vector<Kept> kept_;
};
} // namespace

void OBufferDocument::TakeLane(const OBufferDocument& source, LaneShape shape, int lane)
{
    journal_.Clear();
    redo_.Clear();
    AddressSet given = source.dataAddresses_;
    given.Keep(source.Start(), source.End() - 1);
    dataAddresses_ = LaneAddresses(given, shape, lane);
    buffer_ = std::make_unique<ODataBuffer>();
    SplitLane(*source.buffer_, source.Start(), source.Size(), shape, lane, *buffer_);
    if (buffer_->OutOfMemory())
        Message(kOutOfMemory, "Out of memory");
    if (buffer_->Size() == 0)
        buffer_->Put(kErased);
    dirty_ = false;
    SizeChanged(buffer_->Size());
}

bool OBufferDocument::TakeMerged(const std::vector<const OBufferDocument*>& lanes, LaneShape shape)
{
    journal_.Clear();
    redo_.Clear();
    // Merged lanes carry no data addresses: they are written by the
    // erased-run rule.
    dataAddresses_.Clear();
    buffer_ = std::make_unique<ODataBuffer>();
    std::vector<const ODataBuffer*> buffers;
    for (const OBufferDocument* lane : lanes)
        buffers.push_back(lane->buffer_.get());
    LongRead read = BeginLongRead();
    MergeLanes(buffers, shape, *buffer_, [&](Address done, Address total) { return TickLongRead(read, done, total); });
    EndLongRead(read);
    if (stopped_)
        buffer_ = std::make_unique<ODataBuffer>();
    else if (buffer_->OutOfMemory())
        Message(kOutOfMemory, "Out of memory");
    if (buffer_->Size() == 0)
        buffer_->Put(kErased);
    dirty_ = false;
    SizeChanged(buffer_->Size());
    return !stopped_;
}

Address OBufferDocument::SwapBytes(Address first, Address last, int width)
{
    ODataBuffer& buffer = *buffer_;
    first = std::max<Address>(first, buffer.Start());
    last = std::min<Address>(last, buffer.End() - 1);
    if (first > last)
        return 0;
    const Address count = last - first + 1;
    const Address whole = count / width * width;
    if (whole == 0)
        return count;
    const bool isLong = whole > kLongOperation;
    const bool stoppable = isLong && busy_ == 0 && host_.CanStop();
    stopped_ = false;
    LongOperation bracket(*this, isLong);
    const int32_t mark = journal_.Count();
    const bool dirty = dirty_;
    if (undo_ || stoppable)
        RecordBlock(first, first + whole - 1);
    // A group holding any data is all data after the swap, wherever its
    // data bytes moved to.
    std::vector<AddressSet::Range> groups;
    dataAddresses_.ForEachIn(first, first + whole - 1, [&](Address from, Address to) {
        groups.push_back({first + (from - first) / width * width, first + ((to - first) / width + 1) * width - 1});
    });
    for (const AddressSet::Range& group : groups)
        AddData(group.first, group.last, NewestEntry());
    // A swap moves bytes within the window: the sum stays as it is. Long
    // ones go in slices, so the user can stop them between two.
    constexpr Address kSlice = Address{1} << 16;
    const bool wasShort = buffer.OutOfMemory();
    for (Address done = 0; done < whole;) {
        const Address n = std::min(kSlice, whole - done);
        SwapGroups(buffer, first + done, n, width);
        done += n;
        if (stoppable && done < whole && !Proceed(done, whole)) {
            Withdraw(mark, done, buffer.Start(), buffer.Size(), dirty);
            break;
        }
    }
    if (!wasShort && buffer.OutOfMemory())
        Message(kOutOfMemory, "Out of memory");
    if (!stopped_) {
        dirty_ = true;
        redo_.Clear();
    }
    if (!undo_)
        DropEntries(mark);
    return count - whole;
}

bool OBufferDocument::Overlay(const OBufferDocument& overlay, Address offset, OverlapPolicy policy)
{
    ODataBuffer& buffer = *buffer_;
    const Address first = overlay.Start() + offset;
    const Address last = overlay.End() - 1 + offset;
    if (overlay.Size() == 0 || first < 0 || last >= ODataBuffer::AddressLimit)
        return false;
    LongOperation bracket(*this, overlay.Size() > kLongOperation);
    const Address size = buffer.Size();
    const Address start = buffer.Start();
    const bool undo = undo_;
    // Bytes change only where the overlay's window lands; outside the old
    // window the window entry erases them again on undo.
    if (undo)
        RecordBlock(std::max(start, first), std::min(start + size - 1, last));
    // Every address the overlay's file gave holds data now, its erased
    // bytes included, even where the bytes under them stay.
    // Range by range: a copy of the overlay's set would cost a node per range
    // again, and scattered files have a range per byte.
    const int32_t entry = NewestEntry();
    overlay.dataAddresses_.ForEachIn(overlay.Start(), overlay.End() - 1,
                                     [&](Address from, Address to) { AddData(from + offset, to + offset, entry); });
    const bool wasShort = buffer.OutOfMemory();
    LayOver(buffer, *overlay.buffer_, offset, policy);
    if (!wasShort && buffer.OutOfMemory())
        Message(kOutOfMemory, "Out of memory");
    dirty_ = true;
    redo_.Clear();
    if (undo && (buffer.Size() != size || buffer.Start() != start))
        RecordWindow(start, size, kWindowByEdit);
    SizeChanged(buffer.Size());
    return true;
}

void OBufferDocument::InsertWithOverlap(Address address, const std::string& path)
{
    // A file that cannot be read is reported as Insert reports it.
    if (::access(path.c_str(), R_OK) != 0) {
        InsertFile(address, path);
        return;
    }
    if (!AskForOffset())
        return;
    const Address origin = address + loadOffset_;
    LookAheadHost look(host_);
    OBufferDocument incoming(look, std::string(), key_);
    host_.SetWaitCursor(true);
    SetBusy(true);
    const bool read = incoming.Open(path);
    std::vector<AddressRange> overlaps;
    if (read)
        overlaps = OverlapRanges(*buffer_, *incoming.buffer_, origin);
    SetBusy(false);
    host_.SetWaitCursor(false);
    const OverlapPolicy policy = overlaps.empty() ? OverlapPolicy::replace : host_.ChooseOverlap(RangeList(overlaps));
    if (policy == OverlapPolicy::replace) {
        FileInStream stream(path);
        InsertFrom(stream, origin, path);
    } else if (policy == OverlapPolicy::keep) {
        look.Replay();
        if (!Overlay(incoming, origin, OverlapPolicy::keep)) {
            // What lies beyond the address space is dropped, as Insert drops it.
            const Address room = ODataBuffer::AddressLimit - origin;
            if (incoming.Start() < room) {
                incoming.Resize(incoming.Start(), std::min<Address>(incoming.End(), room) - 1);
                Overlay(incoming, origin, OverlapPolicy::keep);
            }
            const Address lost = incoming.Start() + origin < 0 ? incoming.Start() : std::max(room, incoming.Start());
            host_.ReportReadError("FORMAT ERROR", "ERROR", path, 0, NoPlaceReason(lost, origin));
        }
    }
}

bool OBufferDocument::OverlayFile(const std::string& path, const std::string& key)
{
    constexpr const char* kCaption = "Overlay file";
    const std::string name = std::filesystem::path(path).filename().string();
    // A file that cannot be read is reported as Insert reports it.
    if (::access(path.c_str(), R_OK) != 0) {
        InsertFile(0, path);
        return false;
    }
    if (!AskForOffset())
        return false;
    LookAheadHost look(host_);
    OBufferDocument incoming(look, std::string(), key.empty() ? key_ : key);
    host_.SetWaitCursor(true);
    SetBusy(true);
    const bool read = incoming.Open(path);
    SetBusy(false);
    host_.SetWaitCursor(false);
    // Only a whole, recognised file is laid over: a part of one, or text
    // taken as binary at address 0, would put bytes where nobody meant them.
    if (!read || look.Reported()) {
        look.Replay();
        Message(name + ": the file has errors; nothing was overlaid.", kCaption);
        return false;
    }
    const FileFormat format = FormatFromKey(incoming.FormatKey());
    if (incoming.ReadNothing() || (format != ffBinary && incoming.ReadFormat() == ffBinary)) {
        Message(name + ": not recognised as " + (format == ffUnknown ? "a data file" : FormatName(format)) +
                    " or any other format with addresses; nothing was overlaid.",
                kCaption);
        return false;
    }
    const std::vector<AddressRange> overlaps = OverlapRanges(*buffer_, *incoming.buffer_, loadOffset_);
    const OverlapPolicy policy = overlaps.empty() ? OverlapPolicy::replace : host_.ChooseOverlap(RangeList(overlaps));
    if (policy == OverlapPolicy::error)
        return false;
    if (!Overlay(incoming, loadOffset_, policy)) {
        Message(name + ": moved by the load offset its bytes reach beyond the address space; nothing was overlaid.",
                kCaption);
        return false;
    }
    return true;
}
