// Loads arbitrary bytes through a document, saves the window in every format
// and loads each result again; aborts when a round trip loses or moves a
// byte or a save's report is missing.

#include "support/round_trip.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A memory file system when there is one: every run saves nine files.
    // The folder goes when the fuzzer exits.
    static const struct Folder {
        Folder()
        {
            const std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
            path = base + "/dravel-roundtrip-" + std::to_string(::getpid());
            std::filesystem::create_directories(path);
        }
        ~Folder() { std::filesystem::remove_all(path); }
        std::string path;
    } folder;
    const std::string failure = WholePathRoundTrip(data, size, folder.path);
    if (!failure.empty()) {
        std::fprintf(stderr, "round trip failed: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
