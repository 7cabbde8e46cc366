#pragma once
// The editor's command line: file names to open and the option that removes
// the file association. Each argument the shell passes is one token.

#include <string>
#include <string_view>
#include <vector>

struct CommandLine {
    std::vector<std::string> names;   // name and value texts, in order, empty ones left out
    bool unregister = false;          // an option naming "unregister" was met
};

// True when an option's text (after its leading "-") is "unregister" or a
// beginning of it, in any letter case; a bare "-" counts too.
bool IsUnregisterOption(std::string_view text);

// Splits the arguments (without the program's own name) into names and
// options. Reading stops at the first unregister option: later names are
// not taken.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The full path to open for a command-line name: relative names are taken
// from currentDir; when the name does not exist as typed, the first entry of
// its directory that matches it without regard to case (with "*" and "?" as
// wildcards) gives the stored name. A name that matches nothing stays as
// typed, so that opening it reports the missing file.
std::string ResolveCommandLineName(const std::string& name, const std::string& currentDir);

// Case-blind wildcard match of a whole file name: "*" any run, "?" one character.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Names without an extension get a "." appended so that they match as having
// an empty one; Linux keeps such a dot in the name, so the file to open is
// the name without it unless a file with the dot really exists.
std::string PathToOpen(const std::string& name);
