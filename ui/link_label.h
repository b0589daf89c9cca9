#pragma once

#include <QLabel>
#include <QUrl>

namespace qzb {

// A hyperlink control: one line of centred text in blue, dark grey while the
// mouse is over it, dark red once it has been opened; a hand cursor. A press
// of the left button emits `pressed`, and `opened` with the link's address
// when it has one (an e-mail address gets "mailto:"). With an empty caption
// the address is shown instead.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    enum class Kind { Web, Email };

    LinkLabel(const QString& caption, Kind kind, const QString& address, QWidget* parent = nullptr);

    [[nodiscard]] QUrl url() const;
    void setLink(const QString& caption, const QString& address);

signals:
    void pressed();
    void opened(const QUrl& url);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showCaption();
    void showColour();

    Kind m_kind;
    QString m_caption;
    QString m_address;
    bool m_hovered = false;
    bool m_visited = false;
};

} // namespace qzb
