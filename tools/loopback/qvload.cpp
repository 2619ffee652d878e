// qvload: tries a server as a crowd of clients would. It runs --good sessions
// of the example client at once, first alone, then while --hostile connections
// stall, trickle, send garbage, send records over any memory budget, or send
// requests and never read the answers; it prints the median and worst session
// time of both rounds. With --records FILE..., it first sends each file's bytes
// on a connection of its own and checks after each that the server still
// serves.
//
//   qvload --port N [--good N] [--hostile N] [--limit S] [--records FILE...]
//
// It exits with 1 when a session fails or takes longer than --limit seconds
// (2 unless told), 2 on bad usage.
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "loopback.h"
#include "toolmain.h"

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

struct Options {
    int port = 0;
    int good = 50;
    int hostile = 20;
    std::chrono::seconds limit{2};
    std::vector<std::string> records;
};

// One session of the example client; its time, or a negative one when it
// failed or took longer than `limit`.
Millis TimedSession(const Options& options) {
    const auto start = Clock::now();
    try {
        const int socket = loopback::ConnectToLoopback(options.port);
        const timeval limit{static_cast<time_t>(options.limit.count()), 0};
        ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        loopback::RunSession(socket, [](const char*, const CMsg&) {});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qvload: a session failed: %s\n", e.what());
        return Millis(-1);
    }
    const Millis took = Clock::now() - start;
    return took < options.limit ? took : Millis(-1);
}

// `good` sessions at once; prints their median and worst time, which it
// returns, or a negative time when one failed.
Millis Round(const Options& options, const char* what) {
    std::vector<Millis> times(static_cast<std::size_t>(options.good));
    {
        std::vector<std::jthread> sessions;
        for (Millis& time : times) sessions.emplace_back([&] { time = TimedSession(options); });
    }
    std::sort(times.begin(), times.end());
    if (times.front().count() < 0) return times.front();
    std::printf("%s: %d sessions, median %.1f ms, worst %.1f ms\n", what, options.good,
                times[times.size() / 2].count(), times.back().count());
    return times.back();
}

// A move and a map in the current format, as a client asks for a refresh.
std::string RequestBytes() {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    CMsg move{CString("1.0")};
    move.m_wKind = CMsg::kindMove;
    move.m_strMsg = "1,2,0,31,41,6";
    move.Serialize(ar);
    CHexMap map(4, 3);
    CMsg mapMsg{CString("1.0")};
    loopback::PutMap(mapMsg, map);
    mapMsg.Serialize(ar);
    ar.Close();
    return {file.Bytes().begin(), file.Bytes().end()};
}

bool SendAll(int socket, std::string_view bytes) {
    return ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

// Waits until the server closes the connection or `stop` is set.
void WaitForClose(int socket, const std::atomic<bool>& stop) {
    char byte;
    pollfd ready{socket, POLLIN, 0};
    while (!stop)
        if (::poll(&ready, 1, 50) > 0 && ::recv(socket, &byte, 1, 0) <= 0) return;
}

enum class Attack { stall, trickle, garbage, oversized, neverReads };

// One hostile connection after another, each doing `attack` once, until `stop`.
void Hostile(const Options& options, Attack attack, const std::atomic<bool>& stop) {
    const std::string request = RequestBytes();
    // A block of 4 GiB and an old refresh of 4 G empty client entries: what
    // follows (zeros) never ends, and a zero is one more empty entry.
    const std::string promises[] = {{"\0\0\x98\0\0\0\xFF\xFF\xFF\xFF", 10},
                                    {"\0\0\x05\0\0\0\0\xFF\xFF\xFF\xFF\xFF\xFF", 13}};
    const std::string zeros(64 * 1024, '\0');
    std::mt19937 random(static_cast<unsigned>(attack));
    std::string garbage(64 * 1024, '\0');
    for (int round = 0; !stop; ++round) {
        int socket;
        try {
            socket = loopback::ConnectToLoopback(options.port);
        } catch (const std::exception&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        // A send that the server does not take in time fails, so that `stop` is seen.
        const timeval patience{0, 200 * 1000};
        ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
        switch (attack) {
            case Attack::stall:  // a record begun, then silence
                SendAll(socket, request.substr(0, 2));
                break;
            case Attack::trickle:  // requests a byte at a time
                for (std::size_t i = 0;
                     !stop && SendAll(socket, request.substr(i % request.size(), 1)); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                break;
            case Attack::garbage:
                std::generate(garbage.begin(), garbage.end(), [&] { return char(random()); });
                SendAll(socket, garbage);
                break;
            case Attack::oversized:  // a record over any budget
                if (SendAll(socket, promises[round % 2]))
                    while (!stop && SendAll(socket, zeros)) {
                    }
                break;
            case Attack::neverReads:  // requests whose answers it never reads
                while (!stop && SendAll(socket, request)) {
                }
        }
        WaitForClose(socket, stop);  // the server gives up on it
        ::close(socket);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

// Each file's bytes on a connection of their own; after each, the server must
// still serve a session.
bool SendRecords(const Options& options) {
    for (const std::string& path : options.records) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        const int socket = loopback::ConnectToLoopback(options.port);
        const timeval limit{static_cast<time_t>(options.limit.count()), 0};
        ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        SendAll(socket, bytes);
        ::shutdown(socket, SHUT_WR);
        char answer[4096];
        while (::recv(socket, answer, sizeof answer, 0) > 0) {
        }
        ::close(socket);
        if (TimedSession(options).count() < 0) {
            std::fprintf(stderr, "qvload: the server stopped serving after %s\n", path.c_str());
            return false;
        }
    }
    if (!options.records.empty())
        std::printf("records: %zu sent, each on its own connection; the server served after each\n",
                    options.records.size());
    return true;
}

int ParseCount(const char* text, int lo, int hi, const char* what) {
    char* end = nullptr;
    const long value = text ? std::strtol(text, &end, 10) : -1;
    if (!text || !*text || *end || value < lo || value > hi) {
        std::fprintf(stderr, "qvload: %s must be a number from %d to %d\n", what, lo, hi);
        std::exit(2);
    }
    return static_cast<int>(value);
}

}  // namespace

int main(int argc, char** argv) {
    if (qvtool::PrintedVersion("qvload", argc, argv)) return 0;
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--records") {
            options.records.assign(argv + i + 1, argv + argc);
            break;
        }
        const char* value = ++i < argc ? argv[i] : nullptr;
        if (option == "--port") {
            options.port = ParseCount(value, 1, 65535, "--port");
        } else if (option == "--good") {
            options.good = ParseCount(value, 1, 500, "--good");
        } else if (option == "--hostile") {
            options.hostile = ParseCount(value, 0, 500, "--hostile");
        } else if (option == "--limit") {
            options.limit = std::chrono::seconds(ParseCount(value, 1, 600, "--limit"));
        } else {
            std::fprintf(stderr,
                         "usage: qvload --port N [--good N] [--hostile N] [--limit S] "
                         "[--records FILE...]\n");
            return 2;
        }
    }
    if (options.port == 0) ParseCount(nullptr, 1, 65535, "--port");
    try {
        if (!SendRecords(options)) return 1;
        const Millis alone = Round(options, "alone");
        if (alone.count() < 0) return 1;
        std::atomic<bool> stop{false};
        std::vector<std::jthread> hostile;
        // One never reads; the others stall, trickle, send garbage or too much, in turn.
        for (int i = 0; i < options.hostile; ++i) {
            const Attack attack = i == 0 ? Attack::neverReads : static_cast<Attack>(i % 4);
            hostile.emplace_back([&, attack] { Hostile(options, attack, stop); });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let them settle in
        const std::string what = "with " + std::to_string(options.hostile) + " hostile";
        const Millis attacked = Round(options, what.c_str());
        stop = true;
        if (attacked.count() < 0) return 1;
        std::printf("worst under attack / worst alone: %.2f\n", attacked / alone);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qvload: %s\n", e.what());
        return 1;
    }
    return 0;
}
