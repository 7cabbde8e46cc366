// Saving and loading against what a file name can stand for besides a
// regular file: devices, pipes, sockets, links, long names, and a save cut
// short by a signal.

#include "document/document_fixture.h"
#include "formats/streams.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

namespace {
// Names in the folder other than the ones a test made itself.
std::vector<std::string> Hidden(const TempDir& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        if (entry.path().filename().string().front() == '.')
            names.push_back(entry.path().filename().string());
    return names;
}

// Everything readable from `fd` until its end.
std::string Drain(int fd)
{
    std::string text;
    char chunk[4096];
    ssize_t got;
    while ((got = ::read(fd, chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<size_t>(got));
    return text;
}
} // namespace

TEST_F(DocumentTest, SavingIntoADevicePipeOrSocketWritesIntoIt)
{
    auto doc = LoadBytes({0x12, 0x34});
    doc->SetFormatKey("bin");

    // The device refuses the bytes: reported, and it stays a device.
    doc->SetPath("/dev/full");
    doc->WriteByte(0x56, 1);
    EXPECT_FALSE(doc->Commit());
    EXPECT_EQ(host.messages, (std::vector<RecordedMessage>{{"WRITE ERROR", "ERROR", mbIconStop}}));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_TRUE(doc->IsDirty());
    host.messages.clear();
    doc->SetPath("/dev/null");
    EXPECT_TRUE(doc->Commit());
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string piped;
    std::thread reader([&] {
        int fd = ::open(fifo.c_str(), O_RDONLY);
        piped = Drain(fd);
        ::close(fd);
    });
    doc->SetPath(fifo);
    EXPECT_TRUE(doc->Commit(true));
    reader.join();
    EXPECT_EQ(piped, "\x12\x56");
    EXPECT_TRUE(fs::is_fifo(fifo));

    const std::string socketPath = dir.File("sock");
    int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    std::string received;
    std::thread server([&] {
        int peer = ::accept(listener, nullptr, nullptr);
        received = Drain(peer);
        ::close(peer);
    });
    doc->SetPath(socketPath);
    EXPECT_TRUE(doc->Commit(true));
    server.join();
    ::close(listener);
    EXPECT_EQ(received, "\x12\x56");
    EXPECT_TRUE(fs::is_socket(socketPath));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(Hidden(dir).empty());
}

TEST_F(DocumentTest, APipeIsReadOnceAndRecognisedFromMemory)
{
    const std::string fifo = dir.File("in");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string text = IntelData(0x100, {1, 2, 3}) + IntelEnd();
    std::thread writer([&] {
        int fd = ::open(fifo.c_str(), O_WRONLY);
        EXPECT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fd);
    });
    // All files: recognition runs its trials on what the pipe gave once.
    auto doc = MakeDocument("");
    ASSERT_TRUE(doc->Open(fifo));
    writer.join();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(doc->Start(), 0x100);
    EXPECT_EQ(Window(*doc), (Bytes{1, 2, 3}));
}

TEST_F(DocumentTest, AnEndlessPipeIsRefusedPastTheLimit)
{
    const std::string fifo = dir.File("endless");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        int fd = ::open(fifo.c_str(), O_WRONLY);
        const std::string lines(4096, '\n');
        auto old = std::signal(SIGPIPE, SIG_IGN);
        while (::write(fd, lines.data(), lines.size()) > 0) {
        }
        std::signal(SIGPIPE, old);
        ::close(fd);
    });
    constexpr size_t kLimit = 1 << 20;
    size_t read = 0;
    bool tooLong = false;
    std::string reason;
    {
        FileInStream stream(fifo, kLimit);
        while (stream.Get() >= 0)
            ++read;
        tooLong = stream.TooLong();
        reason = stream.ErrorText();
        EXPECT_TRUE(stream.Failed());
    }
    writer.join();
    EXPECT_TRUE(tooLong);
    EXPECT_EQ(reason, "not a regular file and longer than 1 MiB");
    EXPECT_LE(read, kLimit);
    EXPECT_GT(read, kLimit / 2);
}

TEST_F(DocumentTest, SavingThroughADanglingLinkCreatesItsTarget)
{
    fs::create_directory(dir.Path() / "real");
    fs::create_symlink("real/made.bin", dir.Path() / "first");
    fs::create_symlink("first", dir.Path() / "second");
    auto doc = LoadBytes({7, 8});
    doc->SetFormatKey("bin");
    doc->SetPath(dir.File("second"));
    ASSERT_TRUE(doc->Commit(true));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "second"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "first"));
    EXPECT_EQ(ReadFileBytes(dir.File("real/made.bin")), "\x07\x08");

    // A link loop is reported, not followed for ever.
    fs::create_symlink("loop", dir.Path() / "loop");
    doc->SetPath(dir.File("loop"));
    EXPECT_FALSE(doc->Commit(true));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find(std::strerror(ELOOP)), std::string::npos);
}

TEST_F(DocumentTest, NamesUpToTheLongestLegalOneCanBeSaved)
{
    auto doc = LoadBytes({1});
    doc->SetFormatKey("bin");
    for (size_t length : {249u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".bin";
        doc->SetPath(dir.File(name));
        ASSERT_TRUE(doc->Commit(true)) << length;
        EXPECT_EQ(ReadFileBytes(dir.File(name)), "\x01");
        // Saved a second time: the old file is replaced through a temporary one.
        doc->WriteByte(2, 0);
        ASSERT_TRUE(doc->Commit()) << length;
        EXPECT_EQ(ReadFileBytes(dir.File(name)), "\x02");
        doc->WriteByte(1, 0);
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(Hidden(dir).empty());
}

TEST_F(DocumentTest, ASignalDuringASaveRemovesTheTemporaryFile)
{
    const std::string path = dir.Write("target.bin", "old contents");
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Tells the parent once the save is under way and waits there
            // for the signal.
            auto doc = LoadBytes(Bytes(100000, 0x5A));
            doc->SetFormatKey("bin");
            doc->SetPath(path);
            bool told = false;
            host.onEvents = [&] {
                if (!told && doc->IsBusy()) {
                    told = true;
                    (void)!::write(ready[1], "x", 1);
                    for (;;)
                        ::pause();
                }
            };
            doc->Commit(true);
            ::_exit(0);
        }
        ::close(ready[1]);
        char mark;
        ASSERT_EQ(::read(ready[0], &mark, 1), 1);
        ::close(ready[0]);
        EXPECT_EQ(Hidden(dir).size(), 1u) << "no save under way";
        ::kill(child, sig);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
        EXPECT_EQ(ReadFileBytes(path), "old contents");
        // Only SIGKILL cannot be caught; its stray temporary file goes here.
        EXPECT_EQ(Hidden(dir).size(), sig == SIGKILL ? 1u : 0u) << sig;
        for (const std::string& name : Hidden(dir))
            fs::remove(dir.Path() / name);
    }
}

TEST_F(DocumentTest, ReplacingAFileKeepsItsOwnerGroupAndMode)
{
    const std::string path = dir.Write("owned.bin", "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    // Only root may give a file to someone else.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), 4321, 8765), 0);
    }
    auto doc = LoadBytes({9});
    doc->SetFormatKey("bin");
    doc->SetPath(path);
    ASSERT_TRUE(doc->Commit(true));
    EXPECT_EQ(ReadFileBytes(path), "\x09");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 8765u);
    }
}
