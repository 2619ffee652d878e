// qvserver: the example server. It listens on the loopback address, takes
// clients one after the other, and talks to each through two archives on the
// connection: a loading one for what the client sends and a storing one for
// the answers. A move (kind 106) moves one of its units; a map (kind 111) is
// answered with a refresh (kind 5) that lists the clients and the units.
//
//   qvserver [--port N] [--clients N]     port 0 (the default) takes a free one
//
// It prints "listening on 127.0.0.1:PORT" first, then one line per message.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <qvplatform/socketfile.h>

#include "loopback.h"
#include "toolmain.h"

namespace {

// The game as the server keeps it: who is connected and where the units stand.
struct CGame {
    CStringList clients;
    CUnitList units;
};

// The refresh text of the game: client entries, "%", unit lines.
CString RefreshText(const CGame& game) {
    CString text;
    for (POSITION pos = game.clients.GetHeadPosition(); pos;)
        text += game.clients.GetNext(pos) + "\n";
    text += "%";
    for (POSITION pos = game.units.GetHeadPosition(); pos;)
        text += game.units.GetNext(pos).UnitDataToString() + "\n";
    return text;
}

void ApplyMove(CGame& game, const CMsg& msg) {
    CUnit move;
    move.StringToUnitMoveData(msg.m_strMsg);
    CUnit* unit = game.units[move];
    if (!unit) {
        std::printf("move of unknown unit %u,%u ignored\n", move.m_nId1, move.m_nId2);
        return;
    }
    unit->m_nPosX = move.m_nPosX;
    unit->m_nPosY = move.m_nPosY;
    unit->m_nState = move.m_nState;
    std::printf("move: unit %u,%u to %u,%u state %u\n", unit->m_nId1, unit->m_nId2, unit->m_nPosX,
                unit->m_nPosY, unit->m_nState);
}

// One client, until it says goodbye. The record layout of each message read
// follows from its kind; the answer goes in the old format, the only one that
// carries a refresh.
void Serve(int socket, CGame& game, int number) {
    CSocketFile connection(socket);
    CArchive in(&connection, CArchive::load);
    CArchive out(&connection, CArchive::store);
    game.clients.AddTail(CString("client-" + std::to_string(number)));
    for (;;) {
        CMsg msg;
        msg.Serialize(in);
        switch (msg.m_wKind) {
            case CMsg::kindMove:
                ApplyMove(game, msg);
                break;
            case CMsg::kindMap: {
                const BYTE* block = msg.m_pData.Get();
                if (!block || msg.m_dwDataSize < 4)
                    throw std::runtime_error("map message without a map");
                std::printf("map: %u x %u hexes\n", block[0] | block[1] << 8,
                            block[2] | block[3] << 8);
                CMsg refresh;
                refresh.m_wKind = CMsg::kindRefresh;
                refresh.m_strMsg = RefreshText(game);
                refresh.Serialize(out);
                out.Flush();  // the client waits for it
                break;
            }
            case CMsg::kindText:
                if (msg.m_strMsg == loopback::kGoodbye) {
                    std::printf("client-%d said goodbye\n", number);
                    return;
                }
                [[fallthrough]];
            default:
                std::printf("message of kind %u ignored\n", msg.m_wKind);
        }
        std::fflush(stdout);
    }
}

int ListenOnLoopback(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 4) != 0)
        throw std::runtime_error(std::string("cannot listen: ") + std::strerror(errno));
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    std::printf("listening on 127.0.0.1:%u\n", ntohs(address.sin_port));
    std::fflush(stdout);
    return fd;
}

int ParseCount(const char* text, int lo, int hi, const char* what) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < lo || value > hi) {
        std::fprintf(stderr, "qvserver: %s must be a number from %d to %d, not '%s'\n", what, lo,
                     hi, text);
        std::exit(2);
    }
    return static_cast<int>(value);
}

}  // namespace

int main(int argc, char** argv) {
    if (qvtool::PrintedVersion("qvserver", argc, argv)) return 0;
    int port = 0, clients = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--port" && i + 1 < argc) {
            port = ParseCount(argv[++i], 0, 65535, "--port");
        } else if (option == "--clients" && i + 1 < argc) {
            clients = ParseCount(argv[++i], 1, 1000, "--clients");
        } else {
            std::fprintf(stderr, "usage: qvserver [--port N] [--clients N]\n");
            return 2;
        }
    }
    try {
        const int listener = ListenOnLoopback(port);
        CGame game;
        CUnit tank;
        tank.StringToUnitData("1,2,30,40,5,255,0,\"tank\",\"tank.bmp\",0,0,0,0,\"\"");
        game.units.AddTail(tank);
        for (int number = 1; number <= clients; ++number) {
            const int socket = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (socket < 0)
                throw std::runtime_error(std::string("accept: ") + std::strerror(errno));
            try {
                Serve(socket, game, number);
            } catch (const CException& e) {
                // A client that breaks off costs only its own connection.
                std::printf("client-%d lost: %s\n", number, e.what());
            }
            std::fflush(stdout);
        }
        ::close(listener);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qvserver: %s\n", e.what());
        return 1;
    }
    return 0;
}
