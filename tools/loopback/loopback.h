// What the example programs share: the loopback address, the session a client
// holds with the server, and turning a received message into lines to print.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <qvdll/hexmap.h>
#include <qvdll/msg.h>
#include <qvdll/unitlist.h>
#include <qvplatform/cp932.h>
#include <qvplatform/socketfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace loopback {

// The client says goodbye with this text message before it hangs up.
constexpr const char* kGoodbye = "bye";

inline int ConnectToLoopback(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        throw std::runtime_error("cannot connect to 127.0.0.1:" + std::to_string(port) + ": " +
                                 std::strerror(error));
    }
    return fd;
}

// A kind-111 message carrying `map` as a flat map block: width, height, cells.
inline void PutMap(CMsg& msg, CHexMap& map) {
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

// The example client's session: once in each format (the current one with a
// server version, then the old one without), a move (kind 106) and a map
// (kind 111), then the refresh (kind 5) that answers them, handed to
// `onRefresh(format, reply)`; then goodbye.
template <class OnRefresh>
void RunSession(int socket, OnRefresh onRefresh) {
    CSocketFile connection(socket);
    CArchive out(&connection, CArchive::store);
    CArchive in(&connection, CArchive::load);
    int step = 0;
    for (const char* version : {"1.0", ""}) {
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

        CMsg reply;
        reply.Serialize(in);
        if (reply.m_wKind != CMsg::kindRefresh)
            throw std::runtime_error("expected a refresh, got kind " +
                                     std::to_string(reply.m_wKind));
        onRefresh(*version ? "current" : "old", reply);
    }
    CMsg goodbye{CString("1.0")};
    goodbye.m_strMsg = kGoodbye;
    goodbye.Serialize(out);
    out.Close();
}

// A refresh as received: its client entries, then its units, one per line.
inline void PrintRefresh(const CMsg& msg) {
    std::printf("refresh:");
    if (msg.m_pClientList)
        for (POSITION pos = msg.m_pClientList->GetHeadPosition(); pos;)
            std::printf(" client %s;",
                        Cp932ToPrintable(msg.m_pClientList->GetNext(pos).view()).c_str());
    if (msg.m_pUnitList)
        for (POSITION pos = msg.m_pUnitList->GetHeadPosition(); pos;) {
            const CUnit& unit = msg.m_pUnitList->GetNext(pos);
            std::printf(" unit %u,%u %s at %u,%u state %u;", unit.m_nId1, unit.m_nId2,
                        Cp932ToPrintable(unit.m_strName.view()).c_str(), unit.m_nPosX, unit.m_nPosY,
                        unit.m_nState);
        }
    std::printf("\n");
}

}  // namespace loopback
