#pragma once

#include <cstdint>

namespace tarnwick::ui {

class CWnd;

// Dialogs have no owner and disable no other window; instead every dialog
// and frame registers here, and the list keeps the modal ones above the
// rest and sends activation to the topmost of them. The list is
// process-wide and shared by the user-interface and worker threads.
class WindowLayer {
public:
    static constexpr std::uint8_t kNotLayered = 0;
    static constexpr std::uint8_t kModal = 3;

    WindowLayer();
    WindowLayer(const WindowLayer&) = delete;
    WindowLayer& operator=(const WindowLayer&) = delete;
    virtual ~WindowLayer();

    // Set once: a layer that had no level is counted as modal from then on.
    void setLevel(CWnd* window, std::uint8_t level);
    std::uint8_t level() const { return level_; }
    CWnd* window() const { return window_; }

private:
    std::uint8_t level_ = kNotLayered;
    CWnd* window_ = nullptr;
};

// Registered layers of the modal level, counted as objects, not open
// windows: every constructed dialog counts until it is destroyed.
unsigned modalCount();

// The registered modal layer of the visible top-level window highest in
// the Z order, or null.
WindowLayer* topmostModalLayer();
void activateTopmostModal();
// Activates the topmost modal window and draws the user's eye to it: a
// beep and three flashes of its caption.
void alertTopmostModal();
bool canActivate(const WindowLayer& layer);
// Puts every visible modal window on top, in the order the layers were
// made, so that the newest ends highest.
void raiseModalWindows();

}  // namespace tarnwick::ui
