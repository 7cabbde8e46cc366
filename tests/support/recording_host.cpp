#include "support/recording_host.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

int RecordingHost::MessageBox(std::string_view text, std::string_view caption, int style)
{
    messages.push_back({std::string(text), std::string(caption), style});
    return answer;
}

void RecordingHost::SetWaitCursor(bool on)
{
    if (on)
        ++waitCursorCount;
    waitCursorOn = on;
}

void RecordingHost::ShowBusyWindow(std::string_view text, std::string_view)
{
    ++busyWindowShows;
    busyWindowShown = true;
    busyText = std::string(text);
}

void RecordingHost::HideBusyWindow() { busyWindowShown = false; }

void RecordingHost::ProcessPendingEvents()
{
    ++eventSteps;
    if (onEvents)
        onEvents();
}

bool RecordingHost::RequestNewBufferRange(AddressRequest& request)
{
    newBufferTitle = request.title;
    if (!newBufferAccepted)
        return false;
    request.start = newBufferStart;
    request.last = newBufferLast;
    return true;
}

bool RecordingHost::ChooseFileToInsert(std::string& path, std::string& key)
{
    if (insertPath.empty())
        return false;
    path = insertPath;
    key = insertKey;
    return true;
}

bool RecordingHost::AskLoadOffset(Address& offset)
{
    ++offsetQuestions;
    if (!loadOffset)
        return false;
    offset = *loadOffset;
    return true;
}

bool RecordingHost::ChooseSaveTarget(std::string& path, std::string& key)
{
    if (savePath.empty())
        return false;
    path = savePath;
    key = saveKey;
    return true;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "dravel-test-XXXXXX").string();
    if (char* made = ::mkdtemp(pattern.data()))
        path_ = made;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const
{
    std::string file = File(name);
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    return file;
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
