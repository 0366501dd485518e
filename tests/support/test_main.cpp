// The main of every test program: tells the tests where the build's programs
// and libraries and the source tree lie (ORVEX_BIN_DIR, ORVEX_SOURCE_DIR),
// unless the environment already says so, then runs the tests.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_env.hpp"

int main(int argc, char** argv) {
    testsupport::set_test_environment();
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
