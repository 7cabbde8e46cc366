#pragma once
// dravel-conv run as a build script runs it: in a scratch folder, through the
// shell, with its exit status, standard output and standard error apart.

#include "support/recording_host.h"

#include <string>

struct ConvRun {
    int status = -1;
    std::string out;
    std::string err;
};

// dravel-conv with `args` in `dir`, reading the output of `feed` (a shell
// command) when one is given.
ConvRun RunConv(const TempDir& dir, const std::string& args, const std::string& feed = {});

// `text` as one word of a shell command.
std::string ShellQuote(const std::string& text);
// "cd DIR && ": what makes a shell command run in `dir`.
std::string InDir(const TempDir& dir);
