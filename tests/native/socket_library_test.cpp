#include "net/socket_platform.h"

#include <gtest/gtest.h>

TEST(SocketLibrary, StartsAndOpensAStreamSocket) {
    ASSERT_TRUE(StartSocketLibrary());
    SocketHandle s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    EXPECT_EQ(CloseSocketHandle(s), 0);
    StopSocketLibrary();
}

TEST(SocketLibrary, ResolvesDottedAddressesAndNames) {
    ASSERT_TRUE(StartSocketLibrary());
    in_addr address{};
    ASSERT_TRUE(ResolveIPv4("127.0.0.1", address));
    EXPECT_EQ(ntohl(address.s_addr), 0x7F000001u);
    ASSERT_TRUE(ResolveIPv4("localhost", address));
    EXPECT_EQ(ntohl(address.s_addr) >> 24, 127u);
    StopSocketLibrary();
}
