#include "installer/platform/win32/ComReference.h"

#include <windows.h>

#include <unknwn.h>

#include <gtest/gtest.h>

#include <utility>

namespace tarnwick::platform {
namespace {

// Counts its own references; released when the count reaches zero.
class Counted final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    ULONG references = 1;  // the one handed out
};

// As an out-parameter fills it: one reference, the caller's.
void handOut(Counted& object, IUnknown** slot) {
    *slot = &object;
}

TEST(ComReference, EveryWayOfReplacingAReferenceReleasesTheOldOne) {
    Counted first, second, third;
    {
        ComReference<IUnknown> held;
        handOut(first, held.put());
        handOut(second, held.put());
        EXPECT_EQ(first.references, 0u) << "put";

        ComReference<IUnknown> other;
        handOut(third, other.put());
        other = std::move(held);
        EXPECT_EQ(third.references, 0u) << "move assignment";
        EXPECT_FALSE(held) << "a moved-from holder is empty";
        EXPECT_EQ(second.references, 1u);
    }
    EXPECT_EQ(second.references, 0u) << "scope exit";
}

}  // namespace
}  // namespace tarnwick::platform
