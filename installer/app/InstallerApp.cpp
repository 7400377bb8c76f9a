#include "installer/app/InstallerApp.h"

#include <mmsystem.h>
#include <ole2.h>
#include <shlwapi.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <utility>

#include "InstallerVersion.h"
#include "installer/core/ChallengeGenerator.h"
#include "installer/core/UserNotice.h"
#include "installer/net/ProxySettings.h"
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
constexpr const char kLogFileName[] = "Tarnwick.log";

std::string logPathFor(const CommandLine& commandLine) {
    return commandLine.logFile.empty() ? preferencesFolder() + kLogFileName : commandLine.logFile;
}

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

InstallerApp::InstallerApp(CommandLine commandLine)
    : ui::CCmdTarget(nullptr), commandLine_(std::move(commandLine)), log_(logPathFor(commandLine_)) {}

InstallerApp::~InstallerApp() {
    endWorker();
}

bool InstallerApp::InitInstance() {
    log_.write("Tarnwick %s started (%s): %s", TARNWICK_VERSION_TEXT,
               commandLine_.silent ? "silent" : "interactive",
               commandLine_.text.empty() ? "no options" : commandLine_.text.c_str());
    if (!commandLine_.badArgument.empty()) {
        log_.write("unknown option %s", commandLine_.badArgument.c_str());
        // Asked in person, the program goes on as it always did.
        if (commandLine_.silent) {
            exitCode_ = kExitBadCommandLine;
            log_.write("exit code %d", exitCode_);
            return false;
        }
    }
    // Without sockets no update can run.
    if (!platform::startSockets()) {
        log_.write("failed: the system's sockets could not be started");
        if (commandLine_.silent) exitCode_ = kExitNoConnection;
        return false;
    }
    // Shell links are made through COM on this thread; without it they are
    // simply skipped, like every other failed registration step.
    [[maybe_unused]] const HRESULT com = OleInitialize(nullptr);
    // The line reader's time-outs are measured against the multimedia timer.
    timeBeginPeriod(1);
    seedChallengeGenerator(static_cast<std::uint32_t>(std::time(nullptr)));
    if (commandLine_.silent) {
        // Alerts and pages only go to the log.
        logUserNotices(log_, false);
        runSilently();
        return false;
    }
    ui::installUserNoticeHandlers();
    logUserNotices(log_, true);
    runTopLevelFlow();
    return updateStarted_;
}

void InstallerApp::runSilently() {
    if (!checkWindowsVersion()) {
        exitCode_ = kExitWindowsTooOld;
        log_.write("exit code %d", exitCode_);
        return;
    }
    // An existing installation is updated in place.
    if (std::string program; findExistingInstallation(program))
        log_.write("updating the installation of %s", program.c_str());
    options.desktopShortcut = commandLine_.desktopIcon;
    options.quickLaunchShortcut = commandLine_.quickLaunchIcon;
    options.startWithWindows = commandLine_.autostart;

    run = UpdateRun{};
    run.log = &log_;
    runUpdate(run);
    logOutcome();

    const OutcomeEnding ending = endingForOutcome(run.outcome, run.launchPath.c_str());
    if (ending.action == OutcomeEnding::Action::kFinishInstallation) {
        const bool launch = commandLine_.launch;
        finishInstallation(
            run.launchPath, run.installedSize, options,
            [this, launch](const char* commandLine) { return !launch || launchLogged(commandLine); });
        log_.write("registered %s", run.launchPath.c_str());
    } else {
        showOutcomeNotices(ending);
    }
    exitCode_ = exitCodeForOutcome(run.outcome, run.launchPath.c_str(), run.reachedServer);
    log_.write("exit code %d", exitCode_);
}

bool InstallerApp::launchLogged(const char* commandLine) {
    const bool started = launchProgram(commandLine);
    log_.write(started ? "started %s" : "could not start %s", commandLine);
    return started;
}

void InstallerApp::logOutcome() {
    log_.write("outcome %d (%s)", run.outcome, outcomeName(run.outcome));
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

bool InstallerApp::findExistingInstallation(std::string& program) {
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
    program = platform::toUtf8(command);
    return platform::pathExists(program.c_str());
}

bool InstallerApp::handleExistingInstallation() {
    std::string program;
    if (!findExistingInstallation(program)) return false;
    log_.write("found the installation of %s", program.c_str());

    ui::AlreadyInstalledDialog dialog;
    // Whether the program could be started is not the installer's concern.
    switch (dialog.DoModal()) {
        case ui::AlreadyInstalledDialog::kLaunch:
            log_.write("launch chosen");
            launchProgram(program.c_str());
            break;
        case ui::AlreadyInstalledDialog::kRemove:
            log_.write("remove chosen");
            // The whole stored command, arguments included, so that the
            // client removes itself.
            if (std::string command; readUninstallValue("UninstallString", command))
                launchProgram(command.c_str());
            break;
        default:
            log_.write("the installation was left as it is");
            break;
    }
    return true;
}

bool InstallerApp::runInstallOptionsDialog() {
    ui::InstallOptions choices{options.desktopShortcut, options.quickLaunchShortcut,
                               options.startWithWindows};
    ui::InstallOptionsDialog dialog(choices);
    if (dialog.DoModal() != IDOK) {
        log_.write("the installation was cancelled");
        return false;
    }
    options.desktopShortcut = choices.desktopShortcut;
    options.quickLaunchShortcut = choices.quickLaunchShortcut;
    options.startWithWindows = choices.startWithWindows;
    log_.write("install chosen: desktop icon %s, Quick Launch icon %s, start with Windows %s",
               options.desktopShortcut ? "yes" : "no", options.quickLaunchShortcut ? "yes" : "no",
               options.startWithWindows ? "yes" : "no");
    return true;
}

void InstallerApp::startUpdate() {
    progressWindow = std::make_unique<ui::ProgressWindow>();
    progressWindow->setTitle("Downloading latest Tarnwick update...");
    progressWindow->show();
    run = UpdateRun{};
    run.progress = progressWindow.get();
    run.log = &log_;

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
    logOutcome();

    const OutcomeEnding ending = endingForOutcome(run.outcome, run.launchPath.c_str());
    switch (ending.action) {
        case OutcomeEnding::Action::kNoResponseDialog:
            // Exit ends the process inside the dialog, with exit code 0;
            // it returns only for Connect.
            log_.write("showing \"No Response\"");
            ui::runNoResponseDialog();
            log_.write("connect chosen: a new run");
            startUpdate();
            return;
        case OutcomeEnding::Action::kAlert:
            showOutcomeNotices(ending);
            break;
        case OutcomeEnding::Action::kFinishInstallation:
            finishInstallation(run.launchPath, run.installedSize, options,
                               [this](const char* commandLine) { return launchLogged(commandLine); });
            log_.write("registered %s", run.launchPath.c_str());
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
