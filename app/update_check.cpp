#include "app/update_check.h"

#include "net/http_request.h"
#include "net/pattern_matcher.h"
#include "net/text_encoding.h"
#include "qzb_build_config.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

#include <QUrl>

namespace qzb {
namespace {

constexpr std::string_view kProgramVersion = "版本号：V1.1";

} // namespace

std::string updatePageUrl() {
    return "http://" + std::string(config::kSiteHost) +
           "/moshuQQkongjianbbeifengongjugengxin/QQrizhibeifeng.html";
}

UpdatePage parseUpdatePage(std::string_view page) {
    return {firstBetween(page, gbk("左边【"), gbk("】右边")),
            firstBetween(page, gbk("更新内容左边【"), gbk("】更新内容右边")),
            firstBetween(page, gbk("更新地址左边【"), gbk("】更新地址右边"))};
}

UpdateOutcome judgeUpdate(bool pageRead, const UpdatePage& page) {
    if (!pageRead || page.version.empty())
        return UpdateOutcome::ServerUnreachable;
    return page.version == gbk(kProgramVersion) ? UpdateOutcome::UpToDate : UpdateOutcome::NewerVersion;
}

void checkForUpdate(QWidget* owner, UserDialogs& dialogs) {
    WebRequest request;
    request.url = updatePageUrl();
    const WebReply reply = sendWebRequest(request);
    const UpdatePage page = parseUpdatePage(reply.body);
    const QString title = QString::fromUtf8("更新提示");
    switch (judgeUpdate(isSuccess(reply.headers), page)) {
    case UpdateOutcome::ServerUnreachable:
        dialogs.showMessage(owner, title, QString::fromUtf8("连接服务器失败！"), UserDialogs::Icon::Warning);
        return;
    case UpdateOutcome::UpToDate:
        dialogs.showMessage(owner, title, QString::fromUtf8("当前是最新版本！无需更新"),
                            UserDialogs::Icon::Information);
        return;
    case UpdateOutcome::NewerVersion:
        if (dialogs.askYesNo(owner, title,
                             toQString(gbk("发现最新版本！是否更新\r\n\r\n") + page.whatsNew)) &&
            splitUrl(page.downloadAddress).valid)
            dialogs.openUrl(QUrl(toQString(page.downloadAddress)));
        return;
    }
}

} // namespace qzb
