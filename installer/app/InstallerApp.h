#pragma once

#include <windows.h>

#include <memory>

#include "installer/app/CommandLine.h"
#include "installer/core/Log.h"
#include "installer/package/win32/Registration.h"
#include "installer/platform/win32/UniqueHandle.h"
#include "installer/ui/ProgressWindow.h"
#include "installer/ui/framework/Application.h"
#include "installer/update/UpdateRun.h"

namespace tarnwick {

// The message with which a worker tells the user-interface thread that its
// update run has ended; both parameters are 0. It goes to a window of that
// thread, never to the thread itself, so that every message loop running
// there dispatches it.
inline constexpr UINT kUpdateFinishedMessage = 12345;

// The standard "clear" command, whose menu text the application supplies.
inline constexpr UINT kClearCommand = 0xE120;
inline constexpr const char kClearCommandText[] = "&Delete\tDel";

// The one application object. It lives on the user-interface thread for the
// whole process; the worker of an update run writes the results of run
// (outcome, launchPath, installedSize) before it posts
// kUpdateFinishedMessage, and this thread reads them only after that message
// arrived, so they need no lock.
class InstallerApp : public ui::CWinApp, public ui::CCmdTarget {
public:
    explicit InstallerApp(CommandLine commandLine);
    ~InstallerApp() override;

    // The start-up sequence and the top-level flow. False when there is
    // nothing to wait for: the program then ends without a message loop. A
    // silent run has done all its work when this returns.
    bool InitInstance();
    // What the program ends with: always 0 unless the run is silent.
    int exitCode() const { return exitCode_; }

    // False, after the alert, on systems older than Windows 2000.
    bool checkWindowsVersion();
    // True when an installation was found and the user's choice about it was
    // carried out; the installer then has nothing more to do.
    bool handleExistingInstallation();
    // True when the uninstall entry names an installation whose folder and
    // program are still there; program is then the client program.
    static bool findExistingInstallation(std::string& program);
    // True when the user chose Install; options then hold the choices.
    bool runInstallOptionsDialog();

    // Starts one update run: a fresh progress window and a new worker. Only
    // called when no worker is running.
    void startUpdate();
    // Turns the outcome of the run that just ended into what the user sees.
    // Alerts and pages go through the user-notice seam.
    void onUpdateFinished();

    InstallOptions options;
    std::unique_ptr<ui::ProgressWindow> progressWindow;
    platform::UniqueHandle workerThread;
    // The current run: its rendezvous host is the one built in.
    UpdateRun run;

protected:
    bool handle(UINT id, int code, void* extra) override;

private:
    class MainFrame;

    static DWORD WINAPI workerMain(void* application);
    void runTopLevelFlow();
    // The whole flow without a window: no question, no alert, and the exit
    // code says how it ended.
    void runSilently();
    void logOutcome();
    // Starts the installed client, and says in the log whether it started.
    bool launchLogged(const char* commandLine);
    void postUpdateFinished() const;
    void endWorker();

    // Never shown; it exists before the first run starts and until the
    // program ends, receives kUpdateFinishedMessage and routes the frame's
    // commands to the application.
    std::unique_ptr<MainFrame> mainWindow_;
    bool updateStarted_ = false;
    const CommandLine commandLine_;
    Log log_;
    int exitCode_ = 0;
};

}  // namespace tarnwick
