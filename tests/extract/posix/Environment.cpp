#include <stdlib.h>

#include "tests/extract/PakloomTesting.h"

namespace pakloom::test {

void SetEnvironment(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace pakloom::test
