// What the command-line tools share: their two kinds of error, their main, reading input and
// showing text.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <qvplatform/cstring.h>

namespace qvtool {

// A bad command line: printed with the usage, exit status 2.
struct UsageError {
    std::string message;
};

// Input or a resource that cannot be used (a file, a record, a window): exit status 1.
struct InputError {
    std::string message;
};

using Args = std::vector<std::string>;
using Commands = std::map<std::string, std::function<int(const Args&)>>;

// With "--version" as the only argument, prints "NAME VERSION" (the project's version) and
// returns true; otherwise does nothing and returns false.
bool PrintedVersion(const char* name, int argc, char** argv);

// Runs the command argv[1] names with the arguments after it and returns the exit status.
// "--help" or "-h" prints the usage (0), "--version" the version (0); no command prints it to standard error (2); errors
// are printed as "NAME: message".
int RunCommand(const char* name, const char* usage, const Commands& commands, int argc,
               char** argv);

// The whole of a file, or of standard input for "-".
std::string ReadAll(const std::string& path);

// A text of the library (code page 932) as UTF-8 in double quotes, escaped so that it stays
// on one line and a quote inside it cannot end it.
std::string Quoted(const CString& text);

}  // namespace qvtool
