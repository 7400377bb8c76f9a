// tarnwick-update: one update run without a window, as the installer's
// worker performs it, reporting to the console.
//
//   tarnwick-update [--host ADDRESS] [--reply-timeout MS] [--idle-timeout MS] [--launch] [--log FILE]
//                   [--publisher-key PUBLIC.pem] [--ca-file PEM] [--decode-after-download]
//
// Prints the status lines and progress, then the outcome and what the
// Windows program would show. --reply-timeout bounds each rendezvous reply;
// --idle-timeout bounds each wait for a byte from a proxy or the web server,
// and the web server's whole response head (both 30000 by default). With
// --launch an installed client is started. --log appends the lines that
// Tarnwick.exe writes to its log to FILE as well. --publisher-key checks the
// package's signature with that key in place of the one built in; --ca-file
// trusts the certificates in PEM as roots for https, besides the system's.
// The package is decoded while it downloads; --decode-after-download waits
// for its last byte instead, as a baseline to measure that against.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "installer/core/Log.h"
#include "installer/core/UserNotice.h"
#include "installer/package/LaunchProgram.h"
#include "installer/platform/Tls.h"
#include "installer/update/Outcome.h"
#include "installer/update/UpdateRun.h"

namespace {

using namespace tarnwick;

// Each line carries the seconds since the run began, so that the time of
// each stage can be read off.
class ConsoleProgress final : public ProgressSink {
public:
    void setStatusText(const char* text) override {
        std::printf("%8.3f status: %s\n", elapsed(), text ? text : "");
        std::fflush(stdout);
    }
    void setProgress(std::uint32_t done, std::uint32_t total) override {
        if (total == 0) {
            std::printf("%8.3f progress: busy\n", elapsed());
        } else if (done == total || done - reported_ >= total / 10) {
            std::printf("%8.3f progress: %u of %u bytes\n", elapsed(), done, total);
            reported_ = done;
        }
    }

    double elapsed() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::uint32_t reported_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    UpdateRun run;
    bool launch = false;
    std::unique_ptr<Log> log;
    std::string arguments;
    for (int i = 1; i < argc; ++i)
        arguments += std::string(" ") + argv[i];
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--host") == 0 && i + 1 < argc) {
            run.rendezvousHost = argv[++i];
        } else if (std::strcmp(argv[i], "--reply-timeout") == 0 && i + 1 < argc) {
            run.replyTimeoutMilliseconds = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--idle-timeout") == 0 && i + 1 < argc) {
            run.idleTimeoutMilliseconds = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--decode-after-download") == 0) {
            run.decodeWhileDownloading = false;
        } else if (std::strcmp(argv[i], "--launch") == 0) {
            launch = true;
        } else if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc) {
            log = std::make_unique<Log>(argv[++i]);
        } else if (std::strcmp(argv[i], "--publisher-key") == 0 && i + 1 < argc) {
            std::ifstream file(argv[++i], std::ios::binary);
            run.publisherKey = publisherKeyFromPem(
                std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
            if (!run.publisherKey) {
                std::fprintf(stderr, "tarnwick-update: %s: not a P-256 public key in PEM form\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--ca-file") == 0 && i + 1 < argc) {
            if (!platform::trustRootsAlsoFrom(argv[++i])) {
                std::fprintf(stderr, "tarnwick-update: %s: no certificate to trust\n", argv[i]);
                return 2;
            }
        } else {
            std::fprintf(stderr,
                         "usage: tarnwick-update [--host ADDRESS] [--reply-timeout MS] [--idle-timeout MS] "
                         "[--launch] [--log FILE]\n"
                         "                       [--publisher-key PUBLIC.pem] [--ca-file PEM] "
                         "[--decode-after-download]\n");
            return 2;
        }
    }
    if (log) {
        log->write("tarnwick-update started:%s", arguments.c_str());
        run.log = log.get();
        logUserNotices(*log, true);
    }
    // Alerts and pages go to the console through the default notice handlers.
    ConsoleProgress progress;
    run.progress = &progress;
    runUpdate(run);

    std::printf("%8.3f outcome: %d (%s)\n", progress.elapsed(), run.outcome, outcomeName(run.outcome));
    if (log) log->write("outcome %d (%s)", run.outcome, outcomeName(run.outcome));
    const OutcomeEnding ending = endingForOutcome(run.outcome, run.launchPath.c_str());
    switch (ending.action) {
        case OutcomeEnding::Action::kNoResponseDialog:
            std::printf("ending: the \"No Response\" dialog (Connect runs again, resuming the download)\n");
            break;
        case OutcomeEnding::Action::kAlert:
            showOutcomeNotices(ending);
            break;
        case OutcomeEnding::Action::kFinishInstallation:
            std::printf("ending: finish the installation (%u bytes) and start %s\n", run.installedSize,
                        run.launchPath.c_str());
            if (launch && !launchProgram(run.launchPath.c_str())) std::printf("could not start the client\n");
            break;
        case OutcomeEnding::Action::kNothing:
            break;
    }
    return run.outcome == kOutcomeInstalled ? 0 : 1;
}
