#include <stdlib.h>

#include "tests/extract/PakloomTesting.h"

namespace pakloom::test {

// The C runtime's own table, which the engine library's getenv reads too.
void SetEnvironment(const std::string& name, const std::string& value) {
    ::_putenv_s(name.c_str(), value.c_str());
}

}  // namespace pakloom::test
