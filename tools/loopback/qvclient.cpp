// qvclient: the example client. It connects to qvserver on the loopback
// address and, once in each format (the current one with a server version,
// then the old one without), sends a move (kind 106) and a map (kind 111) and
// prints the refresh (kind 5) that comes back. Then it says goodbye.
//
//   qvclient --port N
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <qvdll/hexmap.h>
#include <qvplatform/socketfile.h>

#include "loopback.h"
#include "toolmain.h"

namespace {

int ConnectToLoopback(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot connect to 127.0.0.1:" + std::to_string(port) + ": " +
                                 std::strerror(errno));
    }
    return fd;
}

// A kind-111 message carrying `map` as a flat map block: width, height, cells.
void PutMap(CMsg& msg, CHexMap& map) {
    const WORD width = map.GetMapWidth(), height = map.GetMapHeight();
    const DWORD size = 4 + DWORD{width} * height;
    msg.m_wKind = CMsg::kindMap;
    msg.m_pData.Reset(new BYTE[size]);
    msg.m_pData[0] = static_cast<BYTE>(width);
    msg.m_pData[1] = static_cast<BYTE>(width >> 8);
    msg.m_pData[2] = static_cast<BYTE>(height);
    msg.m_pData[3] = static_cast<BYTE>(height >> 8);
    std::memcpy(msg.m_pData.Get() + 4, map.GetMap()->cells, size - 4);
    msg.m_dwDataSize = size;
}

void Talk(int port) {
    CSocketFile connection(ConnectToLoopback(port));
    CArchive out(&connection, CArchive::store);
    CArchive in(&connection, CArchive::load);
    const char* versions[] = {"1.0", ""};  // current format, then old format
    int step = 0;
    for (const char* version : versions) {
        ++step;
        CMsg move{CString(version)};
        move.m_wKind = CMsg::kindMove;
        // Unit 1,2 moves to a new hex: change flag 0 carries x, y and state.
        move.m_strMsg.Format("1,2,0,%d,%d,%d", 30 + step, 40 + step, 5 + step);
        move.Serialize(out);

        CHexMap map(4, 3);
        map.SetData(2, 1, 9);
        CMsg mapMsg{CString(version)};
        PutMap(mapMsg, map);
        mapMsg.Serialize(out);
        out.Flush();  // both records go out before we wait for the answer
        std::printf("sent move and map in the %s format\n", loopback::FormatOf(move));

        CMsg reply;
        reply.Serialize(in);
        if (reply.m_wKind != CMsg::kindRefresh)
            throw std::runtime_error("expected a refresh, got kind " +
                                     std::to_string(reply.m_wKind));
        loopback::PrintRefresh(reply);
        std::fflush(stdout);
    }
    CMsg goodbye{CString("1.0")};
    goodbye.m_strMsg = loopback::kGoodbye;
    goodbye.Serialize(out);
    out.Close();
}

}  // namespace

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
        Talk(static_cast<int>(port));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qvclient: %s\n", e.what());
        return 1;
    }
    return 0;
}
