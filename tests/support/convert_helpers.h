#pragma once
// Runs the reading and writing protocols of the converters the way the
// document does, against a plain map of address to byte, so that format
// tests compare bytes and addresses without a buffer or a document.

#include "formats/file_format.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class InStream;

using ByteImage = std::map<int32_t, uint8_t>;

struct ReadResult {
    ByteImage image;
    // Flags left when the loop ended, without ffcAddressChange.
    uint32_t flags = 0;
    FileFormat format = ffUnknown;
    // Every address that ffcAddressChange announced, in order.
    std::vector<int32_t> addressChanges;
};

// Reads `text` through OFFCIn with `key`: stores each byte at its address,
// follows address changes and stops on the stop mask.
ReadResult ReadAll(const std::string& text, std::string_view key);
// The same on any stream, a file for instance.
ReadResult ReadAll(InStream& stream, std::string_view key);

struct WriteResult {
    std::string text;
    uint32_t flags = 0;
};

// Writes `image` through OFFCOut with `key` and `options`: SetAddress to the
// first address and before every byte that does not follow the previous one,
// PutByte for each byte, then Finish.
WriteResult WriteAll(const ByteImage& image, std::string_view key, const WriterOptions& options = {});

// `bytes` placed at consecutive addresses from `address`.
ByteImage ImageAt(int32_t address, const std::vector<uint8_t>& bytes);
// Adds `bytes` at consecutive addresses from `address` to `image`.
void AddBytes(ByteImage& image, int32_t address, const std::vector<uint8_t>& bytes);

// Feeds `data` through the reader with every key in `keys`, twice each: once
// by the reading protocol and once draining every byte the converter offers
// whatever the flags say. Returns the number of bytes delivered, so that
// nothing is optimised away. Used by the fuzz targets and the corpus replay.
size_t DrainAllKeys(const uint8_t* data, size_t size, const std::vector<std::string_view>& keys);

// The keys a fuzz target of one format family ("intel", "motorola",
// "tek_sig", "ahx_rca", "image") reads its input with; empty for an
// unknown family.
std::vector<std::string_view> FuzzKeys(std::string_view family);
