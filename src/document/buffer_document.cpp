#include "document/buffer_document.h"

#include "settings/settings_record.h"
#include "buffer/data_buffer.h"

#include <algorithm>
#include <chrono>

namespace {
constexpr const char* kHexDigits = "0123456789ABCDEF";

std::string LastComponent(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

OBufferDocument::OBufferDocument(DocumentHost& host, std::string settingsPath, std::string formatKey)
    : host_(host),
      settingsPath_(std::move(settingsPath)),
      key_(std::move(formatKey)),
      buffer_(std::make_unique<ODataBuffer>())
{
    sumCheck_ = settings::SumCheck(settingsPath_);
    undo_ = settings::UseUndo(settingsPath_);
}

// Entries and their copies go before the buffer.
OBufferDocument::~OBufferDocument() { journal_.Clear(); }

void OBufferDocument::SetPath(std::string path)
{
    path_ = std::move(path);
    // A name given after the open (Save As, a converter's output) is one
    // the user chose to write.
    readOnlySource_ = false;
    if (!path_.empty())
        title_ = LastComponent(path_);
}

void OBufferDocument::AddObserver(DocumentObserver* observer) { observers_.push_back(observer); }

void OBufferDocument::RemoveObserver(DocumentObserver* observer) { std::erase(observers_, observer); }

void OBufferDocument::Notify(int notification, Address argument)
{
    // A copy: an observer may unregister itself, or another one, while being
    // told; one that is gone by its turn is not told.
    std::vector<DocumentObserver*> observers = observers_;
    for (DocumentObserver* observer : observers)
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
            observer->DocumentNotify(*this, notification, argument);
}

void OBufferDocument::Message(std::string_view text, std::string_view caption, int style)
{
    host_.MessageBox(text, caption, style);
}

bool OBufferDocument::IsOpen() const { return buffer_->Size() != 0; }
Address OBufferDocument::Start() const { return buffer_->Start(); }
Address OBufferDocument::Size() const { return buffer_->Size(); }
Address OBufferDocument::End() const { return buffer_->End(); }

// --- Row texts -----------------------------------------------------------

bool OBufferDocument::OpenForRows()
{
    if (IsOpen())
        return true;
    // Not in the middle of a load: that would read the file a second time
    // into the same buffer.
    if (busy_ != 0)
        return false;
    // One attempt only: a file that cannot be read would otherwise be
    // reported again for every row of every repaint.
    if (rowOpenTried_)
        return false;
    rowOpenTried_ = true;
    return Open();
}

int32_t OBufferDocument::RowText(char* text, Address row, int32_t cellWidth,
                                 void (*putCell)(char* cell, uint8_t byte))
{
    if (!OpenForRows()) {
        text[0] = 0;
        return 0;
    }
    outsideCount_ = 0;
    const Address start = buffer_->Start();
    const Address end = buffer_->End();
    const Address base = row * kBytesPerRow;
    int32_t c = 0;
    for (; c < kBytesPerRow; ++c) {
        const Address address = base + c;
        if (address >= end)
            break;
        if (address < start) {
            ++outsideCount_;
            continue;
        }
        putCell(text + cellWidth * c, buffer_->Peek(address));
    }
    const int32_t length = cellWidth * c;
    text[length] = 0;
    return outsideCount_ ? -length : length;
}

int32_t OBufferDocument::HexRow(char* text, Address row)
{
    return RowText(text, row, 3, [](char* cell, uint8_t byte) {
        cell[0] = kHexDigits[byte >> 4];
        cell[1] = kHexDigits[byte & 0x0F];
        cell[2] = ' ';
    });
}

int32_t OBufferDocument::AsciiRow(char* text, Address row)
{
    return RowText(text, row, 1, [](char* cell, uint8_t byte) {
        cell[0] = byte >= 32 ? static_cast<char>(byte) : '.';
    });
}

// --- Busy state and settings ---------------------------------------------

void OBufferDocument::SetBusy(bool on)
{
    // The count changes before views hear of it, so IsBusy() answers right
    // inside their notification.
    if (on) {
        if (++busy_ == 1) {
            Notify(vnBusy, 0);
            host_.ShowBusyWindow(kBusyText, title_);
            host_.ProcessPendingEvents();
        }
    } else if (busy_ == 1) {
        host_.HideBusyWindow();
        // Still counted busy here: what the user does now is refused like
        // anything else that arrives while the operation runs.
        host_.ProcessPendingEvents();
        busy_ = 0;
        Notify(vnBusy, 0);
        if (settingsPending_) {
            settingsPending_ = false;
            ReloadSettings();
        }
    } else if (busy_ > 1) {
        --busy_;
    }
}

void OBufferDocument::ReloadSettings()
{
    if (busy_ != 0) {
        settingsPending_ = true;
        return;
    }
    const bool sumCheck = settings::SumCheck(settingsPath_);
    const bool undo = settings::UseUndo(settingsPath_);
    const bool recount = sumCheck && !sumCheck_;
    sumCheck_ = sumCheck;
    undo_ = undo;
    if (recount) {
        host_.SetWaitCursor(true);
        SetBusy(true);
        RecomputeSum(buffer_->Size(), true);
        SetBusy(false);
        host_.SetWaitCursor(false);
    }
    Notify(vnSettings, 0);
}

bool OBufferDocument::RunStoppable(Address total, const std::function<Address(Address done)>& step)
{
    LongRead read = BeginLongRead();
    for (Address done = 0; (done = step(done)) < total;)
        if (!TickLongRead(read, done, total))
            break;
    EndLongRead(read);
    return !stopped_;
}

OBufferDocument::LongRead OBufferDocument::BeginLongRead()
{
    stopped_ = false;
    return LongRead{std::chrono::steady_clock::now(), busy_ == 0, busy_ == 0 && host_.CanStop(), false};
}

bool OBufferDocument::TickLongRead(LongRead& read, Address done, Address total)
{
    // Most searches and sums over a sparse window are over in a blink: only
    // one that is still at work after a moment shows the please-wait window.
    constexpr auto kQuiet = std::chrono::milliseconds(50);
    if (read.own && !read.busy && std::chrono::steady_clock::now() - read.began > kQuiet) {
        read.busy = true;
        host_.SetWaitCursor(true);
        SetBusy(true);
    }
    if (read.stoppable && read.busy)
        return Proceed(done, total);
    if (read.busy || !read.own)
        host_.ProcessPendingEvents();
    return true;
}

void OBufferDocument::EndLongRead(LongRead& read)
{
    if (read.busy) {
        SetBusy(false);
        host_.SetWaitCursor(false);
    }
    read.busy = false;
}
