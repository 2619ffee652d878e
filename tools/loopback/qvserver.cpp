// qvserver: the example server. It listens on the loopback address and gives
// each client a thread of its own, which talks to it through two archives on
// the connection: a loading one for what the client sends and a storing one
// for the answers. A move (kind 106) moves one of its units; a map (kind 111)
// is answered with a refresh (kind 5) that lists the clients and the units.
//
//   qvserver [--port N] [--clients N] [--max-connections N] [--timeout S] [--budget MIB]
//
// Port 0 (the default) takes a free one; --clients N ends after N clients
// (1 unless told; 0 serves until stopped). It prints "listening on
// 127.0.0.1:PORT" first, then one line per message.
//
// A thread per connection, because the library reads a record with blocking
// reads: a client that stops halfway through a record then blocks only its own
// thread. Each thread is bounded so that no client costs the others anything:
// at most --max-connections run at once (more are turned away), a record must
// arrive whole within --timeout seconds and an answer be taken within as long,
// and a record may cost at most --budget MiB (the archive's record budget).
// Everything that bytes from a client can provoke is a CException, which ends
// that client's connection and nothing else.
#include <arpa/inet.h>
#include <malloc.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include <qvplatform/socketfile.h>

#include "loopback.h"
#include "toolmain.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Limits {
    int nMaxConnections = 100;
    std::chrono::seconds timeout{10};
    ULONGLONG nRecordBudget = CArchive::kDefaultRecordBudget;
};

// The game as the server keeps it: who is connected and where the units stand.
// Sessions share it from their own threads, so each use holds the lock, and
// nothing slow (a read from or a write to a client) happens while it is held.
class CGame {
public:
    CGame() {
        CUnit tank;
        tank.StringToUnitData("1,2,30,40,5,255,0,\"tank\",\"tank.bmp\",0,0,0,0,\"\"");
        m_units.AddTail(tank);
    }

    void Join(const CString& name) {
        std::lock_guard lock(m_mutex);
        m_clients.AddTail(name);
    }
    void Leave(const CString& name) {
        std::lock_guard lock(m_mutex);
        if (POSITION pos = m_clients.Find(name)) m_clients.RemoveAt(pos);
    }

    void Move(const CMsg& msg) {
        CUnit move;
        move.StringToUnitMoveData(msg.m_strMsg);
        bool known;
        {
            std::lock_guard lock(m_mutex);
            CUnit* unit = m_units[move];
            known = unit != nullptr;
            if (known) {
                unit->m_nPosX = move.m_nPosX;
                unit->m_nPosY = move.m_nPosY;
                unit->m_nState = move.m_nState;
            }
        }
        if (known)
            std::printf("move: unit %u,%u to %u,%u state %u\n", move.m_nId1, move.m_nId2,
                        move.m_nPosX, move.m_nPosY, move.m_nState);
        else
            std::printf("move of unknown unit %u,%u ignored\n", move.m_nId1, move.m_nId2);
    }

    // The refresh text of the game: client entries, "%", unit lines.
    CString RefreshText() const {
        std::lock_guard lock(m_mutex);
        CString text;
        for (POSITION pos = m_clients.GetHeadPosition(); pos;)
            text += m_clients.GetNext(pos) + "\n";
        text += "%";
        for (POSITION pos = m_units.GetHeadPosition(); pos;)
            text += m_units.GetNext(pos).UnitDataToString() + "\n";
        return text;
    }

private:
    mutable std::mutex m_mutex;
    CStringList m_clients;
    CUnitList m_units;
};

// A client's connection as the server uses it: a record must arrive whole by
// its deadline, so a client that sends nothing, or a record a byte at a time,
// holds its thread no longer; and a send that the client does not take in time
// fails, so a client that never reads cannot hold it either.
class CTimedSocketFile : public CSocketFile {
public:
    CTimedSocketFile(int socket, std::chrono::seconds timeout)
        : CSocketFile(socket), m_timeout(timeout) {
        const timeval limit{static_cast<time_t>(timeout.count()), 0};
        ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        // Room for a few answers only, so that a client that does not read
        // them is stopped after a few, not after megabytes.
        const int room = 64 * 1024;
        ::setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
    }
    void StartRecord() { m_deadline = Clock::now() + m_timeout; }

    UINT Read(void* lpBuf, UINT nCount) override {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
        pollfd ready{GetSocket(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) == 0)
            AfxThrowFileException(CFileException::genericException, ETIMEDOUT, GetFilePath());
        return CSocketFile::Read(lpBuf, nCount);
    }

private:
    std::chrono::seconds m_timeout;
    Clock::time_point m_deadline = Clock::now();
};

// One client, until it says goodbye. The record layout of each message read
// follows from its kind; the answer goes in the old format, the only one that
// carries a refresh.
void Serve(int socket, CGame& game, const CString& name, const Limits& limits) {
    CTimedSocketFile connection(socket, limits.timeout);
    CArchive in(&connection, CArchive::load);
    CArchive out(&connection, CArchive::store);
    in.SetRecordBudget(limits.nRecordBudget);
    for (;;) {
        connection.StartRecord();
        CMsg msg;
        msg.Serialize(in);
        switch (msg.m_wKind) {
            case CMsg::kindMove:
                game.Move(msg);
                break;
            case CMsg::kindMap: {
                const BYTE* block = msg.m_pData.Get();
                if (!block || msg.m_dwDataSize < 4) {
                    std::printf("map of %u bytes without its size ignored\n", msg.m_dwDataSize);
                    break;
                }
                std::printf("map: %u x %u hexes\n", block[0] | block[1] << 8,
                            block[2] | block[3] << 8);
                CMsg refresh;
                refresh.m_wKind = CMsg::kindRefresh;
                refresh.m_strMsg = game.RefreshText();
                refresh.Serialize(out);
                out.Flush();  // the client waits for it
                break;
            }
            case CMsg::kindText:
                if (msg.m_strMsg == loopback::kGoodbye) {
                    std::printf("%s said goodbye\n", name.GetString());
                    return;
                }
                [[fallthrough]];
            default:
                std::printf("message of kind %u ignored\n", msg.m_wKind);
        }
    }
}

// The allocator keeps what clients' records took for later ones, resident;
// this gives what lies free back to the system. Not after every session, as
// it walks and locks every arena in turn: at most once a second.
void GiveBackMemory() {
    static std::atomic<Clock::rep> last{0};
    const Clock::rep now = Clock::now().time_since_epoch().count();
    Clock::rep before = last;
    if (now - before >= Clock::duration(std::chrono::seconds(1)).count() &&
        last.compare_exchange_strong(before, now))
        ::malloc_trim(0);
}

void Session(int socket, CGame& game, int number, const Limits& limits) {
    const CString name("client-" + std::to_string(number));
    game.Join(name);
    try {
        Serve(socket, game, name, limits);
    } catch (const CException& e) {
        // A broken or oversized record, a timeout, a connection gone.
        std::printf("%s lost: %s\n", name.GetString(), e.what());
    }
    game.Leave(name);
    GiveBackMemory();
}

// The sessions running, at most a given number at once.
class CSessions {
public:
    explicit CSessions(int nMax) : m_nMax(nMax) {}
    bool TryStart() {
        std::lock_guard lock(m_mutex);
        if (m_nRunning == m_nMax) return false;
        ++m_nRunning;
        return true;
    }
    void Finish() {
        std::lock_guard lock(m_mutex);
        --m_nRunning;
        m_ended.notify_all();
    }
    void WaitForAll() {
        std::unique_lock lock(m_mutex);
        m_ended.wait(lock, [&] { return m_nRunning == 0; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
    int m_nRunning = 0;
    int m_nMax;
};

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
        ::listen(fd, SOMAXCONN) != 0)
        throw std::runtime_error(std::string("cannot listen: ") + std::strerror(errno));
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    std::printf("listening on 127.0.0.1:%u\n", ntohs(address.sin_port));
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
    Limits limits;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (option == "--port" && value) {
            port = ParseCount(value, 0, 65535, "--port");
        } else if (option == "--clients" && value) {
            clients = ParseCount(value, 0, 1000000, "--clients");
        } else if (option == "--max-connections" && value) {
            limits.nMaxConnections = ParseCount(value, 1, 1000, "--max-connections");
        } else if (option == "--timeout" && value) {
            limits.timeout = std::chrono::seconds(ParseCount(value, 1, 3600, "--timeout"));
        } else if (option == "--budget" && value) {
            limits.nRecordBudget = ULONGLONG(ParseCount(value, 1, 4096, "--budget")) << 20;
        } else {
            std::fprintf(stderr,
                         "usage: qvserver [--port N] [--clients N] [--max-connections N] "
                         "[--timeout S] [--budget MIB]\n");
            return 2;
        }
        ++i;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // whole lines, whichever thread prints
    try {
        const int listener = ListenOnLoopback(port);
        CGame game;
        CSessions sessions(limits.nMaxConnections);
        for (int number = 1; clients == 0 || number <= clients;) {
            const int socket = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (socket < 0) {
                // A connection that went before it was taken, or no descriptor
                // left for now: neither ends the server.
                std::printf("accept: %s\n", std::strerror(errno));
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            const int client = number++;
            if (!sessions.TryStart()) {
                std::printf("client-%d turned away: %d connections already\n", client,
                            limits.nMaxConnections);
                ::close(socket);
                continue;
            }
            try {
                std::thread([=, &game, &sessions] {
                    Session(socket, game, client, limits);
                    sessions.Finish();
                }).detach();
            } catch (const std::system_error& e) {
                std::printf("client-%d turned away: %s\n", client, e.what());
                ::close(socket);
                sessions.Finish();
            }
        }
        sessions.WaitForAll();
        ::close(listener);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qvserver: %s\n", e.what());
        return 1;
    }
    return 0;
}
