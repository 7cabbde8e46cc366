#pragma once
// Runs SRecord's srec_cat and srec_cmp as independent peers: they write
// images in their own dialect for this program to read, and they check that
// what this program wrote holds the expected bytes.

#include "support/convert_helpers.h"

#include <cstdint>
#include <string>

// True when srec_cat and srec_cmp can be run from the PATH.
bool SrecToolsAvailable();

// A scratch directory, removed with everything in it on destruction.
class PeerDir {
public:
    PeerDir();
    ~PeerDir();
    PeerDir(const PeerDir&) = delete;
    PeerDir& operator=(const PeerDir&) = delete;

    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;

    // Has srec_cat write `image` to `name` with the output options
    // `peerOutput` (e.g. "-tektronix -esa 0"). Returns the file's text; an
    // empty string when srec_cat failed, with its messages in `log`.
    std::string PeerWrite(const ByteImage& image, const std::string& name,
                          const std::string& peerOutput, std::string& log) const;

    // Has srec_cmp compare file `name`, read with the input option
    // `peerInput` (e.g. "-ascii_hex"), with `image`. True when they hold the
    // same bytes at the same addresses; otherwise the differences are in `log`.
    bool PeerReadsSame(const std::string& name, const std::string& peerInput,
                       const ByteImage& image, std::string& log) const;

private:
    // The image as an S-record file srec_cat and srec_cmp take as reference.
    std::string WriteReference(const ByteImage& image) const;

    std::string path_;
};

// Runs `command` through the shell; returns its exit status and appends its
// output, standard error included, to `log`.
int RunCommand(const std::string& command, std::string& log);

// A reproducible image of `runs` runs of odd lengths (1 to `maxRun` bytes)
// separated by gaps, all below `limit`.
ByteImage RandomImage(uint32_t seed, int runs, int maxRun, int32_t limit);
