#include "document/lane_files.h"

#include "document/buffer_document.h"
#include "settings/replace_file.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// NAME and .EXT of a path: the extension is the last dot's part of the file
// name, if the name has one that is not its first character.
void SplitExtension(const std::string& path, std::string& stem, std::string& extension)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (dot == std::string::npos || dot <= nameStart) {
        stem = path;
        extension.clear();
    } else {
        stem = path.substr(0, dot);
        extension = path.substr(dot);
    }
}

std::string LaneTag(LaneShape shape, int lane)
{
    if (shape.lanes == 2 && shape.width == 1)
        return lane == 0 ? "even" : "odd";
    return std::to_string(lane);
}

std::string Hex8(Address value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(value));
    return text;
}
} // namespace

std::vector<std::string> LaneFileNames(const std::string& output, LaneShape shape)
{
    std::string stem, extension;
    SplitExtension(output, stem, extension);
    std::vector<std::string> names;
    for (int k = 0; k < shape.lanes; ++k)
        names.push_back(stem + "." + LaneTag(shape, k) + extension);
    return names;
}

std::vector<std::string> LaneSet(const std::string& path, LaneShape shape)
{
    std::string stem, extension;
    SplitExtension(path, stem, extension);
    // NAME.TAG.EXT: the tag is the stem's own extension.
    std::string inner, tag;
    SplitExtension(stem, inner, tag);
    for (int k = 0; k < shape.lanes; ++k)
        if (!tag.empty() && tag.substr(1) == LaneTag(shape, k))
            return LaneFileNames(inner + extension, shape);
    // Without an extension the tag is the path's own.
    for (int k = 0; k < shape.lanes; ++k)
        if (!extension.empty() && extension.substr(1) == LaneTag(shape, k))
            return LaneFileNames(stem, shape);
    return LaneFileNames(path, shape);
}

std::vector<std::string> ExistingFiles(const std::vector<std::string>& paths)
{
    std::vector<std::string> existing;
    std::error_code error;
    for (const std::string& path : paths)
        if (std::filesystem::exists(path, error))
            existing.push_back(path);
    return existing;
}

std::string UnwritableProblem(const std::vector<std::string>& paths)
{
    std::error_code error;
    for (const std::string& path : paths) {
        if (std::filesystem::is_directory(path, error))
            return "Cannot create \"" + path + "\":\nit is a folder";
        const size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        if (!std::filesystem::is_directory(folder, error))
            return "Cannot create \"" + path + "\":\nthe folder " + folder + " does not exist";
        if (::access(folder.c_str(), W_OK) != 0)
            return "Cannot create \"" + path + "\":\nthe folder " + folder + " cannot be written";
    }
    return {};
}

std::string PutLaneFilesInPlace(const std::vector<std::string>& temporaries, const std::vector<std::string>& names)
{
    const std::string aside = ".dravel-old-" + std::to_string(::getpid());
    std::string problem;
    const auto fail = [&](const std::string& name, int error) {
        problem = name + ": " + std::strerror(error);
    };
    sigset_t all, previous;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &previous);
    // A second link keeps an old file while the new one takes its name, so
    // the name is never missing; where links are not to be had (FAT), the
    // old file moves aside instead. A folder is never moved.
    std::vector<bool> kept(names.size(), false);
    for (size_t k = 0; k < names.size() && problem.empty(); ++k) {
        const std::string old = names[k] + aside;
        struct stat status;
        if (::lstat(names[k].c_str(), &status) != 0) {
            if (errno != ENOENT)
                fail(names[k], errno);
        } else if (S_ISDIR(status.st_mode)) {
            fail(names[k], EISDIR);
        } else if (::link(names[k].c_str(), old.c_str()) == 0 || std::rename(names[k].c_str(), old.c_str()) == 0) {
            kept[k] = true;
        } else {
            fail(names[k], errno);
        }
    }
    size_t renamed = 0;
    while (problem.empty() && renamed < names.size()) {
        if (std::rename(temporaries[renamed].c_str(), names[renamed].c_str()) != 0)
            fail(names[renamed], errno);
        else
            ++renamed;
    }
    for (size_t k = 0; k < names.size(); ++k) {
        const std::string old = names[k] + aside;
        // Putting back a name that still links the old file changes nothing
        // and leaves the second link, which goes too; an old file that could
        // not be put back stays where it is.
        if (kept[k] && (problem.empty() || std::rename(old.c_str(), names[k].c_str()) == 0))
            std::remove(old.c_str());
        else if (!kept[k] && !problem.empty() && k < renamed)
            std::remove(names[k].c_str());
        std::remove(temporaries[k].c_str());
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return problem;
}

std::string LaneCoverageProblem(const std::vector<const OBufferDocument*>& lanes,
                                const std::vector<std::string>& names)
{
    bool differ = false;
    for (const OBufferDocument* lane : lanes)
        differ = differ || lane->Start() != lanes.front()->Start() || lane->Size() != lanes.front()->Size();
    if (!differ)
        return {};
    std::string text = "The lanes differ in start or size; each was merged as far as it goes, and what a lane lacks "
                       "reads FF:";
    for (size_t k = 0; k < lanes.size(); ++k)
        text += "\n" + (k < names.size() ? names[k] : "lane " + std::to_string(k)) + ": " +
                Hex8(lanes[k]->Start()) + "-" + Hex8(lanes[k]->End() - 1);
    return text;
}

std::string SwapRemainderNotice(Address first, Address last, int width, Address left)
{
    if (left <= 0)
        return {};
    if (left == 1)
        return "The range " + Hex8(first) + "-" + Hex8(last) + " does not divide into groups of " +
               std::to_string(width) + " bytes: its last byte (" + Hex8(last) + ") was left alone.";
    return "The range " + Hex8(first) + "-" + Hex8(last) + " does not divide into groups of " + std::to_string(width) +
           " bytes: its last " + std::to_string(left) + " bytes (" + Hex8(last - left + 1) + "-" + Hex8(last) +
           ") were left alone.";
}

std::string WriteLaneFiles(OBufferDocument& document, const std::vector<std::string>& names, const std::string& key,
                           LaneShape shape, const WriterOptions& options)
{
    std::vector<std::string> temporaries;
    std::vector<std::unique_ptr<settings::RemovedOnSignal>> removedOnSignal;
    for (const std::string& name : names) {
        temporaries.push_back(name + ".dravel-" + std::to_string(::getpid()));
        removedOnSignal.push_back(std::make_unique<settings::RemovedOnSignal>(temporaries.back()));
    }
    for (int k = 0; k < shape.lanes; ++k)
        if (!document.ExportLane(temporaries[size_t(k)], key, shape, k, options)) {
            for (const std::string& temporary : temporaries)
                std::remove(temporary.c_str());
            return names[size_t(k)] + " not written; no lane written";
        }
    if (std::string problem = PutLaneFilesInPlace(temporaries, names); !problem.empty())
        return problem + "; no lane written";
    return {};
}
