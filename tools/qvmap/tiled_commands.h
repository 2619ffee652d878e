// The qvmap commands that take maps to Tiled and back.
#pragma once

#include "commands.h"

namespace qvmap {

// export MAP -o OUT.tmx|OUT.tmj [--chips SHEET] [--encoding E] [--force]
int CommandExport(const Args& args);
// import IN.tmx|IN.tmj -o OUT.map [--fill V] [--layer NAME] [--force]
int CommandImport(const Args& args);

}  // namespace qvmap
