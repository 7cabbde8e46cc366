#pragma once
// dravel-conv's command line: what it asks for, checked for contradictions
// before any file is touched.

#include "buffer/address.h"
#include "document/checksum_plan.h"
#include "document/lanes.h"
#include "formats/file_format.h"

#include <cstdint>
#include <string>
#include <vector>

struct ConvOptions {
    std::string input;
    std::string output;
    // The file type keys; from the names unless given.
    std::string inKey;
    std::string outKey;
    bool help = false;
    bool info = false;
    // Compare input with output (then a second input) instead of converting.
    bool compare = false;
    std::string inKeyB;
    bool verbose = false;
    bool force = false;
    // Write as the editor saves (runs of 11 or more erased bytes skipped,
    // shorter holes filled) instead of exactly the addresses read.
    bool erasedGaps = false;
    // 0: the format's own (32).
    int32_t recordSize = 0;
    // 0: auto; 1, 2, 3: that S-record type; -1: not given (S3).
    int srecType = -1;
    // Empty: each format's own line ends.
    std::string lineEnd;
    // Added to every address read from INPUT.
    Address offset = 0;
    // --checksum and --checksum-write in the order given; with only
    // --checksum and one file name nothing is converted (`report`).
    std::vector<ChecksumPlan> checksums;
    std::vector<ChecksumPlan> checksumWrites;
    bool checksumList = false;
    bool report = false;

    // Combining images (combine_option.cpp). With --interleave, `lanes` are
    // the inputs (INPUT is the first) in lane order.
    bool interleave = false;
    int laneWidth = 1;
    std::vector<std::string> lanes;
    struct OverlayFile {
        std::string path;
        Address offset = 0;
    };
    std::vector<OverlayFile> overlays;
    OverlapPolicy overlap = OverlapPolicy::error;
    // 16 or 32; 0 for none.
    int swap = 0;
    // lanes 0: no --split.
    LaneShape split{0, 1};
    // Intel address records: 0 auto, 2 or 4 those records; -1 not given (04).
    int ihexType = -1;
};

// Reads the arguments (without the program name) into `options`; returns
// the problem of a wrong command line, empty when it is right.
std::string ParseConvOptions(int argc, const char* const* argv, ConvOptions& options);

// The Intel address record (2 or 4) to write when the highest address
// written is `highest`; returns the usage problem when 02 cannot reach it.
std::string ChooseIntelAddressRecord(const ConvOptions& options, uint32_t highest, int& record);

// The address bytes (2, 3 or 4) of the S-records to write when the highest
// address written is `highest`; returns the usage problem when the asked
// type cannot hold it or the record size does not fit its records.
std::string ChooseSRecordAddressBytes(const ConvOptions& options, Address highest, int& addressBytes);
