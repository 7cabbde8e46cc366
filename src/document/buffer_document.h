#pragma once
// One open PROM data file: the only place where file contents enter and
// leave a buffer. Loads, inserts and saves through the converters, reports
// their errors, keeps the sum check, the undo journal and the busy count, and
// renders the row texts views and printing draw. Views read and change the
// bytes only through the operations here.

#include "buffer/address_set.h"
#include "document/document_host.h"
#include "document/lanes.h"
#include "document/undo_journal.h"
#include "formats/file_format.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ODataBuffer;
struct ElfInfo;
class FileInStream;
class OFFCIn;
class OFFCOut;
struct FindRequest;

class OBufferDocument {
public:
    static constexpr const char* kBusyText = "Please wait while the buffer is being processed...";
    static constexpr int32_t kBytesPerRow = 16;
    // Room a caller gives HexRow and AsciiRow, terminating zero included.
    static constexpr int32_t kHexRowSize = 3 * kBytesPerRow + 1;
    static constexpr int32_t kAsciiRowSize = kBytesPerRow + 1;
    // Operations on more than this many bytes run as long operations.
    static constexpr int32_t kLongOperation = 1024;

    // `settingsPath` is the ini file whose section "Settings" holds "sumcheck"
    // and "undo"; `formatKey` is the default extension of the document's
    // template, which names the format of every read and write.
    OBufferDocument(DocumentHost& host, std::string settingsPath, std::string formatKey);
    ~OBufferDocument();
    OBufferDocument(const OBufferDocument&) = delete;
    OBufferDocument& operator=(const OBufferDocument&) = delete;

    // --- Document identity (what a file document of the shell holds) ---
    DocumentHost& Host() { return host_; }
    const std::string& Path() const { return path_; }
    void SetPath(std::string path);
    // SetPath makes the title the path's file name; the shell sets one for
    // documents without a path (captions of the busy window and messages).
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }
    // How saves shape their text; the defaults write each format's own shape.
    void SetWriterOptions(const WriterOptions& options) { writerOptions_ = options; }
    // Save As another file type gives the document that template's key.
    const std::string& FormatKey() const { return key_; }
    void SetFormatKey(std::string key) { key_ = std::move(key); }
    const std::string& SettingsPath() const { return settingsPath_; }
    bool IsDirty() const { return dirty_; }
    void SetDirty(bool dirty) { dirty_ = dirty; }

    void AddObserver(DocumentObserver* observer);
    void RemoveObserver(DocumentObserver* observer);

    // --- Loading, inserting, saving ---

    // With a path (or a path set before): loads the file over the buffer.
    // Without any path: asks the host for the range of a new buffer (512
    // bytes at 0 when cancelled). False when the file cannot be opened, which
    // is reported with its name and the system's reason.
    bool Open(std::string_view path = {});
    bool Close();
    // Saves the window to Path() in FormatKey()'s format, replacing the file
    // only once the whole new file was written. True only when everything
    // was saved without a reported error (then the document is clean and its
    // journal empty); a reported error leaves the file as it was (see
    // SetSaveAllOrNothing) and the document keeps its changes. False,
    // writing nothing, while the document is busy.
    bool Commit(bool force = false);
    // With `on` (the default), a save that reports any error leaves the
    // target as it was, a format error included; off, a format error still
    // writes what could be written (the converter's --force).
    void SetSaveAllOrNothing(bool on) { allOrNothing_ = on; }
    // With `on`, a save writes exactly the window's data addresses (every
    // byte a file, an overlay or an edit gave, 0xFF included, and no other);
    // without, runs of more than ten erased bytes are gaps and shorter holes
    // are written. Binary output and a document without data addresses
    // always take the second way. The converter's choice; SavedRanges
    // follows it.
    void SetSaveDataOnly(bool on) { saveDataOnly_ = on; }
    // Writes the window to `path` in `key`'s format without taking either
    // on: the document keeps its name, format, changes and undo entries.
    bool ExportTo(const std::string& path, const std::string& key);
    // Writes lane `lane` of the window to `path` in `key`'s format with
    // `options` and no start address, as ExportTo writes (the document keeps
    // everything). The lane is gathered from the window as it is written,
    // never built whole, and written by the erased-run rule over its whole
    // window, so the lanes of a set stay alike.
    bool ExportLane(const std::string& path, const std::string& key, LaneShape shape, int lane,
                    const WriterOptions& options);
    // Forgets the changes; unless `clear`, reads the file again. Refused
    // (false) while busy.
    bool Revert(bool clear = false);
    bool IsOpen() const;
    // Refuses while busy; a changed document asks whether to save it first
    // (the shell must not ask again).
    bool CanClose();

    // Asks the host for a file and reads it into the buffer at `address`.
    void Insert(Address address);
    // Reads `path` into the buffer at `address` (Insert without the dialog).
    void InsertFile(Address address, const std::string& path);
    // Added to every address the following Open(path) and InsertFile read
    // (besides the insert position); a byte that would land outside the
    // address space stops the load with a format error.
    void SetLoadOffset(Address offset) { loadOffset_ = offset; }
    Address LoadOffset() const { return loadOffset_; }
    // The format the last Open or InsertFile read its file in (ffUnknown
    // before any file was read): the key's own format, another one the
    // content was recognised as, or ffBinary when none fitted.
    FileFormat ReadFormat() const { return readFormat_; }
    // True when the file last read held no character at all.
    bool ReadNothing() const { return readNothing_; }
    // The sections and symbols of the ELF file the document was opened
    // from (load addresses moved by the load offset); null for any other.
    const ElfInfo* Elf() const { return elfInfo_.get(); }
    // True while Save has no file it may write: no path yet, a file of a
    // format that is only read (ELF), or the ELF file it was opened from,
    // until Save As names another.
    bool NeedsSaveTarget() const;

    // --- Bytes and edits ---
    uint8_t ReadByte(Address address);
    void WriteByte(uint8_t value, Address address);
    void WriteBlock(const uint8_t* bytes, Address address, Address length);
    // first..last inclusive, plus one spare zero byte at the end; none when
    // the memory cannot be had (reported to the user).
    std::optional<std::vector<uint8_t>> CopyBlock(Address first, Address last);
    // CopyBlock into memory the caller owns: `allocate` is asked for
    // last - first + 2 bytes. False when it had none (reported to the user).
    bool CopyBlockTo(Address first, Address last, const std::function<uint8_t*(size_t)>& allocate);
    // CopyBlock's bytes handed to `piece` a run of at most kPieceSize at a
    // time (the run's offset from `first`, its bytes, their count), so that
    // a caller turning them into something else holds no copy of its own;
    // a long range runs as a long operation, as CopyBlockTo does, and can
    // be stopped as it can (then false).
    static constexpr Address kPieceSize = 64 * 1024;
    bool ReadPieces(Address first, Address last,
                    const std::function<void(Address offset, const uint8_t* bytes, Address count)>& piece);
    // What CopyBlockTo and the copies built from ReadPieces say when the
    // memory for a copy cannot be had.
    static constexpr const char* kCopyMemoryText = "can't create a copy of the requested data block.";
    static constexpr const char* kCopyMemoryCaption = "Out of memory";
    void Fill(Address first, Address last, uint8_t value);
    // True when the last long fill, write, copy, swap, save, search or sum
    // was stopped by the user (DocumentHost::ReportProgress) and undone.
    bool WasStopped() const { return stopped_; }
    void Resize(Address newStart, Address newLast);
    // Undoes the newest entry: where the change was, or -1.
    Address Undo();
    bool CanUndo();
    // Takes back the newest undo, as long as no edit or save came since:
    // where the change was, or -1. Same option and memory rules as Undo.
    Address Redo();
    bool CanRedo();
    // Searches the window for the request's pattern from `from` (which must
    // lie in start..End): downwards the first match at or after it, upwards
    // the last one ending at or before it. A match at `from` itself is passed
    // over, so repeated searches move on from hit to hit; in ASCII mode with
    // whole words, so is a match touching a letter or digit, the window's
    // ends counting as word boundaries. -1 when none, or when the user
    // stopped a long search (WasStopped).
    Address Find(const FindRequest& request, Address from);
    // Whether the request's pattern matches at `address`, under the same
    // case and word rules as Find.
    bool MatchesAt(const FindRequest& request, Address address);
    // Overwrites every match in the window, from the lowest up and never
    // overlapping, with the request's length of bytes from `with`; one undo
    // step. The number of matches replaced; 0, with nothing changed, when
    // the user stopped it (WasStopped).
    Address ReplaceAll(const FindRequest& request, const uint8_t* with);

    // The bytes for read-only walkers (checksums, comparisons, lanes): walk
    // them with ForEachSpan, which hands over erased gaps without reading them.
    const ODataBuffer& Data() const { return *buffer_; }

    // --- Lanes, swaps and overlays (document_lanes.cpp) ---
    // Makes this document lane `lane` of `source`'s window, clean and
    // without undo entries.
    void TakeLane(const OBufferDocument& source, LaneShape shape, int lane);
    // Makes this document the interleave of `lanes` (lane 0 first); clean.
    // A long one can be stopped: false then, and the document is left with
    // one erased byte.
    bool TakeMerged(const std::vector<const OBufferDocument*>& lanes, LaneShape shape);
    // Swaps the bytes of each whole group of `width` (2 or 4) in first..last
    // (kept inside the window), undoable. Returns how many bytes at the end
    // made no whole group and were left alone.
    Address SwapBytes(Address first, Address last, int width);
    // Lays the written bytes of `overlay` over this document's, shifted by
    // `offset`, as LayOver does; undoable. False (and nothing changed) when
    // the shifted window leaves the address space.
    bool Overlay(const OBufferDocument& overlay, Address offset, OverlapPolicy policy);
    // Insert with a choice when the file's bytes land on written ones: the
    // host is asked whether to replace them (Insert as ever), keep them, or
    // insert nothing.
    void InsertWithOverlap(Address address, const std::string& path);
    // Lays the file's bytes at their own addresses plus the load offset
    // (asked for when the settings say so), read in `key`'s format first (the
    // document's when empty); written bytes under them are replaced or kept
    // as the host chooses. A damaged or unrecognised file is refused with a
    // message and changes nothing. True when the bytes were laid.
    bool OverlayFile(const std::string& path, const std::string& key);

    // --- Window, sum, rows ---
    Address Start() const;
    Address Size() const;
    Address End() const;
    uint32_t Sum() const { return sum_; }
    // The sum of the window's bytes counted now, whatever the option says.
    uint32_t SumWindow();
    int32_t BytesPerRow() const { return kBytesPerRow; }
    int32_t OutsideCount() const { return outsideCount_; }
    // Row `row` covers addresses row*16 .. row*16+15. Writes the text into
    // `text` (kHexRowSize / kAsciiRowSize chars). The result is the text's
    // length, negative when the row begins before Start; then OutsideCount()
    // leading columns are left as the caller had them.
    int32_t HexRow(char* text, Address row);
    int32_t AsciiRow(char* text, Address row);

    // --- Busy state and settings ---
    bool IsBusy() const { return busy_ != 0; }
    // Runs a long read (a search, a sum) a slice at a time:
    // step(done) does the slice from `done` and returns how far the work got
    // (`total` or more when it is over). Once it has run a moment it is a
    // long operation with the please-wait window, its progress and Cancel.
    // False when the user stopped it (WasStopped() then says so too); the
    // caller takes back whatever the slices made.
    bool RunStoppable(Address total, const std::function<Address(Address done)>& step);
    void SetBusy(bool on);
    void SizeChanged(Address newSize);
    // Reads "sumcheck" and "undo" again. While the document is busy the
    // change waits until the running operation is over, so the sum is never
    // recounted under an edit that is moving through the buffer.
    void ReloadSettings();
    // The options as read at construction and by the last ReloadSettings.
    bool SumCheckOption() const { return sumCheck_; }
    bool UndoOption() const { return undo_; }
    // Overrides the "undo" setting until the next ReloadSettings; off also
    // empties the journal. A converter, which never undoes, records nothing.
    void SetUndoOption(bool on)
    {
        undo_ = on;
        if (!on)
            journal_.Clear();
    }

    // The address ranges a save writes, lowest first: runs of more than ten
    // erased bytes inside the window are gaps between them, or, when saves
    // follow the data addresses (SetSaveDataOnly), their ranges.
    struct SavedRange {
        Address first;
        Address last;
    };
    std::vector<SavedRange> SavedRanges() const;

    // --- What a file gives beside its bytes ---
    // The addresses that hold data (what loads, overlays, fills and written
    // checksums gave), as opposed to bytes that merely read 0xFF.
    const AddressSet& DataAddresses() const { return dataAddresses_; }
    AddressSet& DataAddresses() { return dataAddresses_; }
    // The start (execution) address the file gave; kNoAddress when none.
    // Saves write it in every format that holds one.
    Address StartAddress() const { return startAddress_; }
    void SetStartAddress(Address address) { startAddress_ = address; }
    // True when the file opened last gave two different start addresses
    // (the last one is kept).
    bool StartAddressesDiffered() const { return startsDiffered_; }

    // Entries in the undo journal (for views' and tests' inspection).
    const OUndoJournal& Journal() const { return journal_; }
    const OUndoJournal& RedoJournal() const { return redo_; }

private:
    // Pending user-interface events are handled every kEventStride bytes of a
    // load, insert or save; the host decides whether enough time has passed.
    static constexpr int32_t kEventStride = 256;

    // Streams the converter's bytes into the buffer from `origin` on;
    // `loaded` gets the addresses they went to. Keeps the read places.
    uint32_t LoadFrom(OFFCIn& in, Address origin, AddressSet& loaded);
    // Keeps the format `in` read and the lines of its errors, and their
    // reasons, for the report.
    void KeepReadPlaces(const OFFCIn& in);
    // Why the byte the file puts at `fileAddress` has no place when the
    // file's address 0 goes to `origin`.
    std::string NoPlaceReason(Address fileAddress, Address origin) const;
    // An opened file's ELF sections and symbols, and its entry point.
    void KeepElfDetails(const OFFCIn& in);
    // Keeps what the opened file gives beside its bytes: its start address
    // and, for saves in its own format, its record size and line ends.
    void KeepFileShape(const OFFCIn& in);
    // The document's writer options for a save in `key`'s format, with what
    // the file gave.
    WriterOptions SaveOptions(const std::string& key) const;
    void ReportLoadFlags(uint32_t flags, bool inserting, const std::string& path);
    // Reports the load's flags, or the input's refusal when it was too long.
    void ReportStreamEnd(const FileInStream& stream, uint32_t flags, bool inserting);
    // A lane written in place of the window, with options of its own.
    struct LaneOutput {
        const LaneView& view;
        const WriterOptions& options;
    };
    // Writes the window (or `lane`) to `target` in `key`'s format; with
    // `exporting` the document's state stays as it was.
    bool SaveTo(const std::string& target, const std::string& key, bool exporting = false,
                const LaneOutput* lane = nullptr);
    // Writes the bytes of `source` (the buffer or a lane) after its first
    // through `out`; false when the user stopped the save.
    template <class Source>
    bool SaveRest(const Source& source, OFFCOut& out);
    // Writes the data addresses inside the window through `out`; false when
    // the user stopped the save.
    bool SaveData(OFFCOut& out);
    // True when saves and SavedRanges follow the data addresses.
    bool FollowsData() const;
    // True when a save in `key`'s format follows the data addresses.
    bool SavesDataOnly(const std::string& key) const;
    // Adds first..last (or `addresses`) to the data addresses; with a
    // journal `entry` (NewestEntry), what was new is noted there for undo.
    void AddData(Address first, Address last, int32_t entry);
    void AddData(const AddressSet& addresses, int32_t entry);
    // The newest journal entry's index while undo is on, else -1.
    int32_t NewestEntry() const;
    void RecomputeSum(Address count, bool alwaysPump);
    bool OpenForRows();
    // Asks the host for the load offset when the settings say so; false when
    // the user cancelled. Without asking the offset stays as set.
    bool AskForOffset();
    // InsertFile's reading of `stream` with every address moved by `origin`.
    void InsertFrom(FileInStream& stream, Address origin, const std::string& path);
    // The row's cells from the window, `cellWidth` characters each; cells
    // below the start are skipped and counted, the text stops at End.
    int32_t RowText(char* text, Address row, int32_t cellWidth, void (*putCell)(char* cell, uint8_t byte));
    void Notify(int notification, Address argument);
    void Message(std::string_view text, std::string_view caption, int style = mbIconStop);
    // The sum of `count` bytes from Start() + `from` as reading them one by
    // one from Start() + `from` would give.
    uint32_t WindowTotal(Address from, Address count) const;
    // CopyBlock's bytes of address..address+count-1 into `out`.
    void CopyRange(Address address, Address count, uint8_t* out);
    // The one loop of CopyBlockTo and ReadPieces: first..first+count-1 a
    // run of at most kPieceSize at a time, copied to where(offset) and then
    // handed to `then` (when given). A long copy of its own shows how far it
    // is and stops between two runs when the user asks: false.
    bool CopyRuns(Address first, Address count, bool isLong, const std::function<uint8_t*(Address offset)>& where,
                  const std::function<void(Address offset, const uint8_t* bytes, Address n)>& then);
    // CopyRange serving the user interface as a long operation's loop does
    // while the document is busy.
    void CopyPumped(Address address, Address count, uint8_t* out);
    // Sets first..end-1, all inside the window, to the erased value.
    void EraseInWindow(Address first, Address end);
    void RecordBlock(Address first, Address last);
    OUndoEntry BlockEntry(Address first, Address last);
    // True when first..first+count-1 takes in a never-written block.
    bool HasGap(Address first, Address count) const;
    // Puts back a block entry that kept only the written stretches.
    void RestorePieces(const OUndoEntry& entry);
    void RecordWindow(Address start, Address size, uint32_t marker);
    // Applies the newest step of `from` (the undo journal, or the redo list
    // whose entries have the same form).
    Address UndoStep(OUndoJournal& from);
    // Takes the newest step of `from` (undo journal or redo list) and keeps
    // the way back to it in `to`.
    Address TakeStep(OUndoJournal& from, OUndoJournal& to);
    // The entries that take back the newest step of `from`, recorded before
    // it is applied; the addresses the step touches in first..last.
    std::vector<OUndoEntry> MirrorOf(const OUndoJournal& from);
    static int32_t StepEntries(const OUndoJournal& from, int32_t top, Address& first, Address& last);
    // Fill; only a `stoppable` one offers the user to stop it.
    void FillRange(Address first, Address last, uint8_t value, bool stoppable);
    // RunStoppable's pace, for loops that cannot go in its slices: Begin at
    // the start, Tick between two pieces (false once the user stopped it),
    // End when over.
    struct LongRead {
        std::chrono::steady_clock::time_point began;
        bool own;
        bool stoppable;
        bool busy;
    };
    LongRead BeginLongRead();
    bool TickLongRead(LongRead& read, Address done, Address total);
    void EndLongRead(LongRead& read);
    // Handles events in a long operation that can be stopped, tells the host
    // how far it is and answers false once the user asked it to stop.
    bool Proceed(Address done, Address total);
    // Puts back what a stopped edit changed since the journal held `mark`
    // entries: its newest block entry, cut to the `done` bytes it got
    // through, and the window start..start+size-1 it had.
    void Withdraw(int32_t mark, Address done, Address start, Address size, bool dirty);
    // Drops the entries a long edit kept only for Cancel while undo is off.
    void DropEntries(int32_t mark);

    DocumentHost& host_;
    std::string settingsPath_;
    std::string key_;
    std::string path_;
    std::string title_;
    bool dirty_ = false;
    bool allOrNothing_ = true;
    bool saveDataOnly_ = false;
    std::vector<DocumentObserver*> observers_;

    std::unique_ptr<ODataBuffer> buffer_;
    bool rowOpenTried_ = false;
    int32_t outsideCount_ = 0;
    bool sumCheck_ = false;
    bool undo_ = true;
    // ReloadSettings came while busy; it runs when the busy count is back to 0.
    bool settingsPending_ = false;
    int32_t busy_ = 0;
    bool stopped_ = false;
    uint32_t sum_ = 0;
    WriterOptions writerOptions_;
    FileFormat readFormat_ = ffUnknown;
    bool readNothing_ = false;
    Address loadOffset_ = 0;
    uint32_t formatErrorLine_ = 0;
    uint32_t readErrorLine_ = 0;
    uint32_t checksumErrorLine_ = 0;
    std::string formatErrorReason_;
    std::string readErrorReason_;
    std::string checksumErrorReason_;
    std::string readProblem_;
    std::shared_ptr<const ElfInfo> elfInfo_;
    bool readOnlySource_ = false;
    OUndoJournal journal_;
    // Undone steps, newest last; emptied by every edit and save.
    OUndoJournal redo_;
    AddressSet dataAddresses_;
    Address startAddress_ = kNoAddress;
    bool startSegmentForm_ = false;
    bool startsDiffered_ = false;
    // The opened file's format, record size (0 when none) and line end.
    FileFormat shapeFormat_ = ffUnknown;
    int32_t shapeRecordSize_ = 0;
    int shapeAddressBytes_ = 0;
    std::string shapeLineEnd_;
};
