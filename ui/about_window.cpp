#include "ui/about_window.h"

#include "res/pictures.h"
#include "ui/link_label.h"
#include "ui/main_window_description.h"

#include <QLabel>

namespace qzb {
namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

QFont songTi(bool bold) {
    QFont font(utf8("宋体"));
    font.setPixelSize(14);
    font.setBold(bold);
    return font;
}

ControlDescription aboutControl(const char* name, ControlKind kind, QRect place, bool bold = true) {
    ControlDescription d;
    d.name = utf8(name);
    d.kind = kind;
    d.place = place;
    d.font = songTi(bold);
    return d;
}

} // namespace

WindowDescription aboutWindowDescription() {
    using K = ControlKind;
    WindowDescription window;
    window.outerSize = {258, 229};
    ControlDescription headline = aboutControl("guanyuwenzi", K::Label, {8, 8, 240, 56});
    headline.textColor = QColor(0, 0, 0);
    window.controls.push_back(headline);
    ControlDescription picture = aboutControl("图片框1", K::PictureBox, {0, 64, 80, 136});
    picture.picture = QString::fromLatin1(kAboutPictureResource);
    window.controls.push_back(picture);
    ControlDescription author = aboutControl("zuozhemingzi", K::Label, {96, 64, 40, 32});
    author.text = utf8("墨枢");
    window.controls.push_back(author);
    window.controls.push_back(aboutControl("zuozheqq", K::Label, {96, 96, 80, 32}));
    window.controls.push_back(aboutControl("zuozheyouxiang", K::Label, {96, 128, 136, 32}));
    window.controls.push_back(aboutControl("zuozheguanwang", K::Hyperlink, {88, 168, 104, 24}, false));
    return window;
}

AboutWindow::AboutWindow(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    const WindowDescription description = aboutWindowDescription();
    setObjectName(QStringLiteral("guanyu"));
    setWindowTitle(description.title);
    setFixedSize(description.outerSize);
    m_controls = buildControls(this, description.controls);
    fillFields();
    if (auto* link = qobject_cast<LinkLabel*>(m_controls[utf8("zuozheguanwang")]))
        connect(link, &LinkLabel::opened, this, &AboutWindow::linkOpened);
}

void AboutWindow::fillFields() {
    auto label = [this](const char* name) { return qobject_cast<QLabel*>(m_controls[utf8(name)]); };
    label("guanyuwenzi")->setText(utf8("墨枢空间日志，说说备份软件 V1.1"));
    // No person's number or address: both lead to the maker's site.
    label("zuozheqq")->setText(utf8("QQ：见官网"));
    label("zuozheyouxiang")->setText(utf8("邮箱：见官网"));
    if (auto* link = qobject_cast<LinkLabel*>(m_controls[utf8("zuozheguanwang")]))
        link->setLink(utf8("访问官网"), siteAddress());
}

} // namespace qzb
