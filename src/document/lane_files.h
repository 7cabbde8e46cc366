#pragma once
// The files around lanes: how the N lane files of an output are named and
// found again, what is checked before any of them is written, and the
// messages the editor and dravel-conv give about lanes and swaps alike.

#include "buffer/address.h"
#include "document/lanes.h"
#include "formats/file_format.h"

#include <string>
#include <vector>

class OBufferDocument;

// NAME.even.EXT and NAME.odd.EXT for two lanes of one byte, NAME.0.EXT ...
// NAME.3.EXT otherwise (EXT is the output's extension; none, none).
std::vector<std::string> LaneFileNames(const std::string& output, LaneShape shape);

// When `path` is one of a set of lane files (NAME.even.EXT, NAME.2.EXT, ...)
// or their common stem NAME.EXT, the whole set for `shape` in lane order.
std::vector<std::string> LaneSet(const std::string& path, LaneShape shape);

// The names among `paths` that exist already.
std::vector<std::string> ExistingFiles(const std::vector<std::string>& paths);

// Why the files cannot all be written (a folder that is missing or not
// writable, a name that is a folder), before any of them is; empty when
// nothing stands in the way.
std::string UnwritableProblem(const std::vector<std::string>& paths);

// Puts the lane files written to `temporaries` in place under `names`, all
// or none: each old file is kept under a second name until every rename has
// succeeded, and a rename that fails puts back the ones already made, so
// the old set stays whole. Signals wait meanwhile; no temporary is left.
// Empty, or the name that failed and why.
std::string PutLaneFilesInPlace(const std::vector<std::string>& temporaries, const std::vector<std::string>& names);

// Writes the lanes of `document`'s window to `names` in `key`'s format, all
// or none: each lane goes to a temporary beside its name, gathered from the
// window as it is written, and the set takes its names only once every lane
// was written. A failure, a stop (Cancel) or a signal leaves the old files
// as they were and no temporary behind. Empty, or what went wrong.
std::string WriteLaneFiles(OBufferDocument& document, const std::vector<std::string>& names, const std::string& key,
                           LaneShape shape, const WriterOptions& options);

// When the lanes' windows differ: the message that lists them (each lane
// is merged as far as it goes, the rest reads 0xFF); empty when they agree.
std::string LaneCoverageProblem(const std::vector<const OBufferDocument*>& lanes,
                                const std::vector<std::string>& names);

// What a swap of first..last in groups of `width` left alone at its end;
// empty when nothing was.
std::string SwapRemainderNotice(Address first, Address last, int width, Address left);

// The text over an overlap list.
inline constexpr const char* kOverlapText = "The bytes land on written ones at:";
