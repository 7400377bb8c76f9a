#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "installer/core/UserNotice.h"

namespace tarnwick::test {

// Records every alert and opened address while it lives, instead of showing
// them, and puts the previous handlers back when it goes away.
class RecordedNotices {
public:
    struct Alert {
        std::string title;
        std::string text;
        bool operator==(const Alert&) const = default;
    };

    RecordedNotices();
    RecordedNotices(const RecordedNotices&) = delete;
    RecordedNotices& operator=(const RecordedNotices&) = delete;
    ~RecordedNotices();

    std::vector<Alert> alerts() const;
    std::vector<std::string> openedUrls() const;

private:
    mutable std::mutex mutex_;
    std::vector<Alert> alerts_;
    std::vector<std::string> urls_;
    AlertHandler previousAlert_;
    OpenUrlHandler previousOpenUrl_;
};

}  // namespace tarnwick::test
