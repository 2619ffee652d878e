// CSocketFile: reads give what arrived, 0 at the peer's orderly shutdown;
// writes send everything or throw.
#include <qvplatform/socketfile.h>

#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "platform/test_support.h"

using qvtest::Bytes;

namespace {

// Two connected stream sockets, closed at the end unless handed over.
struct SocketPair {
    int fd[2];
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fd), 0); }
    ~SocketPair() {
        for (int f : fd)
            if (f >= 0) ::close(f);
    }
};

}  // namespace

TEST(CSocketFile, ReadGivesWhatArrivedAndZeroAtShutdown) {
    SocketPair pair;
    CSocketFile file(pair.fd[0], FALSE);
    ASSERT_EQ(::send(pair.fd[1], "abc", 3, 0), 3);
    BYTE buffer[16];
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 3u);  // no waiting for the other 13
    EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{'a', 'b', 'c'}));
    ::shutdown(pair.fd[1], SHUT_WR);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
}

TEST(CSocketFile, WriteSendsEverythingPastTheSocketBuffer) {
    SocketPair pair;
    Bytes sent(4 << 20);
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<BYTE>(i * 7);
    Bytes received;
    std::thread reader([&] {
        CSocketFile in(pair.fd[1], FALSE);
        BYTE buffer[65536];
        while (UINT got = in.Read(buffer, sizeof buffer))
            received.insert(received.end(), buffer, buffer + got);
    });
    {
        CSocketFile out(pair.fd[0]);  // owns the socket: closing it ends the reader
        pair.fd[0] = -1;
        out.Write(sent.data(), static_cast<UINT>(sent.size()));
    }
    reader.join();
    EXPECT_EQ(received, sent);
}

TEST(CSocketFile, WritingToAPeerThatLeftThrowsInsteadOfSignalling) {
    SocketPair pair;
    ::close(pair.fd[1]);
    pair.fd[1] = -1;
    CSocketFile file(pair.fd[0], FALSE);
    const BYTE byte = 1;
    try {
        file.Write(&byte, 1);
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_lOsError, EPIPE);
    }
}

TEST(CSocketFile, ReadAndWriteThatRunOutOfTimeSaySo) {
    SocketPair pair;
    const timeval limit{0, 20 * 1000};
    for (int option : {SO_RCVTIMEO, SO_SNDTIMEO})
        ASSERT_EQ(::setsockopt(pair.fd[0], SOL_SOCKET, option, &limit, sizeof limit), 0);
    CSocketFile file(pair.fd[0], FALSE);
    const Bytes big(1 << 22);  // more than the socket pair holds; nobody reads it
    for (bool reading : {true, false}) {
        try {
            BYTE byte;
            reading ? void(file.Read(&byte, 1)) : file.Write(big.data(), UINT(big.size()));
            ADD_FAILURE() << "no exception";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_lOsError, ETIMEDOUT) << e.what();
        }
    }
}

TEST(CSocketFile, HasNoPositionOrNameAndLeavesASocketItDoesNotOwn) {
    SocketPair pair;
    {
        CSocketFile file(pair.fd[0], FALSE);
        EXPECT_THROW(file.GetLength(), CFileException);
        EXPECT_THROW(file.Seek(0, CFile::begin), CFileException);
        CFileException error;
        EXPECT_FALSE(file.Open("x", CFile::modeRead, &error));
        EXPECT_EQ(error.m_cause, CFileException::genericException);
    }
    EXPECT_EQ(::send(pair.fd[0], "x", 1, MSG_NOSIGNAL), 1);  // still open
}
