#include "support/srec_peer.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace {
std::string Hex(uint32_t value, int digits)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string text(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = hex[value & 0x0F];
    return text;
}

// One S3 record; written here rather than through the converters, so that the
// reference does not depend on the code under test.
std::string S3Record(uint32_t address, const std::vector<uint8_t>& bytes)
{
    const uint32_t count = static_cast<uint32_t>(bytes.size()) + 5;
    uint32_t sum = count;
    std::string line = "S3" + Hex(count, 2) + Hex(address, 8);
    for (int shift = 0; shift < 32; shift += 8)
        sum += (address >> shift) & 0xFF;
    for (uint8_t b : bytes) {
        line += Hex(b, 2);
        sum += b;
    }
    return line + Hex(~sum & 0xFF, 2) + "\n";
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }
} // namespace

int RunCommand(const std::string& command, std::string& log)
{
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    std::array<char, 4096> chunk;
    size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        log.append(chunk.data(), got);
    int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool SrecToolsAvailable()
{
    std::string log;
    return RunCommand("srec_cat -version", log) == 0 && RunCommand("srec_cmp -version", log) == 0;
}

PeerDir::PeerDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "dravel-peer-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a scratch directory");
    path_ = pattern;
}

PeerDir::~PeerDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void PeerDir::Write(const std::string& name, const std::string& bytes) const
{
    std::ofstream file(Path(name), std::ios::binary);
    file << bytes;
}

std::string PeerDir::Read(const std::string& name) const
{
    std::ifstream file(Path(name), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string PeerDir::WriteReference(const ByteImage& image) const
{
    std::string text;
    std::vector<uint8_t> run;
    uint32_t runStart = 0;
    auto flush = [&] {
        if (!run.empty())
            text += S3Record(runStart, run);
        run.clear();
    };
    for (const auto& [address, byte] : image) {
        const auto a = static_cast<uint32_t>(address);
        if (run.empty() || a != runStart + run.size() || run.size() == 32) {
            flush();
            runStart = a;
        }
        run.push_back(byte);
    }
    flush();
    text += "S70500000000FA\n";
    Write("reference.s3", text);
    return Path("reference.s3");
}

std::string PeerDir::PeerWrite(const ByteImage& image, const std::string& name,
                               const std::string& peerOutput, std::string& log) const
{
    const std::string reference = WriteReference(image);
    const std::string command =
        "srec_cat " + Quote(reference) + " -motorola -o " + Quote(Path(name)) + " " + peerOutput;
    if (RunCommand(command, log) != 0)
        return {};
    return Read(name);
}

bool PeerDir::PeerReadsSame(const std::string& name, const std::string& peerInput,
                            const ByteImage& image, std::string& log) const
{
    const std::string reference = WriteReference(image);
    const std::string command = "srec_cmp " + Quote(Path(name)) + " " + peerInput + " " +
                                Quote(reference) + " -motorola";
    return RunCommand(command, log) == 0;
}

ByteImage RandomImage(uint32_t seed, int runs, int maxRun, int32_t limit)
{
    std::mt19937 random(seed);
    auto below = [&](int n) { return static_cast<int32_t>(random() % static_cast<uint32_t>(n)); };
    ByteImage image;
    int32_t address = below(300);
    for (int r = 0; r < runs; ++r) {
        const int32_t length = 1 + below(maxRun);
        if (address + length > limit)
            break;
        for (int32_t i = 0; i < length; ++i)
            image[address + i] = static_cast<uint8_t>(random());
        address += length + 1 + below(200);
    }
    return image;
}
