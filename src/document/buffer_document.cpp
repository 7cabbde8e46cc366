// Interface stubs; the behaviour follows in the next change.
#include "document/buffer_document.h"

OBufferDocument::OBufferDocument(DocumentHost& host, std::string settingsPath, std::string formatKey)
    : host_(host), settingsPath_(std::move(settingsPath)), key_(std::move(formatKey))
{
}
OBufferDocument::~OBufferDocument() = default;
class ODataBuffer {};
void OBufferDocument::SetPath(std::string path) { path_ = std::move(path); }
void OBufferDocument::AddObserver(DocumentObserver* observer) { observers_.push_back(observer); }
void OBufferDocument::RemoveObserver(DocumentObserver* observer) { std::erase(observers_, observer); }
bool OBufferDocument::Open(std::string_view) { return false; }
bool OBufferDocument::Close() { return true; }
bool OBufferDocument::Commit(bool) { return false; }
bool OBufferDocument::Revert(bool) { return false; }
bool OBufferDocument::CanClose() { return busy_ == 0; }
void OBufferDocument::Insert(int32_t) {}
void OBufferDocument::InsertFile(int32_t, const std::string&) {}
uint8_t OBufferDocument::ReadByte(int32_t) { return 0; }
void OBufferDocument::WriteByte(uint8_t, int32_t) {}
void OBufferDocument::WriteBlock(const uint8_t*, int32_t, int32_t) {}
std::optional<std::vector<uint8_t>> OBufferDocument::CopyBlock(int32_t, int32_t) { return std::nullopt; }
void OBufferDocument::Fill(int32_t, int32_t, uint8_t) {}
void OBufferDocument::Resize(int32_t, int32_t) {}
int32_t OBufferDocument::Undo() { return -1; }
bool OBufferDocument::CanUndo() { return false; }
int32_t OBufferDocument::Find(const uint8_t*, int32_t, bool, bool, bool, int32_t) { return -1; }
int32_t OBufferDocument::HexRow(char* text, int32_t) { text[0] = 0; return 0; }
int32_t OBufferDocument::AsciiRow(char* text, int32_t) { text[0] = 0; return 0; }
void OBufferDocument::SetBusy(bool) {}
void OBufferDocument::SizeChanged(int32_t) {}
void OBufferDocument::ReloadSettings() {}
bool OBufferDocument::SumCheckOption() const { return false; }
bool OBufferDocument::UndoOption() const { return true; }
bool OBufferDocument::IsOpen() const { return false; }
int32_t OBufferDocument::Start() const { return 0; }
int32_t OBufferDocument::Size() const { return 0; }
int32_t OBufferDocument::End() const { return 0; }
