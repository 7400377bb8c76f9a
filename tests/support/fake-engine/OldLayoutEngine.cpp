// An engine module as p7zip 16.02 builds one: IUnknown has a virtual
// destructor, so its two slots follow Release and every method sits two
// places further on; there is no GetModuleProp. The library must refuse it
// without calling any method but Release, which keeps its place. A call of
// Open in this library's layout lands in the destructor, which records it.
#include "extract/SevenZip/EngineInterfaces.h"
#include "tests/support/fake-engine/FakeEngineEvents.h"

using SevenZip::Guid;
using SevenZip::Result;

namespace {

class OldUnknown {
public:
    virtual Result PAKLOOM_ENGINE_CALL QueryInterface(const Guid&, void**) = 0;
    virtual std::uint32_t PAKLOOM_ENGINE_CALL AddRef() = 0;
    virtual std::uint32_t PAKLOOM_ENGINE_CALL Release() = 0;
    virtual ~OldUnknown() = default;
};

class OldArchive final : public OldUnknown {
public:
    Result PAKLOOM_ENGINE_CALL QueryInterface(const Guid&, void**) override { return SevenZip::kNoInterface; }
    std::uint32_t PAKLOOM_ENGINE_CALL AddRef() override { return ++references_; }
    std::uint32_t PAKLOOM_ENGINE_CALL Release() override {
        if (--references_ != 0) return references_;
        released_ = true;
        Record("released");
        delete this;
        return 0;
    }
    // What the library would call Open.
    virtual Result PAKLOOM_ENGINE_CALL Open(void*, const std::uint64_t*, void*) {
        Record("open");
        return SevenZip::kOk;
    }
    ~OldArchive() override {
        if (!released_) Record("destructor called as a method");
    }

private:
    std::uint32_t references_ = 0;
    bool released_ = false;
};

}  // namespace

extern "C" Result PAKLOOM_ENGINE_CALL CreateObject(const Guid*, const Guid*, void** object) {
    Record("create");
    auto* archive = new OldArchive;
    archive->AddRef();
    *object = static_cast<OldUnknown*>(archive);
    return SevenZip::kOk;
}
