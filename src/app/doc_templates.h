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
// exports, written only (File Export, the converter's output).
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

// `path` with an extension that is still a pattern ("name.s?f", as a file
// dialog may leave it) replaced by the template's default extension, or
// dropped when the template has none; any other path as it is.
std::string ConcreteFileName(std::string_view path, int templateIndex);

// MatchTemplate for a file to be written: the written-only types first,
// never one that is only read.
int MatchSaveTemplate(std::string_view fileName);

// The Open dialog's last type, after the templates' own: the names firmware
// files go by, whatever their format. Its files take the template their
// names match, as files named on the command line or dropped do.
inline constexpr const char* kFirmwareFilesDescription = "Firmware files";
inline constexpr const char* kFirmwareFilesFilter =
    "*.hex;*.ihx;*.ihex;*.mcs;*.s19;*.s28;*.s37;*.srec;*.mot;*.s?f;*.int;*.ext;*.bin;*.elf;*.img;*.rom;*.ahx;"
    "*.tek;*.sig;*.mcd;*.tix";
// The file type number the Firmware files type goes by beside the templates'.
constexpr int kFirmwareFilesType = 100;

// The template a file chosen under file type `type` opens with: the type's
// own template, or for Firmware files the one its name matches (All files
// when none does).
int TemplateForOpen(int type, std::string_view fileName);

// `name` for a file of template `templateIndex`: an extension that names a
// file type (a template's, or one of the firmware names) gives way to that
// template's own; other names, and All files, stay as they are.
std::string WithTypeExtension(std::string_view name, int templateIndex);

// Index of the template with this default extension (ignoring case); -1 when none.
int TemplateForKey(std::string_view key);

// Title of a new document without a file: "Untitled", or "Untitled 2",
// "Untitled 3"... when an open document already has the plainer one.
std::string UntitledTitle(const std::vector<std::string>& titlesInUse);
