#include "installer/ui/WindowLayer.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "installer/ui/framework/Window.h"

namespace tarnwick::ui {

namespace {

struct LayerList {
    std::recursive_mutex mutex;
    std::vector<WindowLayer*> layers;
    unsigned modal = 0;
};

LayerList& layerList() {
    static LayerList list;
    return list;
}

// Windows found under the lock; the calls that may send messages to them
// (and so re-enter the list from a window procedure) run after it.
std::vector<HWND> visibleModalWindows() {
    auto& list = layerList();
    const std::lock_guard lock(list.mutex);
    std::vector<HWND> windows;
    for (WindowLayer* layer : list.layers) {
        if (layer->level() != WindowLayer::kModal || layer->window() == nullptr) continue;
        const HWND window = layer->window()->handle();
        if (window != nullptr && IsWindowVisible(window)) windows.push_back(window);
    }
    return windows;
}

// Under the lock, so that the layer cannot go away between finding it and
// reading its window.
HWND topmostModalWindow() {
    auto& list = layerList();
    const std::lock_guard lock(list.mutex);
    const WindowLayer* layer = topmostModalLayer();
    return layer != nullptr && layer->window() != nullptr ? layer->window()->handle() : nullptr;
}

}  // namespace

WindowLayer::WindowLayer() {
    auto& list = layerList();
    const std::lock_guard lock(list.mutex);
    list.layers.push_back(this);
}

WindowLayer::~WindowLayer() {
    auto& list = layerList();
    const std::lock_guard lock(list.mutex);
    list.layers.erase(std::remove(list.layers.begin(), list.layers.end(), this), list.layers.end());
    if (level_ == kModal) --list.modal;
}

void WindowLayer::setLevel(CWnd* window, std::uint8_t level) {
    auto& list = layerList();
    const std::lock_guard lock(list.mutex);
    if (level_ == kNotLayered && level == kModal) ++list.modal;
    level_ = level;
    window_ = window;
}

unsigned modalCount() {
    auto& list = layerList();
    const std::lock_guard lock(list.mutex);
    return list.modal;
}

WindowLayer* topmostModalLayer() {
    auto& list = layerList();
    const std::lock_guard lock(list.mutex);
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
        if (!IsWindowVisible(window)) continue;
        for (auto it = list.layers.rbegin(); it != list.layers.rend(); ++it) {
            WindowLayer* layer = *it;
            if (layer->window() != nullptr && layer->window()->handle() == window) {
                if (layer->level() == WindowLayer::kModal) return layer;
                break;
            }
        }
    }
    return nullptr;
}

void activateTopmostModal() {
    const HWND window = topmostModalWindow();
    if (window != nullptr) SetActiveWindow(window);
}

void alertTopmostModal() {
    const HWND window = topmostModalWindow();
    if (window == nullptr) return;
    SetActiveWindow(window);
    MessageBeep(MB_OK);
    FLASHWINFO flash{sizeof flash, window, FLASHW_CAPTION, 3, 60};
    FlashWindowEx(&flash);
}

bool canActivate(const WindowLayer& layer) {
    if (layer.level() == WindowLayer::kModal) return topmostModalLayer() == &layer;
    return modalCount() == 0;
}

void raiseModalWindows() {
    for (HWND window : visibleModalWindows()) {
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
    }
}

std::optional<LRESULT> handleLayerMessage(HWND window, const WindowLayer& layer, const LayerRules& rules,
                                          UINT message, WPARAM wParam, LPARAM lParam) {
    const bool applies = !rules.onlyWhileVisible || IsWindowVisible(window);
    switch (message) {
        case WM_ACTIVATE:
            if (!applies || LOWORD(wParam) == WA_INACTIVE || modalCount() == 0) break;
            activateTopmostModal();
            if (rules.redrawAfterPassingActivation)
                SetWindowPos(window, nullptr, 0, 0, 0, 0,
                             SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            return 0;
        case WM_WINDOWPOSCHANGING: {
            auto* change = reinterpret_cast<WINDOWPOS*>(lParam);
            if (!applies || layer.level() != WindowLayer::kModal) break;
            if (rules.onlyZOrderChanges && (change->flags & SWP_NOZORDER)) break;
            raiseModalWindows();
            change->flags |= SWP_NOZORDER;
            return 0;
        }
        case WM_MOUSEACTIVATE:
            if (reinterpret_cast<HWND>(wParam) != window || canActivate(layer)) break;
            if (layer.level() != WindowLayer::kModal) BringWindowToTop(window);
            alertTopmostModal();
            return MA_NOACTIVATEANDEAT;
        case kTaskbarSystemMenu:
            if (!canActivate(layer)) return 0;
            break;
        default:
            break;
    }
    return std::nullopt;
}

}  // namespace tarnwick::ui
