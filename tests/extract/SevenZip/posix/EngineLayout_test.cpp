#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/extract/SevenZip/FakeEngineTest.h"

namespace pakloom::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using EngineLayoutTest = FakeEngineTest;

// What GetModuleProp says decides; an engine of the other layout is refused
// before any object of it exists.
TEST_F(EngineLayoutTest, TheModulesOwnWordDecides) {
    const struct {
        const char* mode;
        const char* refusal;  // null: the engine is used
    } cases[] = {
        {"succeeds", nullptr},
        {"layout-23", nullptr},
        {"layout-destructor", "interface type 1, a virtual destructor in IUnknown"},
        {"layout-22", "version 22.01 without an interface type"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        std::filesystem::remove(scratch_.path() / "events.txt");
        if (!c.refusal) {
            EXPECT_EQ(Run(c.mode), 1);
            EXPECT_THAT(TakeRecordedLines(), IsEmpty());
            continue;
        }
        EXPECT_EQ(Run(c.mode), 0);
        EXPECT_THAT(TakeRecordedLines(),
                    ElementsAre(std::string("ExtractArchive: Unsupported 7zip DLL: ") + c.refusal + "."));
        EXPECT_THAT(Events(), ElementsAre("unloaded"));
    }
}

// p7zip 16.02's layout: no GetModuleProp. Only the module is touched.
TEST_F(EngineLayoutTest, AnEngineWithoutGetModulePropIsRefusedUntouched) {
    EXPECT_EQ(Run("", PAKLOOM_OLD_LAYOUT_ENGINE), 0);
    EXPECT_THAT(TakeRecordedLines(),
                ElementsAre("ExtractArchive: Unsupported 7zip DLL: no GetModuleProp, as in engines whose "
                            "interfaces have a virtual destructor."));
    EXPECT_THAT(Events(), ElementsAre("unloaded"));
}

}  // namespace
}  // namespace pakloom::test
