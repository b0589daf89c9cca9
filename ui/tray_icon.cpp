#include "ui/tray_icon.h"

#include "ui/qt_text.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace qzb {
namespace {

// Bytes of the character that starts `text`, as the byte encoding lays it out.
std::size_t characterBytes(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x81 || lead == 0xFF || text.size() < 2)
        return 1;
    const auto second = static_cast<unsigned char>(text[1]);
    return second >= 0x30 && second <= 0x39 && text.size() >= 4 ? 4 : 2;
}

} // namespace

QString cutTrayTip(const QString& tip, std::size_t maxBytes) {
    const std::string bytes = toGbk(tip);
    std::size_t kept = 0;
    while (kept < bytes.size()) {
        const std::size_t next = kept + characterBytes(std::string_view(bytes).substr(kept));
        if (next > maxBytes)
            break;
        kept = next;
    }
    return toQString(std::string_view(bytes).substr(0, kept));
}

TrayIcon::TrayIcon(const QIcon& icon, const QString& tip, QObject* parent)
    : QObject(parent), m_menu(std::make_unique<QMenu>()), m_icon(std::make_unique<QSystemTrayIcon>(icon)) {
    m_icon->setToolTip(cutTrayTip(tip));
    m_menu->addAction(QString::fromUtf8("还原"), this, &TrayIcon::restoreRequested);
    m_menu->addAction(QString::fromUtf8("关闭"), this, &TrayIcon::closeRequested);
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    emit restoreRequested();
            });
}

TrayIcon::~TrayIcon() {
    m_icon->hide();
}

void TrayIcon::show() {
    m_icon->show();
}

void TrayIcon::hide() {
    m_icon->hide();
}

bool TrayIcon::isShown() const {
    return m_icon->isVisible();
}

QString TrayIcon::tip() const {
    return m_icon->toolTip();
}

} // namespace qzb
