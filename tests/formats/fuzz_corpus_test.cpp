// Replays the fuzz seeds (and any crash input added to them) through the
// same reading code as the fuzz targets, so that the sanitizer build checks
// them on every test run.

#include "support/checksum_check.h"
#include "support/convert_helpers.h"
#include "support/recording_host.h"
#include "support/round_trip.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

TEST(FuzzCorpus, EverySeedReadsWithoutFault)
{
    const fs::path root = fs::path(DRAVEL_SOURCE_DIR) / "fuzz" / "corpus";
    if (!fs::is_directory(root))
        GTEST_SKIP() << "no corpus at " << root;
    int files = 0;
    for (const fs::directory_entry& family : fs::directory_iterator(root)) {
        if (!family.is_directory())
            continue;
        const std::vector<std::string_view> keys = FuzzKeys(family.path().filename().string());
        const bool roundTrip = family.path().filename() == "roundtrip";
        const bool checksum = family.path().filename() == "checksum";
        EXPECT_TRUE(roundTrip || checksum || !keys.empty()) << "no fuzz target for " << family.path();
        for (const fs::directory_entry& seed : fs::recursive_directory_iterator(family.path())) {
            if (!seed.is_regular_file())
                continue;
            SCOPED_TRACE(seed.path().string());
            std::ifstream in(seed.path(), std::ios::binary);
            const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
            if (checksum) {
                EXPECT_EQ(CheckChecksumInput(bytes, data.size()), "");
            } else if (roundTrip) {
                TempDir dir;
                EXPECT_EQ(WholePathRoundTrip(bytes, data.size(), dir.Path().string()), "");
            } else {
                DrainAllKeys(bytes, data.size(), keys);
            }
            ++files;
        }
    }
    EXPECT_GT(files, 0);
}
