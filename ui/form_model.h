#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <utility>
#include <vector>

class QWidget;

// Windows described as data: every control with its name, kind, place, parent
// and properties. The builder turns a description into Qt widgets whose
// objectName is the control's name, so code finds controls by name.
namespace qzb {

enum class ControlKind {
    TabControl,
    GroupBox,
    Label,
    EditBox,
    Button,
    ComboBox,
    ListView,
    PictureBox,
    Hyperlink
};

struct Column {
    QString caption;
    int width = 0;
};

struct ControlDescription {
    QString name;
    ControlKind kind = ControlKind::Label;
    QRect place;           // relative to the parent; a tab page's controls relative to the tab control
    QString parent{};      // empty: the window's client area
    int page = -1;         // with a tab control as parent: the page holding the control
    QString text{};        // caption, content, or a link's caption
    QColor textColor{};    // invalid: the default colour
    QStringList items{};   // combo box items, tab control page captions
    int selected = -1;     // the selected combo box item
    bool editable = false; // combo box: typed text allowed
    std::vector<Column> columns{};
    QString picture{}; // picture box: resource path of its image
    bool handCursor = false;
    QString link{};         // hyperlink address
    bool emailLink = false; // hyperlink kind
    bool tabStop = true;
    std::optional<QFont> font{}; // none: the default GUI font
};

// One item of a window's menu: a top-level item (level 0) opens the items of
// level 1 below it. A hidden top-level item stays out of the menu bar and
// serves as a popup menu that the code opens by its caption.
struct MenuItemDescription {
    QString caption;
    int level = 0;
    bool hidden = false;
    QString command{}; // the name of the command run when the item is chosen
};

struct WindowDescription {
    QString title;
    QSize outerSize; // frame and caption included
    std::vector<ControlDescription> controls;
    std::vector<MenuItemDescription> menu{};
};

using ControlMap = std::map<QString, QWidget*>;

// Creates the controls on `clientArea`, parents first (a parent must be described
// before its children), and returns them by name.
ControlMap buildControls(QWidget* clientArea, const std::vector<ControlDescription>& controls);

} // namespace qzb
