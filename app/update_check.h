#pragma once

#include <string>
#include <string_view>

class QWidget;

namespace qzb {

class UserDialogs;

// The three fields of the maker's update page; a field whose markers are missing is empty.
struct UpdatePage {
    std::string version;
    std::string whatsNew;
    std::string downloadAddress;
};

enum class UpdateOutcome { ServerUnreachable, UpToDate, NewerVersion };

// "http://" + site host + the page's fixed path.
[[nodiscard]] std::string updatePageUrl();
[[nodiscard]] UpdatePage parseUpdatePage(std::string_view page);
// A page that could not be read, or that lacks the version field, counts as unreachable.
[[nodiscard]] UpdateOutcome judgeUpdate(bool pageRead, const UpdatePage& page);

// Reads the update page and tells the user the outcome, titled "更新提示": up to
// date, or a newer version with what is new (Yes opens its web address), or
// that the server could not be reached.
void checkForUpdate(QWidget* owner, UserDialogs& dialogs);

} // namespace qzb
