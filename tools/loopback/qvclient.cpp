// qvclient: the example client. It connects to qvserver on the loopback
// address and, once in each format (the current one with a server version,
// then the old one without), sends a move (kind 106) and a map (kind 111) and
// prints the refresh (kind 5) that comes back. Then it says goodbye.
//
//   qvclient --port N
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "loopback.h"
#include "toolmain.h"

int main(int argc, char** argv) {
    if (qvtool::PrintedVersion("qvclient", argc, argv)) return 0;
    char* end = nullptr;
    const long port =
        argc == 3 && std::strcmp(argv[1], "--port") == 0 ? std::strtol(argv[2], &end, 10) : -1;
    if (port < 1 || port > 65535 || !end || *end) {
        std::fprintf(stderr, "usage: qvclient --port N\n");
        return 2;
    }
    try {
        loopback::RunSession(loopback::ConnectToLoopback(static_cast<int>(port)),
                             [](const char* format, const CMsg& reply) {
                                 std::printf("sent move and map in the %s format\n", format);
                                 loopback::PrintRefresh(reply);
                                 std::fflush(stdout);
                             });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qvclient: %s\n", e.what());
        return 1;
    }
    return 0;
}
