#include "compare_option.h"
#include "conv_messages.h"

#include "buffer/data_buffer.h"
#include "document/buffer_document.h"
#include "document/image_compare.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include <sys/stat.h>

namespace {

std::string KeyOfName(const std::string& name) { return InputKeyForName(name); }

// Loads `path` as the file type `key`; null after any reported problem. A
// text type whose content fits no format counts as one unless `force`.
std::unique_ptr<OBufferDocument> Load(DocumentHost& host, const int& reported, const std::string& path,
                                      const std::string& key, bool force)
{
    const int before = reported;
    auto document = std::make_unique<OBufferDocument>(host, std::string(), key);
    if (!document->Open(path))
        return nullptr;
    const FileFormat keyFormat = FormatFromKey(key);
    if (keyFormat != ffUnknown && keyFormat != ffBinary && document->ReadFormat() == ffBinary) {
        ReportProblem("%s: not recognised as %s; read as binary", path.c_str(),
                     FormatName(keyFormat));
        if (!force)
            return nullptr;
        return document;
    }
    if (reported != before)
        return nullptr;
    return document;
}

void PrintBytes(const OImageCompare& compare, int side, const DiffRange& range)
{
    int bytes[16];
    const int count = range.Count() < 16 ? int(range.Count()) : 16;
    compare.Read(side, range.first, count, bytes);
    std::fputs(side == 0 ? "  A:" : "  B:", stdout);
    for (int i = 0; i < count; ++i) {
        if (bytes[i] < 0)
            std::fputs(" --", stdout);
        else
            std::printf(" %02X", unsigned(bytes[i]));
    }
    std::fputc('\n', stdout);
}

// The size of a file that will be read as a binary image: a regular file of
// the binary type, not empty and within the address space; -1 otherwise.
Address BinaryImageSize(const std::string& path, const std::string& key)
{
    struct stat status {};
    if (FormatFromKey(key) != ffBinary || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return -1;
    return status.st_size > 0 && status.st_size <= ODataBuffer::AddressLimit ? Address(status.st_size) : -1;
}

// Two binary images hold the files' bytes from address 0 on: they are
// compared straight from the files a piece at a time, as cmp does, with no
// image built in memory. Status 2 when a file could not be read to its end.
int CompareBinaryFiles(const ConvOptions& options, Address sizeA, Address sizeB,
                       const std::function<bool(const DiffRange&)>& sink)
{
    constexpr Address kPiece = 1 << 20;
    const std::unique_ptr<FILE, int (*)(FILE*)> a(std::fopen(options.input.c_str(), "rb"), std::fclose);
    const std::unique_ptr<FILE, int (*)(FILE*)> b(std::fopen(options.output.c_str(), "rb"), std::fclose);
    std::vector<uint8_t> bytesA(kPiece), bytesB(kPiece);
    ODiffRangeBuilder builder(sink);
    for (Address at = 0; at < std::max(sizeA, sizeB) && !builder.Stopped(); at += kPiece) {
        const Address na = std::clamp<Address>(sizeA - at, 0, kPiece), nb = std::clamp<Address>(sizeB - at, 0, kPiece);
        for (const auto& [file, bytes, n, path] : {std::tuple(a.get(), bytesA.data(), na, &options.input),
                                                   std::tuple(b.get(), bytesB.data(), nb, &options.output)})
            if (n > 0 && (!file || std::fread(bytes, 1, size_t(n), file) != size_t(n))) {
                std::fflush(stdout);
                ReportProblem("%s: read error", path->c_str());
                return 2;
            }
        const Address common = std::min(na, nb);
        builder.Feed(bytesA.data(), bytesB.data(), at, common, DiffKind::Both);
        if (na > common)
            builder.Feed(bytesA.data() + common, nullptr, at + common, na - common, DiffKind::OnlyA);
        if (nb > common)
            builder.Feed(nullptr, bytesB.data() + common, at + common, nb - common, DiffKind::OnlyB);
    }
    builder.Finish();
    return 0;
}

}  // namespace

std::string CheckCompareOptions(ConvOptions& options, const std::map<std::string, std::string>& given, int names)
{
    if (options.info)
        return "--info and --compare do not go together";
    for (const char* option : {"--out-key", "--record-size", "--srec-type", "--line-end"})
        if (given.count(option))
            return std::string("--compare writes nothing; ") + option + " does not go with it";
    if (names != 2)
        return "--compare takes two files";
    // The output's name is the second input's.
    if (!given.count("--in-key"))
        options.inKey = KeyOfName(options.input);
    if (!given.count("--in-key-b"))
        options.inKeyB = given.count("--in-key") ? options.inKey : KeyOfName(options.output);
    return {};
}

int RunCompare(const ConvOptions& options, DocumentHost& host, const int& reported)
{
    // Lines leave as they are found, so a long list streams into a pipe.
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    Address ranges = 0, bytes = 0;
    const OImageCompare* compare = nullptr;
    const std::function<bool(const DiffRange&)> print = [&](const DiffRange& range) {
        ++ranges;
        bytes += range.Count();
        std::printf("%08llx-%08llx (%lld bytes)\n", static_cast<unsigned long long>(range.first),
                    static_cast<unsigned long long>(range.last), static_cast<long long>(range.Count()));
        if (compare) {
            PrintBytes(*compare, 0, range);
            PrintBytes(*compare, 1, range);
        }
        return true;
    };

    const Address sizeA = BinaryImageSize(options.input, options.inKey);
    const Address sizeB = BinaryImageSize(options.output, options.inKeyB);
    if (!options.verbose && sizeA > 0 && sizeB > 0) {
        if (const int status = CompareBinaryFiles(options, sizeA, sizeB, print); status != 0)
            return status;
    } else {
        const std::unique_ptr<OBufferDocument> a = Load(host, reported, options.input, options.inKey, options.force);
        if (!a)
            return 2;
        const std::unique_ptr<OBufferDocument> b =
            Load(host, reported, options.output, options.inKeyB, options.force);
        if (!b)
            return 2;
        const OImageCompare images(a->Data(), b->Data());
        if (options.verbose)
            compare = &images;
        images.Walk(0, print);
        compare = nullptr;
    }
    if (options.verbose && ranges > 0)
        std::printf("%lld bytes differ in %lld ranges\n", static_cast<long long>(bytes),
                    static_cast<long long>(ranges));
    std::fflush(stdout);
    return ranges == 0 ? 0 : 1;
}
