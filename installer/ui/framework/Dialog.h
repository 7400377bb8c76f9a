#pragma once

#include <windows.h>

#include "installer/ui/framework/Window.h"

namespace tarnwick::ui {

// A dialog created from a template in memory and run in a modal loop of its
// own on the calling thread, so that any thread can show one. The dialog
// window is subclassed as it initialises, so its messages reach WindowProc
// before the dialog manager's default handling.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId) : templateId_(templateId) {}

    // The result given to EndDialog, or -1 when the dialog cannot be shown.
    virtual INT_PTR DoModal();

    void EndDialog(INT_PTR result);
    UINT templateId() const { return templateId_; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(handle(), id); }

protected:
    // Modal loop flags: show the dialog once the queue is first idle. The
    // loop sends no idle messages: the dialogs have no owner to receive them.
    static constexpr DWORD kShowOnIdle = 0x0001;

    // Creates the dialog from a template without owner and without
    // disabling any window, runs it until EndDialog, hides and destroys it.
    // Gives the result, or -1 when no window came of the template.
    INT_PTR runModalIndirect(const DLGTEMPLATE* dialogTemplate, HINSTANCE module);
    [[nodiscard]] bool CreateDlgIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent, HINSTANCE module);
    // Runs until EndDialog and gives its result; a WM_QUIT that arrives is
    // put back for the outer loop.
    INT_PTR RunModalLoop(DWORD flags);
    bool ContinueModal() const { return !ended_; }

    virtual BOOL OnInitDialog() { return TRUE; }
    // Buttons and menu items; true when handled.
    virtual bool OnCommand(int id, int notification);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    INT_PTR result_ = -1;
    bool ended_ = false;
};

}  // namespace tarnwick::ui
