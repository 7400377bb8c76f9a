#include "tests/support/RecordedNotices.h"

namespace tarnwick::test {

RecordedNotices::RecordedNotices() {
    previousAlert_ = setAlertHandler([this](const char* title, const char* text) {
        std::lock_guard lock(mutex_);
        alerts_.push_back({title ? title : "", text ? text : ""});
    });
    previousOpenUrl_ = setOpenUrlHandler([this](const char* address) {
        std::lock_guard lock(mutex_);
        urls_.emplace_back(address ? address : "");
    });
}

RecordedNotices::~RecordedNotices() {
    setAlertHandler(std::move(previousAlert_));
    setOpenUrlHandler(std::move(previousOpenUrl_));
}

std::vector<RecordedNotices::Alert> RecordedNotices::alerts() const {
    std::lock_guard lock(mutex_);
    return alerts_;
}

std::vector<std::string> RecordedNotices::openedUrls() const {
    std::lock_guard lock(mutex_);
    return urls_;
}

}  // namespace tarnwick::test
