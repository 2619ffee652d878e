#include "toolmain.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>

#include <qvplatform/cp932.h>

namespace qvtool {

bool PrintedVersion(const char* name, int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--version") != 0) return false;
    std::printf("%s %s\n", name, QVDLL_VERSION);
    return true;
}

int RunCommand(const char* name, const char* usage, const Commands& commands, int argc,
               char** argv) {
    if (PrintedVersion(name, argc, argv)) return 0;
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(usage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    try {
        const auto command = commands.find(argv[1]);
        if (command == commands.end())
            throw UsageError{std::string("unknown command '") + argv[1] + "'"};
        return command->second(Args(argv + 2, argv + argc));
    } catch (const UsageError& e) {
        std::fprintf(stderr, "%s: %s\n%s", name, e.message.c_str(), usage);
        return 2;
    } catch (const InputError& e) {
        std::fprintf(stderr, "%s: %s\n", name, e.message.c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", name, e.what());
        return 1;
    }
}

std::string ReadAll(const std::string& path) {
    if (path == "-") return std::string(std::istreambuf_iterator<char>(std::cin), {});
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError{"cannot open '" + path + "': " + std::strerror(errno)};
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) throw InputError{"cannot read '" + path + "'"};
    return bytes;
}

std::string Quoted(const CString& text) {
    std::string out = "\"";
    for (const char c : Cp932ToPrintable(text.view())) {
        if (c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace qvtool
