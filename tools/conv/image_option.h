#pragma once
// dravel-conv's image steps: --crop, --exclude, --move-to, --fill,
// --generate, --put and --word-width; their values, their checks against
// each other, and running them over the document in their order.

#include "conv_options.h"

#include <string>
#include <string_view>

class OBufferDocument;

// Takes `value` of one of these options into `options`: true when `option`
// is one of them; a wrong value leaves its one-line problem in `problem`.
bool ParseImageOption(std::string_view option, std::string_view value, ConvOptions& options,
                      std::string& problem);

// The problem of steps that contradict each other (a crop and an exclude
// that overlap) or that the output cannot take; empty when none.
std::string CheckImageOptions(const ConvOptions& options);

// Runs the steps over the document; the problem of one that cannot run
// (--move-to on an empty image), empty when all ran.
std::string RunImageSteps(OBufferDocument& document, const ConvOptions& options);
