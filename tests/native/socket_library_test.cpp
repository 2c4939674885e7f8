#include "framework/socket_platform.h"

#include <gtest/gtest.h>

TEST(SocketLibrary, StartsAndOpensAStreamSocket) {
    ASSERT_TRUE(StartSocketLibrary());
    SocketHandle s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    EXPECT_EQ(CloseSocketHandle(s), 0);
    StopSocketLibrary();
}
