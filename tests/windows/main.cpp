#include <gtest/gtest.h>
#include <windows.h>

TEST(Wine, AnsiCodePageIsKorean) { EXPECT_EQ(GetACP(), 949u); }

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
