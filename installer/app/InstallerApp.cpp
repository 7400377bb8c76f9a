#include "installer/app/InstallerApp.h"

#include <mmsystem.h>
#include <ole2.h>
#include <shlwapi.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "installer/core/ChallengeGenerator.h"
#include "installer/core/UserNotice.h"
#include "installer/package/LaunchProgram.h"
#include "installer/platform/FileSystem.h"
#include "installer/platform/Socket.h"
#include "installer/platform/win32/WideText.h"
#include "installer/ui/AlreadyInstalledDialog.h"
#include "installer/ui/FrameWndEx.h"
#include "installer/ui/InstallOptionsDialog.h"
#include "installer/ui/NoResponseDialog.h"
#include "installer/ui/UserNoticeHandlers.h"

namespace tarnwick {

namespace {

constexpr DWORD kFirstSupportedMajorVersion = 5;  // Windows 2000

}  // namespace

// A message-only window. A message posted to the thread itself is lost when
// any loop but the application's own takes it, such as the system's while
// the user moves or sizes the progress window, or a dialog's: those loops
// dispatch window messages only.
class InstallerApp::MainFrame final : public ui::CFrameWndEx {
public:
    explicit MainFrame(InstallerApp& app) : CFrameWndEx(&app), app_(app) {
        setDeleteOnDestroy(false);
        // The caller learns from handle() whether the window exists.
        [[maybe_unused]] const bool created =
            Create(ui::registerWindowClass(0, nullptr, nullptr, nullptr), "", 0, RECT{}, HWND_MESSAGE);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != kUpdateFinishedMessage) return CFrameWndEx::WindowProc(message, wParam, lParam);
        app_.onUpdateFinished();
        return 0;
    }

private:
    InstallerApp& app_;
};

InstallerApp::InstallerApp() : ui::CCmdTarget(nullptr) {}

InstallerApp::~InstallerApp() {
    endWorker();
}

bool InstallerApp::InitInstance() {
    // Without sockets no update can run.
    if (!platform::startSockets()) return false;
    // Shell links are made through COM on this thread; without it they are
    // simply skipped, like every other failed registration step.
    [[maybe_unused]] const HRESULT com = OleInitialize(nullptr);
    // The line reader's time-outs are measured against the multimedia timer.
    timeBeginPeriod(1);
    seedChallengeGenerator(static_cast<std::uint32_t>(std::time(nullptr)));
    ui::installUserNoticeHandlers();
    runTopLevelFlow();
    return updateStarted_;
}

void InstallerApp::runTopLevelFlow() {
    if (!checkWindowsVersion()) return;
    if (handleExistingInstallation()) return;
    if (!runInstallOptionsDialog()) return;
    mainWindow_ = std::make_unique<MainFrame>(*this);
    if (mainWindow_->handle() == nullptr) {
        // No run could ever report its end, so none is started.
        std::fputs("Tarnwick: no window to receive the end of a run\n", stderr);
        return;
    }
    startUpdate();
}

bool InstallerApp::checkWindowsVersion() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    // A system that cannot even say which it is gets the benefit of the doubt.
    if (!GetVersionExA(&version) || version.dwMajorVersion >= kFirstSupportedMajorVersion) return true;
    alert("Windows 2000 Required", "Tarnwick requires Windows 2000 or later to run.");
    return false;
}

bool InstallerApp::handleExistingInstallation() {
    std::string value;
    if (!readUninstallValue("InstallLocation", value)) return false;
    if (!platform::pathExists(value.c_str())) return false;
    if (!readUninstallValue("UninstallString", value)) return false;

    // The stored command is the program, quoted when it has blanks, and its
    // argument; what is left without them is the program itself. The values
    // are UTF-8, which the shell's helpers take in their wide form.
    wchar_t command[MAX_PATH] = {};
    lstrcpynW(command, platform::toUtf16(value).c_str(), MAX_PATH);
    PathRemoveArgsW(command);
    PathUnquoteSpacesW(command);
    const std::string program = platform::toUtf8(command);
    if (!platform::pathExists(program.c_str())) return false;

    ui::AlreadyInstalledDialog dialog;
    // Whether the program could be started is not the installer's concern.
    switch (dialog.DoModal()) {
        case ui::AlreadyInstalledDialog::kLaunch:
            launchProgram(program.c_str());
            break;
        case ui::AlreadyInstalledDialog::kRemove:
            // The whole stored command, arguments included, so that the
            // client removes itself.
            if (readUninstallValue("UninstallString", value)) launchProgram(value.c_str());
            break;
        default:
            break;
    }
    return true;
}

bool InstallerApp::runInstallOptionsDialog() {
    ui::InstallOptions choices{options.desktopShortcut, options.quickLaunchShortcut,
                               options.startWithWindows};
    ui::InstallOptionsDialog dialog(choices);
    if (dialog.DoModal() != IDOK) return false;
    options.desktopShortcut = choices.desktopShortcut;
    options.quickLaunchShortcut = choices.quickLaunchShortcut;
    options.startWithWindows = choices.startWithWindows;
    return true;
}

void InstallerApp::startUpdate() {
    progressWindow = std::make_unique<ui::ProgressWindow>();
    progressWindow->setTitle("Downloading latest Tarnwick update...");
    progressWindow->show();
    run = UpdateRun{};
    run.progress = progressWindow.get();

    workerThread.reset(CreateThread(nullptr, 0, &InstallerApp::workerMain, this, CREATE_SUSPENDED, nullptr));
    if (!workerThread) {
        // No worker means no run: end it as a run that failed to connect,
        // so that the user may try again.
        run.outcome = kOutcomeNoConnection;
        postUpdateFinished();
    } else {
        ResumeThread(workerThread.get());
    }
    updateStarted_ = true;
}

DWORD WINAPI InstallerApp::workerMain(void* application) {
    auto& app = *static_cast<InstallerApp*>(application);
    runUpdate(app.run);
    app.postUpdateFinished();
    return 0;
}

void InstallerApp::postUpdateFinished() const {
    PostMessageA(mainWindow_->handle(), kUpdateFinishedMessage, 0, 0);
}

void InstallerApp::endWorker() {
    if (!workerThread) return;
    // The worker has posted its last message and only returns after it.
    WaitForSingleObject(workerThread.get(), INFINITE);
    workerThread.reset();
}

void InstallerApp::onUpdateFinished() {
    endWorker();
    // This may run inside the system's loop that moves or sizes this very
    // window; that loop later returns through the window's handlers after
    // the object is gone, and they touch nothing of it on the way out.
    progressWindow.reset();

    const OutcomeEnding ending = endingForOutcome(run.outcome, run.launchPath.c_str());
    switch (ending.action) {
        case OutcomeEnding::Action::kNoResponseDialog:
            // Exit ends the process inside the dialog, with exit code 0;
            // it returns only for Connect.
            ui::runNoResponseDialog();
            startUpdate();
            return;
        case OutcomeEnding::Action::kAlert:
            showOutcomeNotices(ending);
            break;
        case OutcomeEnding::Action::kFinishInstallation:
            finishInstallation(run.launchPath, run.installedSize, options,
                               [](const char* commandLine) { return launchProgram(commandLine); });
            break;
        case OutcomeEnding::Action::kNothing:
            break;
    }
    quit(0);
}

bool InstallerApp::handle(UINT id, int code, void* extra) {
    if (id != kClearCommand || code != ui::CN_UPDATE_COMMAND_UI) return false;
    if (extra != nullptr) static_cast<ui::CCmdUI*>(extra)->text = kClearCommandText;
    return true;
}

}  // namespace tarnwick
