// Where the build's programs and libraries and the source tree lie, for tests.
#pragma once

#include <cstdlib>

namespace testsupport {

inline void set_test_environment() {
    ::setenv("ORVEX_BIN_DIR", ORVEX_TEST_BIN_DIR, 0);
    ::setenv("ORVEX_SOURCE_DIR", ORVEX_TEST_SOURCE_DIR, 0);
}

}  // namespace testsupport
