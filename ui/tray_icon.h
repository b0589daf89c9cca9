#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include <cstddef>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace qzb {

// The tip of the notification-area icon holds at most 62 bytes of the
// program's byte encoding; a longer one is cut before the character that
// would not fit whole.
inline constexpr std::size_t kTrayTipBytes = 62;
[[nodiscard]] QString cutTrayTip(const QString& tip, std::size_t maxBytes = kTrayTipBytes);

// The main window's icon in the notification area: a left click or a double
// click asks to restore the window; its menu offers "还原" and "关闭".
class TrayIcon : public QObject {
    Q_OBJECT
public:
    TrayIcon(const QIcon& icon, const QString& tip, QObject* parent = nullptr);
    ~TrayIcon() override;

    void show();
    void hide();
    [[nodiscard]] bool isShown() const;
    [[nodiscard]] QString tip() const;

signals:
    void restoreRequested();
    void closeRequested();

private:
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

} // namespace qzb
