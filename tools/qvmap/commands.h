// The qvmap commands that show a map through the library's document and view.
#pragma once

#include <string>
#include <vector>

namespace qvmap {

using Args = std::vector<std::string>;

// render MAP -o OUT.png [--chips SHEET] [--units UNITS] [--scroll X,Y --size W,H]
int CommandRender(const Args& args);
// view MAP [--chips SHEET] [--units UNITS] [--size W,H] [--script ACTIONS]
int CommandView(const Args& args);

}  // namespace qvmap
