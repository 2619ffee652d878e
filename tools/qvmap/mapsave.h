// Saving a map file whole or not at all.
#pragma once

#include <string>

#include <qvdll/hexmap.h>

namespace qvmap {

// Writes `map` to the file `path` names as CHexMap::WriteMapFile writes over a file (from its
// start, the old bytes past the map's end left as they were) or, with bFresh, as over an
// empty file; but through a CReplacementFile, so that on any failure the file is as it was
// and InputError says why. Where the folder takes no new file but the file itself may be
// written, a map that is not fresh is written over the file in place once the disk space
// for all of it is held, with a note on standard error.
void SaveMapFile(CHexMap& map, const std::string& path, bool bFresh);

}  // namespace qvmap
