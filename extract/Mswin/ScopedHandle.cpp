#include "extract/Mswin/ScopedHandle.h"

namespace Mswin {

ScopedHandle::HandleContext::~HandleContext() {
    if (IsOpenHandle(handle_)) CloseNativeHandle(handle_);
}

ScopedHandle::ScopedHandle() : context_(new HandleContext(kNoHandle)) {}

void ScopedHandle::Reset(NativeHandle handle) {
    if (handle == context_->Get()) return;
    context_.reset(new HandleContext(handle));
}

}  // namespace Mswin
