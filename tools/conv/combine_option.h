#pragma once
// dravel-conv's options that combine images: --split, --interleave,
// --lane-width, --swap, --overlay and --overlap; their parsing and the steps
// they add between reading the input and writing the output.

#include "conv_options.h"

#include <map>
#include <string>
#include <vector>

class DocumentHost;
class OBufferDocument;

// Takes argv[i] (and its value) when it is one of these options: returns
// how many arguments it used, 0 when it is not one of them; a wrong value
// leaves its problem in `problem`.
int ParseCombineOption(int argc, const char* const* argv, int i, ConvOptions& options,
                       std::map<std::string, std::string>& given, std::string& problem);

// Checks the file names (inputs first, OUTPUT last) against these options
// and keeps the lanes to interleave; the problem, or empty.
std::string TakeCombineNames(const std::vector<std::string>& names, ConvOptions& options,
                             const std::map<std::string, std::string>& given);

// Reads the lanes of --interleave and merges them into `document`. False
// when a lane could not be opened; what was reported is counted in
// `reported`.
bool ReadLanes(DocumentHost& host, int& reported, const ConvOptions& options, OBufferDocument& document);

// Lays the overlays over `document`. Returns 0 to go on, or the exit
// status when nothing may be written.
int CombineImages(DocumentHost& host, int& reported, const ConvOptions& options, OBufferDocument& document);

// --swap over the window, after the image steps.
void SwapImage(const ConvOptions& options, OBufferDocument& document);

// Writes the lanes of --split; returns the exit status.
int WriteSplit(int& reported, const ConvOptions& options, OBufferDocument& document);
