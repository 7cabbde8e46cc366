#pragma once
// Shared set-up of the document tests: a temporary folder with a settings
// file, a recording host, and builders for small Intel HEX files.

#include "document/buffer_document.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class DocumentTest : public ::testing::Test {
protected:
    std::string Settings() const { return dir.File("dravel.ini"); }
    void WriteSettings(const std::string& text) const { dir.Write("dravel.ini", text); }

    std::unique_ptr<OBufferDocument> MakeDocument(const std::string& key = "hex")
    {
        return std::make_unique<OBufferDocument>(host, Settings(), key);
    }
    // A document holding `bytes` from address 0, loaded from a plain hex file.
    std::unique_ptr<OBufferDocument> LoadBytes(const std::vector<uint8_t>& bytes);

    std::vector<uint8_t> Window(OBufferDocument& doc) const;

    TempDir dir;
    RecordingHost host;
};

// Intel HEX records (16-bit address) and plain hex files for the tests.
inline std::string IntelRecord(uint16_t address, uint8_t type, const std::vector<uint8_t>& bytes)
{
    char buf[16];
    uint8_t sum = static_cast<uint8_t>(bytes.size() + (address >> 8) + (address & 0xFF) + type);
    std::snprintf(buf, sizeof buf, ":%02X%04X%02X", static_cast<unsigned>(bytes.size()), address, type);
    std::string line = buf;
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        line += buf;
        sum = static_cast<uint8_t>(sum + b);
    }
    std::snprintf(buf, sizeof buf, "%02X\r\n", static_cast<uint8_t>(-sum));
    return line + buf;
}

inline std::string IntelData(uint16_t address, const std::vector<uint8_t>& bytes) { return IntelRecord(address, 0, bytes); }
inline std::string IntelLinear(uint16_t upper)
{
    return IntelRecord(0, 4, {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)});
}
inline std::string IntelEnd() { return ":00000001FF\r\n"; }

inline std::string PlainHex(const std::vector<uint8_t>& bytes)
{
    std::string text;
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        text += buf;
        if (i % 32 == 31)
            text += "\r\n";
    }
    return text + "\r\n";
}

inline std::unique_ptr<OBufferDocument> DocumentTest::LoadBytes(const std::vector<uint8_t>& bytes)
{
    auto doc = MakeDocument("hex");
    EXPECT_TRUE(doc->Open(dir.Write("image.hex", PlainHex(bytes))));
    return doc;
}

inline std::vector<uint8_t> DocumentTest::Window(OBufferDocument& doc) const
{
    std::vector<uint8_t> bytes;
    for (int32_t a = doc.Start(); a < doc.End(); ++a)
        bytes.push_back(doc.ReadByte(a));
    return bytes;
}
