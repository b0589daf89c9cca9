// Writes one skin file "<number>.she" per palette into the folder given as the only argument.
// The build runs it; the program carries its outputs.

#include "res/skin_format.h"
#include "res/skins/skin_palettes.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>

namespace qzb {
namespace {

QString hex(SkinColour colour) {
    return QColor::fromRgb(colour).name();
}

// `colour` moved towards `other` by `amount` (0 to 1).
QString mix(SkinColour colour, SkinColour other, double amount) {
    QColor from = QColor::fromRgb(colour);
    QColor to = QColor::fromRgb(other);
    auto blend = [&](int a, int b) { return static_cast<int>(a + (b - a) * amount + 0.5); };
    return QColor(blend(from.red(), to.red()), blend(from.green(), to.green()), blend(from.blue(), to.blue()))
        .name();
}

QString darker(SkinColour colour, int factor) {
    return QColor::fromRgb(colour).darker(factor).name();
}

// Labels get no colour here: the program colours some of them itself (counts in red) and a
// rule for QLabel would override that. Windows are light in every palette, so the labels'
// own black stays readable.
QString styleSheetFor(const SkinPalette& p) {
    QString sheet = QStringLiteral(R"(/* skin %1: %2 */
QMainWindow, QDialog { background: %3; }
QMenuBar { background: %4; color: %5; }
QMenuBar::item { background: transparent; padding: 2px 8px; }
QMenuBar::item:selected, QMenu::item:selected { background: %6; color: %7; }
QMenu { background: %8; color: %9; border: 1px solid %10; }
QMenu::item { padding: 3px 20px; }
QTabWidget::pane { background: %3; border: 1px solid %10; top: -1px; }
QTabBar::tab { background: %11; color: %12; border: 1px solid %10; padding: 3px 10px; margin-right: 1px; border-top-left-radius: 4px; border-top-right-radius: 4px; }
QTabBar::tab:selected { background: %3; color: %13; border-bottom-color: %3; }
QTabBar::tab:!selected { margin-top: 2px; }
QTabBar::tab:hover:!selected { background: %14; }
QGroupBox { border: 1px solid %10; border-radius: 4px; margin-top: 7px; color: %13; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }
QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %15, stop:1 %16); color: %17; border: 1px solid %18; border-radius: 3px; padding: 1px 2px; }
QPushButton:hover { background: %15; }
QPushButton:pressed { background: %6; color: %7; }
QPushButton:focus { border-color: %6; }
QLineEdit, QTextEdit, QPlainTextEdit, QComboBox { background: %8; color: %9; border: 1px solid %10; border-radius: 2px; selection-background-color: %6; selection-color: %7; }
QLineEdit:focus, QComboBox:focus { border-color: %6; }
QComboBox { padding: 1px 4px; }
QComboBox QAbstractItemView { background: %8; color: %9; border: 1px solid %10; selection-background-color: %6; selection-color: %7; }
QTableWidget, QTableView, QTreeWidget, QTreeView, QListWidget { background: %8; alternate-background-color: %19; color: %9; gridline-color: %20; border: 1px solid %10; selection-background-color: %6; selection-color: %7; }
QHeaderView::section { background: %4; color: %5; border: none; border-right: 1px solid %10; border-bottom: 1px solid %10; padding: 2px 4px; }
QTableCornerButton::section { background: %4; border: none; }
)");
    return sheet.arg(p.number)
        .arg(QString::fromUtf8(p.name))
        .arg(hex(p.window), hex(p.header), hex(p.headerText), hex(p.highlight), hex(p.highlightText),
             hex(p.base), hex(p.text))
        .arg(hex(p.border), hex(p.tab), hex(p.tabText), hex(p.windowText), mix(p.tab, p.window, 0.5),
             mix(p.button, 0xFFFFFF, 0.4), hex(p.button), hex(p.buttonText), darker(p.border, 115))
        .arg(hex(p.alternateBase), mix(p.border, p.base, 0.5));
}

} // namespace
} // namespace qzb

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_skins <output folder>\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "make_skins: cannot create %s\n", argv[1]);
        return 1;
    }
    for (const qzb::SkinPalette& palette : qzb::kSkinPalettes) {
        QFile file(folder.filePath(QStringLiteral("%1.she").arg(palette.number)));
        QByteArray bytes = qzb::encodeSkin(qzb::styleSheetFor(palette));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
            !file.flush()) {
            std::fprintf(stderr, "make_skins: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
