#include "ui/form_model.h"

#include "ui/link_label.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

namespace qzb {
namespace {

constexpr char kPlaceProperty[] = "qzbPlace";

// The controls of a tab page are placed relative to the tab control, whose top
// strip holds the tabs; the pages start below that strip, wherever the style
// puts it. Each time the tab control lays its pages out, their controls are
// placed again.
class TabControl : public QTabWidget {
public:
    void placePageControls() {
        for (int index = 0; index < count(); ++index) {
            QWidget* page = widget(index);
            const QPoint offset = page->mapTo(this, QPoint(0, 0));
            for (QObject* child : page->children()) {
                auto* control = qobject_cast<QWidget*>(child);
                if (control && control->property(kPlaceProperty).isValid())
                    control->setGeometry(control->property(kPlaceProperty).toRect().translated(-offset));
            }
        }
    }

protected:
    void showEvent(QShowEvent* event) override {
        QTabWidget::showEvent(event);
        placePageControls();
    }
    void resizeEvent(QResizeEvent* event) override {
        QTabWidget::resizeEvent(event);
        placePageControls();
    }
    void changeEvent(QEvent* event) override {
        QTabWidget::changeEvent(event);
        placePageControls();
    }
};

QWidget* makeTabControl(const ControlDescription& d) {
    auto* tabs = new TabControl;
    for (const QString& caption : d.items)
        tabs->addTab(new QWidget, caption);
    tabs->setCurrentIndex(0);
    return tabs;
}

QWidget* makeComboBox(const ControlDescription& d) {
    auto* combo = new QComboBox;
    combo->setEditable(d.editable);
    combo->addItems(d.items);
    combo->setCurrentIndex(d.selected);
    if (d.editable && d.selected < 0)
        combo->setEditText(d.text);
    return combo;
}

QWidget* makeListView(const ControlDescription& d) {
    auto* list = new QTableWidget(0, static_cast<int>(d.columns.size()));
    QStringList captions;
    for (const Column& column : d.columns)
        captions << column.caption;
    list->setHorizontalHeaderLabels(captions);
    for (int i = 0; i < static_cast<int>(d.columns.size()); ++i)
        list->setColumnWidth(i, d.columns[static_cast<std::size_t>(i)].width);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setSectionsClickable(true);
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    list->setSortingEnabled(false);
    list->setWordWrap(false);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
    return list;
}

QWidget* makePictureBox(const ControlDescription& d) {
    auto* picture = new QLabel;
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* movie = new QMovie(d.picture, QByteArray(), picture);
    if (movie->frameCount() > 1) {
        picture->setMovie(movie);
        movie->start();
    } else {
        delete movie;
        picture->setPixmap(QPixmap(d.picture));
    }
    return picture;
}

QWidget* makeControl(const ControlDescription& d) {
    switch (d.kind) {
    case ControlKind::TabControl:
        return makeTabControl(d);
    case ControlKind::GroupBox:
        return new QGroupBox(d.text);
    case ControlKind::Label: {
        auto* label = new QLabel(d.text);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return label;
    }
    case ControlKind::EditBox:
        return new QLineEdit(d.text);
    case ControlKind::Button:
        return new QPushButton(d.text);
    case ControlKind::ComboBox:
        return makeComboBox(d);
    case ControlKind::ListView:
        return makeListView(d);
    case ControlKind::PictureBox:
        return makePictureBox(d);
    case ControlKind::Hyperlink:
        return new LinkLabel(d.text, d.emailLink ? LinkLabel::Kind::Email : LinkLabel::Kind::Web, d.link);
    }
    return new QWidget;
}

QWidget* parentWidget(QWidget* clientArea, const ControlMap& controls, const ControlDescription& d) {
    if (d.parent.isEmpty())
        return clientArea;
    auto found = controls.find(d.parent);
    if (found == controls.end())
        return clientArea;
    if (auto* tabs = qobject_cast<QTabWidget*>(found->second); tabs && d.page >= 0)
        return tabs->widget(d.page);
    return found->second;
}

} // namespace

ControlMap buildControls(QWidget* clientArea, const std::vector<ControlDescription>& descriptions) {
    ControlMap controls;
    for (const ControlDescription& d : descriptions) {
        QWidget* control = makeControl(d);
        control->setObjectName(d.name);
        QWidget* parent = parentWidget(clientArea, controls, d);
        control->setParent(parent);
        control->setGeometry(d.place);
        if (parent != clientArea && d.page >= 0)
            control->setProperty(kPlaceProperty, d.place);
        if (d.textColor.isValid())
            control->setStyleSheet(QStringLiteral("color: %1;").arg(d.textColor.name()));
        if (d.font)
            control->setFont(*d.font);
        if (d.handCursor)
            control->setCursor(Qt::PointingHandCursor);
        control->setFocusPolicy(d.tabStop ? control->focusPolicy() : Qt::NoFocus);
        controls[d.name] = control;
    }
    return controls;
}

} // namespace qzb
