#include "nettime/IdStack.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "nettime/IdException.h"
#include "nettime/IdUDPClient.h"

namespace kairos {
namespace {

struct QuadCase {
    const char* text;
    bool expected;
};

class DottedQuad : public ::testing::TestWithParam<QuadCase> {};

TEST_P(DottedQuad, Recognised) { EXPECT_EQ(IsDottedQuad(GetParam().text), GetParam().expected) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(
    Cases, DottedQuad,
    ::testing::Values(QuadCase{"127.0.0.1", true}, QuadCase{"0.0.0.0", true}, QuadCase{"255.255.255.255", true},
                      QuadCase{"010.001.0.0255", true},  // integers, whatever their leading zeros
                      QuadCase{"192.168.1.256", false}, QuadCase{"1.2.3", false}, QuadCase{"1.2.3.x", false},
                      QuadCase{"", false}, QuadCase{"1..2.3", false}, QuadCase{"1.2.3.", false},
                      QuadCase{"1.2.3.4.5", false}, QuadCase{" 1.2.3.4", false}, QuadCase{"1.2.3.-4", false},
                      QuadCase{"1.2.3.99999999999", false}));

TEST(FormatDottedQuad, DropsLeadingZeros) {
    EXPECT_EQ(FormatDottedQuad(*ParseDottedQuad("010.001.0.0255")), "10.1.0.255");
}

struct ErrorTextCase {
    int number;
    const char* expected;
};

class ErrorText : public ::testing::TestWithParam<ErrorTextCase> {};

TEST_P(ErrorText, Formatted) { EXPECT_EQ(SocketErrorText(GetParam().number), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Table, ErrorText,
    ::testing::Values(ErrorTextCase{10004, "Socket Error # 10004\r\nInterrupted system call."},
                      ErrorTextCase{10035, "Socket Error # 10035\r\nOperation would block. "},
                      ErrorTextCase{10040, "Socket Error # 10040\r\nMessage too long."},
                      ErrorTextCase{10047, "Socket Error # 10047\r\nAddress family not supported by protocol family."},
                      ErrorTextCase{10061, "Socket Error # 10061\r\nConnection refused."},
                      ErrorTextCase{10066, "Socket Error # 10066\r\nDirectory not empty"},
                      ErrorTextCase{11001, "Socket Error # 11001\r\nHost not found."},
                      // out of the table: the line break ends the message
                      ErrorTextCase{0, "Socket Error # 0\r\n"}, ErrorTextCase{10000, "Socket Error # 10000\r\n"},
                      ErrorTextCase{10067, "Socket Error # 10067\r\n"},
                      ErrorTextCase{11002, "Socket Error # 11002\r\n"},
                      ErrorTextCase{-1, "Socket Error # -1\r\n"}));

class Resolve : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(Resolve, WithoutNetwork) { EXPECT_EQ(ResolveHostAddress(GetParam().first), GetParam().second); }

INSTANTIATE_TEST_SUITE_P(
    Names, Resolve,
    ::testing::Values(std::pair{"localhost", "127.0.0.1"}, std::pair{"LOCALHOST", "127.0.0.1"},
                      std::pair{"LocalHost", "127.0.0.1"}, std::pair{"10.20.30.40", "10.20.30.40"},
                      std::pair{"127.000.0.1", "127.000.0.1"},  // a quad is passed on as written
                      // not a quad: the resolver reads it as the classic short form
                      std::pair{"127.1", "127.0.0.1"}));

TEST(Resolve, UnknownNameIsHostNotFound) {
    const TIdUDPClient client;  // so that a stack exists to note the error
    try {
        ResolveHostAddress("kairos-no-such-host.invalid");
        FAIL() << "resolved";
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.LastError(), WSAHOST_NOT_FOUND);
        EXPECT_STREQ(error.what(), "Socket Error # 11001\r\nHost not found.");
    }
    ASSERT_NE(SocketStack(), nullptr);
    EXPECT_EQ(SocketStack()->LastError(), WSAHOST_NOT_FOUND);
}

TEST(SocketStack, LivesWhileAnyComponentLives) {
    const int before = StackInstanceCount();
    ASSERT_EQ(before, 0) << "a component leaked from another test";
    EXPECT_EQ(SocketStack(), nullptr);
    {
        TIdUDPClient first;
        TIdStack* const stack = SocketStack();
        ASSERT_NE(stack, nullptr);
        {
            TIdUDPClient second;
            EXPECT_EQ(StackInstanceCount(), 2);
            EXPECT_EQ(SocketStack(), stack);
        }
        EXPECT_EQ(StackInstanceCount(), 1);
        EXPECT_EQ(SocketStack(), stack);
    }
    EXPECT_EQ(StackInstanceCount(), 0);
    EXPECT_EQ(SocketStack(), nullptr);
}

TEST(SocketStack, ErrorsAreRaisedWithoutAStack) {
    EXPECT_THROW(RaiseSocketError(10054), EIdSocketError);
}

}  // namespace
}  // namespace kairos
