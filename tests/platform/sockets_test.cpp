// Windows Sockets over BSD sockets: start-up rules, service and address lookup, and stream
// sockets that send everything and can time out.
#include "platform/sockets/sockets.h"

#include "platform/base/lasterror.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace ws = zorplat::winsock;

namespace {

class SocketsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ws::WSADATA data{};
        ASSERT_EQ(ws::WSAStartup(ws::MAKEWORD(1, 1), &data), 0);
        EXPECT_EQ(data.wVersion, ws::MAKEWORD(1, 1));
    }
    void TearDown() override { ws::WSACleanup(); }

    zortest::TempRoot root;
};

ws::sockaddr_in loopback(ws::u_short portInNetworkOrder)
{
    ws::sockaddr_in address{};
    address.sin_family = ws::AF_INET;
    address.sin_port = portInNetworkOrder;
    address.sin_addr = static_cast<uint32_t>(ws::inet_addr("127.0.0.1"));
    return address;
}

ws::SOCKET connectTo(ws::u_short portInNetworkOrder)
{
    ws::SOCKET s = ws::socket(ws::AF_INET, ws::SOCK_STREAM, 0);
    EXPECT_NE(s, ws::INVALID_SOCKET);
    ws::sockaddr_in address = loopback(portInNetworkOrder);
    EXPECT_EQ(ws::connect(s, reinterpret_cast<ws::sockaddr *>(&address), sizeof address), 0);
    return s;
}

TEST(SocketsStartup, CallsBeforeStartupFailWithNotInitialised)
{
    SetLastError(0);
    EXPECT_EQ(ws::socket(ws::AF_INET, ws::SOCK_STREAM, 0), ws::INVALID_SOCKET);
    EXPECT_EQ(ws::WSAGetLastError(), ws::WSANOTINITIALISED);
    EXPECT_EQ(ws::getservbyname("smtp", "tcp"), nullptr);
    EXPECT_EQ(ws::WSACleanup(), ws::SOCKET_ERROR);

    ws::WSADATA data{};
    EXPECT_EQ(ws::WSAStartup(ws::MAKEWORD(0, 9), &data), ws::WSAVERNOTSUPPORTED);
    ASSERT_EQ(ws::WSAStartup(ws::MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(data.wVersion, ws::MAKEWORD(1, 1)) << "the highest version offered is 1.1";
    EXPECT_EQ(ws::WSACleanup(), 0);
}

TEST_F(SocketsTest, ServicesOfTheRootComeFirstThenTheSystemsFile)
{
    root.writeFile(root.driveC("WINDOWS/SERVICES"), "# test root\r\nsmtp   2525/tcp   mail  # ours\r\n"
                                                   "echo 7/udp\r\n");

    ws::servent *smtp = ws::getservbyname("SMTP", "TCP");
    ASSERT_NE(smtp, nullptr);
    EXPECT_EQ(ws::ntohs(static_cast<ws::u_short>(smtp->s_port)), 2525) << "the port is in network order";
    EXPECT_STREQ(smtp->s_name, "smtp");
    ASSERT_NE(smtp->s_aliases[0], nullptr);
    EXPECT_STREQ(smtp->s_aliases[0], "mail");

    ws::servent *byAlias = ws::getservbyname("mail", nullptr);
    ASSERT_NE(byAlias, nullptr);
    EXPECT_EQ(ws::ntohs(static_cast<ws::u_short>(byAlias->s_port)), 2525);

    // Listed in the root's file for udp only: the system's file answers for tcp.
    ws::servent *echo = ws::getservbyname("echo", "tcp");
    ASSERT_NE(echo, nullptr);
    EXPECT_STREQ(echo->s_proto, "tcp");
    EXPECT_EQ(ws::ntohs(static_cast<ws::u_short>(echo->s_port)), 7);

    EXPECT_EQ(ws::getservbyname("no-such-service-here", "tcp"), nullptr);
    EXPECT_EQ(ws::WSAGetLastError(), ws::WSANO_DATA);
}

TEST_F(SocketsTest, DottedAddressesAndNames)
{
    EXPECT_EQ(ws::inet_addr("127.0.0.1"), ws::htonl(0x7F000001));
    EXPECT_EQ(ws::inet_addr("10.1.2.3"), ws::htonl(0x0A010203));
    EXPECT_EQ(ws::inet_addr("127.0.0.300"), ws::INADDR_NONE);
    EXPECT_EQ(ws::inet_addr("mail.example.test"), ws::INADDR_NONE);
    EXPECT_EQ(ws::inet_addr(""), ws::INADDR_NONE);

    ws::hostent *host = ws::gethostbyname("localhost");
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->h_addrtype, ws::AF_INET);
    EXPECT_EQ(host->h_length, 4);
    ASSERT_NE(host->h_addr_list[0], nullptr);
    EXPECT_EQ(static_cast<unsigned char>(host->h_addr_list[0][0]), 127);
}

TEST_F(SocketsTest, ConnectedSocketHasNoDelayAndARefusedOneSaysSo)
{
    zortest::LoopbackPeer peer;
    ws::SOCKET s = connectTo(peer.portInNetworkOrder());
    EXPECT_TRUE(zortest::HasNoDelay(s));
    EXPECT_EQ(ws::closesocket(s), 0);

    peer.stopListening();
    ws::SOCKET refused = ws::socket(ws::AF_INET, ws::SOCK_STREAM, 0);
    ws::sockaddr_in address = loopback(peer.portInNetworkOrder());
    EXPECT_EQ(ws::connect(refused, reinterpret_cast<ws::sockaddr *>(&address), sizeof address), ws::SOCKET_ERROR);
    EXPECT_EQ(ws::WSAGetLastError(), ws::WSAECONNREFUSED);
    ws::closesocket(refused);
}

TEST_F(SocketsTest, LargeSendIsCompletedWhileThePeerReadsSlowly)
{
    zortest::LoopbackPeer peer;
    ws::SOCKET s = connectTo(peer.portInNetworkOrder());
    peer.accept();
    // With a send time-out a blocked send returns what it got out so far: a short send.
    // The reader takes about a second over its first 2 MB, so the kernel cuts the send short
    // at least once, while it still makes progress within every half second.
    ASSERT_EQ(zorplat::SetSendTimeout(s, 500), 0);
    std::string sent;
    for (int i = 0; sent.size() < 16 * 1024 * 1024; ++i)
        sent += std::to_string(i) + ",";

    std::string received;
    std::thread reader([&] { received = peer.receiveAll(2 * 1024 * 1024, std::chrono::milliseconds(2)); });
    EXPECT_EQ(ws::send(s, sent.data(), static_cast<int>(sent.size()), 0), static_cast<int>(sent.size()));
    ws::shutdown(s, ws::SD_SEND);
    reader.join();
    ws::closesocket(s);
    EXPECT_TRUE(received == sent) << "received " << received.size() << " of " << sent.size() << " bytes";
}

TEST_F(SocketsTest, ReceiveTimesOutAndSendToAClosedPeerFailsWithoutSignal)
{
    zortest::LoopbackPeer peer;
    ws::SOCKET s = connectTo(peer.portInNetworkOrder());
    peer.accept();
    ASSERT_EQ(zorplat::SetReceiveTimeout(s, 200), 0);

    char buffer[16];
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ws::recv(s, buffer, sizeof buffer, 0), ws::SOCKET_ERROR);
    EXPECT_EQ(ws::WSAGetLastError(), ws::WSAETIMEDOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(150));

    peer.send("220 hi\r\n");
    EXPECT_EQ(ws::recv(s, buffer, sizeof buffer, 0), 8);

    peer.closeConnection();
    EXPECT_EQ(ws::recv(s, buffer, sizeof buffer, 0), 0) << "a closed peer reads as 0";
    std::string lots(1024 * 1024, 'z');
    int result = 0;
    for (int attempt = 0; attempt < 5 && result != ws::SOCKET_ERROR; ++attempt)
        result = ws::send(s, lots.data(), static_cast<int>(lots.size()), 0);
    EXPECT_EQ(result, ws::SOCKET_ERROR);
    EXPECT_EQ(ws::WSAGetLastError(), ws::WSAECONNRESET);
    ws::closesocket(s);
}

} // namespace
