#pragma once
// The document templates: one per file type, in the order of every file
// dialog's type list and of name matching. A template's default extension is
// the format key its documents are read and written with.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct DocTemplateInfo {
    const char* description;
    const char* filter;            // patterns separated by ";"
    const char* defaultExtension;  // the format key; "" for All files
};

constexpr size_t kDocTemplateCount = 14;
extern const DocTemplateInfo kDocTemplates[kDocTemplateCount];
// "All files" ends the types that can be opened; the ones after it are
// written only (Save As, the converter's output).
constexpr int kAllFilesTemplate = 10;
// ELF files are opened, never written: Save and Save As offer the others.
constexpr int kElfTemplate = 9;
constexpr int kIntelTemplate = 1;
bool IsReadOnlyTemplate(size_t index);
constexpr size_t kReadableTemplateCount = kAllFilesTemplate + 1;

// True when any ";"-separated pattern of `filter` matches the last path
// component of `fileName` (name part and extension each, ignoring case; "*"
// takes the rest of its part, "?" exactly one character).
bool FilterMatches(std::string_view filter, std::string_view fileName);

// Index of the first template that can be opened whose filter matches
// `fileName`; -1 when none does (a name without a last component).
int MatchTemplate(std::string_view fileName);

// MatchTemplate for a file to be written: the written-only types first,
// never one that is only read.
int MatchSaveTemplate(std::string_view fileName);

// Index of the template with this default extension (ignoring case); -1 when none.
int TemplateForKey(std::string_view key);

// Title of a new document without a file: "Untitled", or "Untitled 2",
// "Untitled 3"... when an open document already has the plainer one.
std::string UntitledTitle(const std::vector<std::string>& titlesInUse);
