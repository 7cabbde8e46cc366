#include "compare_option.h"

#include "app/doc_templates.h"
#include "buffer/data_buffer.h"
#include "document/buffer_document.h"
#include "document/image_compare.h"

#include <cstdio>
#include <memory>

namespace {

std::string KeyOfName(const std::string& name)
{
    const int index = MatchTemplate(name);
    return index < 0 ? std::string() : kDocTemplates[index].defaultExtension;
}

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
        std::fprintf(stderr, "dravel-conv: %s: not recognised as %s; read as binary\n", path.c_str(),
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
    const std::unique_ptr<OBufferDocument> a = Load(host, reported, options.input, options.inKey, options.force);
    if (!a)
        return 2;
    const std::unique_ptr<OBufferDocument> b = Load(host, reported, options.output, options.inKeyB, options.force);
    if (!b)
        return 2;

    // Lines leave as they are found, so a long list streams into a pipe.
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    const OImageCompare compare(a->Data(), b->Data());
    Address ranges = 0, bytes = 0;
    compare.Walk(0, [&](const DiffRange& range) {
        ++ranges;
        bytes += range.Count();
        std::printf("%08llx-%08llx (%lld bytes)\n", static_cast<unsigned long long>(range.first),
                    static_cast<unsigned long long>(range.last), static_cast<long long>(range.Count()));
        if (options.verbose) {
            PrintBytes(compare, 0, range);
            PrintBytes(compare, 1, range);
        }
        return true;
    });
    if (options.verbose && ranges > 0)
        std::printf("%lld bytes differ in %lld ranges\n", static_cast<long long>(bytes),
                    static_cast<long long>(ranges));
    std::fflush(stdout);
    return ranges == 0 ? 0 : 1;
}
