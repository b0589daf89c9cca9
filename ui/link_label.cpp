#include "ui/link_label.h"

#include <QMouseEvent>

namespace qzb {

LinkLabel::LinkLabel(const QString& caption, Kind kind, const QString& address, QWidget* parent)
    : QLabel(parent), m_kind(kind) {
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    setLink(caption, address);
}

QUrl LinkLabel::url() const {
    if (m_address.isEmpty())
        return {};
    return QUrl(m_kind == Kind::Email ? QStringLiteral("mailto:") + m_address : m_address);
}

void LinkLabel::setLink(const QString& caption, const QString& address) {
    m_address = address;
    m_caption = caption.isEmpty() ? address : caption;
    setToolTip(m_address);
    showCaption();
    showColour();
}

void LinkLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    showCaption();
}

// A caption wider than the control is shortened with "…"; the tip shows the address whole.
void LinkLabel::showCaption() {
    setText(fontMetrics().elidedText(m_caption, Qt::ElideRight, width()));
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    showColour();
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event) {
    m_hovered = false;
    showColour();
    QLabel::leaveEvent(event);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    emit pressed();
    const QUrl address = url();
    if (address.isEmpty())
        return;
    m_visited = true;
    showColour();
    emit opened(address);
}

void LinkLabel::showColour() {
    const QColor colour = m_hovered ? QColor(53, 53, 53) : m_visited ? QColor(128, 0, 0) : QColor(0, 0, 255);
    setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
}

} // namespace qzb
