// The errno and resolver values of the BSD calls, as the Windows socket
// error numbers the platform interfaces report.

#include "platform/posix/SocketErrors.h"

#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>

namespace kairos::platform {
namespace {

struct ErrorCase {
    int from;
    int expected;
};

class ErrnoMapping : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ErrnoMapping, GivesTheWindowsSocketNumber) {
    EXPECT_EQ(SocketErrorFromErrno(GetParam().from), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ErrnoMapping,
                         ::testing::Values(ErrorCase{EINTR, 10004}, ErrorCase{EBADF, 10009},
                                           ErrorCase{EACCES, 10013}, ErrorCase{EPERM, 10013},
                                           ErrorCase{EINVAL, 10022}, ErrorCase{EWOULDBLOCK, 10035},
                                           ErrorCase{EAGAIN, 10035}, ErrorCase{EMSGSIZE, 10040},
                                           ErrorCase{EADDRINUSE, 10048}, ErrorCase{ENETDOWN, 10050},
                                           ErrorCase{ENETUNREACH, 10051}, ErrorCase{ECONNRESET, 10054},
                                           ErrorCase{ENOBUFS, 10055}, ErrorCase{ETIMEDOUT, 10060},
                                           ErrorCase{ECONNREFUSED, 10061}, ErrorCase{EHOSTUNREACH, 10065},
                                           ErrorCase{ENOTEMPTY, 10066},
                                           // no counterpart: stays out of the numbers with a text
                                           ErrorCase{ENOENT, ENOENT}, ErrorCase{EIO, EIO}));

class ResolverMapping : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ResolverMapping, GivesTheWindowsSocketNumber) {
    EXPECT_EQ(SocketErrorFromResolver(GetParam().from, 0), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ResolverMapping,
                         ::testing::Values(ErrorCase{EAI_NONAME, 11001}, ErrorCase{EAI_AGAIN, 11002},
                                           ErrorCase{EAI_FAIL, 11003}, ErrorCase{EAI_NODATA, 11004},
                                           ErrorCase{EAI_MEMORY, 10055}));

TEST(ResolverMapping, SystemErrorsTakeTheErrnoValue) {
    EXPECT_EQ(SocketErrorFromResolver(EAI_SYSTEM, ECONNREFUSED), 10061);
}

}  // namespace
}  // namespace kairos::platform
