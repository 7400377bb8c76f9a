#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

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

// The system menu of a taskbar button (0x313) is offered only to windows
// that may be activated.
constexpr UINT kTaskbarSystemMenu = 0x313;

// Where dialogs and frames differ in keeping the modal order; each kind
// says why it sets these as it does.
struct LayerRules {
    // Activation and Z-order changes are redirected only while the window
    // is visible.
    bool onlyWhileVisible;
    // Only a change that would move the window in the Z order is turned
    // into raising the modal windows; other position changes pass as they are.
    bool onlyZOrderChanges;
    // After handing its activation to the topmost modal window the window
    // redraws its frame.
    bool redrawAfterPassingActivation;
};

// The handling every layered window shares: activation goes to the topmost
// modal window; a modal window's Z-order changes raise all modal windows
// instead; a click on a window that may not be activated is eaten, with the
// topmost modal window alerted (a window outside the modal level is first
// brought up beneath the modal ones, as a click would); the taskbar button's
// system menu is refused to it. The answer when the message was handled
// here; nothing when the window's own handling is to follow.
std::optional<LRESULT> handleLayerMessage(HWND window, const WindowLayer& layer, const LayerRules& rules,
                                          UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tarnwick::ui
