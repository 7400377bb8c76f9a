#include "installer/platform/win32/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace tarnwick::platform {
namespace {

// Named events, so that whether one was closed can be asked by name: the
// system deletes an event with its last handle. (A handle value alone says
// little: the next handle made may reuse it.)
std::string eventName(int number) {
    return "tarnwick-unique-handle-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(number);
}

HANDLE newEvent(int number) {
    return CreateEventA(nullptr, TRUE, FALSE, eventName(number).c_str());
}

bool eventExists(int number) {
    return static_cast<bool>(UniqueHandle(OpenEventA(SYNCHRONIZE, FALSE, eventName(number).c_str())));
}

TEST(UniqueHandle, EachKindIsEmptyAtItsOwnFailureValue) {
    // CreateFile fails with INVALID_HANDLE_VALUE, which a file holder takes
    // for empty and never closes.
    const UniqueFileHandle missing(
        CreateFileA("no such folder\\no such file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
    EXPECT_FALSE(UniqueFileHandle());

    // For process, thread and event functions null is the failure, and
    // INVALID_HANDLE_VALUE is the current process's pseudo handle.
    EXPECT_FALSE(UniqueHandle());
    EXPECT_FALSE(UniqueHandle(OpenEventA(SYNCHRONIZE, FALSE, eventName(0).c_str())));
    UniqueHandle self(GetCurrentProcess());
    EXPECT_TRUE(self);
    EXPECT_EQ(self.release(), INVALID_HANDLE_VALUE);
}

TEST(UniqueHandle, ClosingKeepsTheCallersLastError) {
    {
        const UniqueHandle held(newEvent(1));
        ASSERT_TRUE(held);
        SetLastError(ERROR_FILE_NOT_FOUND);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(eventExists(1));
}

TEST(UniqueHandle, EveryWayOfReplacingAHandleClosesTheOldOne) {
    UniqueHandle held(newEvent(1));
    ASSERT_TRUE(held);
    held.reset(newEvent(2));
    EXPECT_FALSE(eventExists(1)) << "reset";

    UniqueHandle other(newEvent(3));
    other = std::move(held);
    EXPECT_FALSE(eventExists(3)) << "move assignment";
    EXPECT_FALSE(held) << "a moved-from holder is empty";
    EXPECT_TRUE(eventExists(2));

    // An out-parameter refills the holder without leaking what it held.
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), other.put(),
                                SYNCHRONIZE, FALSE, 0));
    EXPECT_FALSE(eventExists(2)) << "put";
    EXPECT_TRUE(other);
}

}  // namespace
}  // namespace tarnwick::platform
