#include "installer/ui/UserNoticeHandlers.h"

#include "installer/core/UserNotice.h"
#include "installer/ui/AlertDialog.h"
#include "installer/ui/UrlOpening.h"

namespace tarnwick::ui {

void installUserNoticeHandlers() {
    [[maybe_unused]] auto previousAlert = setAlertHandler(&showAlert);
    [[maybe_unused]] auto previousOpenUrl = setOpenUrlHandler(&openUrl);
}

}  // namespace tarnwick::ui
