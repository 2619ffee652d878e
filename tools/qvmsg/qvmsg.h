// qvmsg: build message records from a readable description, and read records
// back and show them. Shared pieces of its commands.
#pragma once

#include <string>
#include <vector>

#include <qvplatform/cstring.h>

#include "toolmain.h"

namespace qvmsg {

using qvtool::InputError;
using qvtool::Quoted;
using qvtool::ReadAll;
using qvtool::UsageError;

int CommandEncode(const std::vector<std::string>& args);
int CommandDecode(const std::vector<std::string>& args);

// Bytes as hex pairs, sixteen to a line, each line starting with `indent`.
std::string HexLines(const unsigned char* data, std::size_t size, const std::string& indent);

}  // namespace qvmsg
