#pragma once
// dravel-conv --compare A B: the differing ranges of two images, whatever
// their formats, with cmp's exit statuses.

#include "conv_options.h"

#include <map>
#include <string>

class DocumentHost;

// The problem of a --compare command line (two names, no writer options),
// empty when it is right; fills in the keys of both inputs.
std::string CheckCompareOptions(ConvOptions& options, const std::map<std::string, std::string>& given, int names);

// Reads both inputs through `host`, whose `reported` counts the problems it
// showed, and prints the differing ranges to standard output. Exit status 0
// when the images are equal, 1 when they differ, 2 when an input could not
// be read.
int RunCompare(const ConvOptions& options, DocumentHost& host, const int& reported);
