// qvmsg: build message records from a readable description, and read records
// back and show them. Shared pieces of its commands.
#pragma once

#include <string>
#include <vector>

#include <qvplatform/cstring.h>

namespace qvmsg {

// A bad command line: main prints it with the usage and exits 2.
struct UsageError {
    std::string message;
};

// Bad input (a file that cannot be read, a record that does not parse): exit 1.
struct InputError {
    std::string message;
};

int CommandEncode(const std::vector<std::string>& args);
int CommandDecode(const std::vector<std::string>& args);

// The whole of a file, or of standard input for "-".
std::string ReadAll(const std::string& path);

// A text of the library (code page 932) as UTF-8 in double quotes, escaped so
// that it stays on one line.
std::string Quoted(const CString& text);

// Bytes as hex pairs, sixteen to a line, each line starting with `indent`.
std::string HexLines(const unsigned char* data, std::size_t size, const std::string& indent);

}  // namespace qvmsg
