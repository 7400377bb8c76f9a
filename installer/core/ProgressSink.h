#pragma once

#include <cstdint>

namespace tarnwick {

// What an update run reports while it works: a status line and a bar. The
// progress window implements it and may be called from the worker thread.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;

    // A null or empty text clears the status line.
    virtual void setStatusText(const char* text) = 0;
    // (0, 0) switches the bar to its busy animation; anything else shows
    // done of total.
    virtual void setProgress(std::uint32_t done, std::uint32_t total) = 0;
};

}  // namespace tarnwick
