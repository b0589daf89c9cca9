#include "ui/main_window_description.h"

#include "qzb_build_config.h"
#include "res/pictures.h"

namespace qzb {
namespace {

const QColor kRed(255, 0, 0);

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

ControlDescription control(const char* name, ControlKind kind, QRect place, const char* parent = "",
                           int page = -1, const char* text = "") {
    ControlDescription d;
    d.name = utf8(name);
    d.kind = kind;
    d.place = place;
    d.parent = utf8(parent);
    d.page = page;
    d.text = utf8(text);
    return d;
}

ControlDescription withColor(ControlDescription d, QColor color) {
    d.textColor = color;
    return d;
}

ControlDescription withoutTabStop(ControlDescription d) {
    d.tabStop = false;
    return d;
}

ControlDescription listView(const char* name, QRect place, int page, std::vector<Column> columns) {
    ControlDescription d = control(name, ControlKind::ListView, place, "xuanzejia", page);
    d.columns = std::move(columns);
    return d;
}

// Page 1: blog posts.
void addBlogPage(std::vector<ControlDescription>& controls) {
    using K = ControlKind;
    controls.push_back(withColor(control("biaoqian_2", K::Label, {80, 328, 88, 16}, "xuanzejia", 0), kRed));
    controls.push_back(control("biaoqian_1", K::Label, {16, 328, 56, 16}, "xuanzejia", 0, "提取到了："));
    controls.push_back(control("fenzukuang4", K::GroupBox, {8, 80, 344, 43}, "xuanzejia", 0, "下载选项："));
    controls.push_back(control("biaoqian4", K::Label, {8, 16, 56, 20}, "fenzukuang4", -1, "保存名称："));
    controls.push_back(
        control("bianjikuang4", K::EditBox, {72, 16, 72, 20}, "fenzukuang4", -1, "下载的日志"));
    controls.push_back(control("biaoqian5", K::Label, {152, 16, 56, 20}, "fenzukuang4", -1, "文件格式："));
    ControlDescription format = control("zuhekuang1", K::ComboBox, {208, 16, 72, 20}, "fenzukuang4");
    format.items = {utf8("html格式"), utf8("txt格式"), utf8("Doc格式")};
    format.selected = 1;
    controls.push_back(format);
    controls.push_back(control("xiazaianniu", K::Button, {285, 16, 56, 20}, "fenzukuang4", -1, "下载日志"));
    controls.push_back(listView("超级列表框10", {8, 128, 344, 200}, 0,
                                {{utf8("序号"), 50}, {utf8("日志"), 200}, {utf8("ID"), 78}}));
    controls.push_back(control("fengzu1", K::GroupBox, {8, 24, 344, 48}, "xuanzejia", 0, "输入QQ号码："));
    controls.push_back(control("biaoqian_haoma", K::Label, {48, 16, 48, 20}, "fengzu1", -1, "QQ号码："));
    controls.push_back(control("haoma1", K::EditBox, {104, 16, 112, 20}, "fengzu1", -1, kDefaultAccount));
    controls.push_back(control("anniu1", K::Button, {224, 16, 80, 20}, "fengzu1", -1, "获取日志列表"));
}

// Page 2: moods.
void addMoodPage(std::vector<ControlDescription>& controls) {
    using K = ControlKind;
    controls.push_back(withColor(control("biaoqian6", K::Label, {80, 328, 88, 16}, "xuanzejia", 1), kRed));
    controls.push_back(control("biaoqian3", K::Label, {16, 328, 56, 16}, "xuanzejia", 1, "提取到了："));
    controls.push_back(
        listView("chaojiliebiaokuang2", {8, 80, 344, 248}, 1, {{utf8("序号"), 50}, {utf8("说说"), 280}}));
    controls.push_back(control("fengzu", K::GroupBox, {8, 24, 344, 48}, "xuanzejia", 1, "输入QQ号码："));
    controls.push_back(control("biaoqian_haoma1", K::Label, {48, 16, 48, 20}, "fengzu", -1, "QQ号码："));
    controls.push_back(control("haoma2", K::EditBox, {104, 16, 112, 20}, "fengzu", -1, kDefaultAccount));
    controls.push_back(control("anniu2", K::Button, {224, 16, 80, 20}, "fengzu", -1, "获取说说列表"));
}

// Page 3: albums.
void addAlbumPage(std::vector<ControlDescription>& controls) {
    using K = ControlKind;
    controls.push_back(withColor(control("标签_8", K::Label, {80, 328, 88, 16}, "xuanzejia", 2), kRed));
    controls.push_back(control("biaoqian7", K::Label, {16, 328, 56, 16}, "xuanzejia", 2, "提取到了："));
    controls.push_back(control("fenzukuang1", K::GroupBox, {8, 80, 344, 64}, "xuanzejia", 2, "下载选项："));
    controls.push_back(control("biaoqian2", K::Label, {8, 16, 32, 20}, "fenzukuang1", -1, "名称："));
    ControlDescription name = control("组合框1", K::ComboBox, {48, 16, 72, 20}, "fenzukuang1");
    name.editable = true;
    controls.push_back(name);
    controls.push_back(control("biaoqian1", K::Label, {128, 16, 56, 20}, "fenzukuang1", -1, "保存目录："));
    controls.push_back(control("bianjikuang2", K::EditBox, {184, 16, 96, 20}, "fenzukuang1"));
    controls.push_back(control("xiazaianniu1", K::Button, {285, 16, 56, 20}, "fenzukuang1", -1, "浏览目录"));
    controls.push_back(control("xiazaianniu2", K::Button, {285, 40, 56, 20}, "fenzukuang1", -1, "开始下载"));
    controls.push_back(
        listView("超级列表框1", {8, 152, 344, 176}, 2,
                 {{utf8("序号"), 50}, {utf8("相册"), 150}, {utf8("数量"), 100}, {utf8("ID"), 50}}));
    controls.push_back(control("fengzu2", K::GroupBox, {8, 24, 344, 48}, "xuanzejia", 2, "输入QQ号码："));
    controls.push_back(control("biaoqian_haoma2", K::Label, {48, 16, 48, 20}, "fengzu2", -1, "QQ号码："));
    controls.push_back(control("haoma3", K::EditBox, {104, 16, 112, 20}, "fengzu2", -1, kDefaultAccount));
    controls.push_back(control("anniu3", K::Button, {224, 16, 80, 20}, "fengzu2", -1, "获取相册列表"));
}

} // namespace

QString siteAddress() {
    return QStringLiteral("http://") + QString::fromUtf8(config::kSiteHost.data(), config::kSiteHost.size());
}

WindowDescription mainWindowDescription() {
    using K = ControlKind;
    WindowDescription window;
    window.title = utf8("墨枢QQ空间日志,相册备份工具  V1.1");
    window.outerSize = {391, 463};

    ControlDescription tabs = withoutTabStop(control("xuanzejia", K::TabControl, {8, 40, 368, 352}));
    tabs.items = {utf8("下载日志"), utf8("下载说说"), utf8("下载相册")};
    window.controls.push_back(tabs);

    ControlDescription banner = control("图片框1", K::PictureBox, {272, 16, 88, 32});
    banner.picture = QString::fromLatin1(kBannerResource);
    banner.handCursor = true;
    window.controls.push_back(banner);
    window.controls.push_back(control("标签7", K::Label, {16, 392, 96, 24}, "", -1, "当前版本：V1.1"));
    ControlDescription update = control("超级链接框1", K::Hyperlink, {112, 392, 96, 24}, "", -1, "检查更新");
    update.emailLink = true;
    window.controls.push_back(update);
    window.controls.push_back(control("标签8", K::Label, {232, 392, 96, 24}, "", -1, "墨枢工作室："));
    ControlDescription site = control("超级链接框2", K::Hyperlink, {304, 392, 80, 24});
    site.link = siteAddress();
    site.text = siteAddress();
    window.controls.push_back(site);

    addBlogPage(window.controls);
    addMoodPage(window.controls);
    addAlbumPage(window.controls);

    window.menu = {
        {utf8("shuoshuocaidan"), 0, true},
        {utf8("另存为"), 1, false, "mood.saveAs"},
        {utf8("复制说说"), 1, false, "mood.copy"},
        {utf8("删除说说"), 1, false, "mood.remove"},
        {utf8("清空说说列表"), 1, false, "mood.clear"},
        {utf8("rizhicaidan"), 0, true},
        {utf8("复制标题"), 1, false, "blog.copyTitle"},
        {utf8("删除日志"), 1, false, "blog.remove"},
        {utf8("清空日志列表"), 1, false, "blog.clear"},
        {utf8("全部下载"), 1, false, "blog.downloadAll"},
        {utf8("菜单"), 0, false},
        {utf8("还原"), 1, false, "window.restore"},
        {utf8("关闭"), 1, false, "window.close"},
        {utf8("关于"), 1, false, "window.about"},
        {utf8("访问官网"), 1, false, "window.visitSite"},
        {utf8("xiazaixiangce"), 0, true},
        {utf8("开始下载"), 1, false, "album.download"},
    };
    return window;
}

} // namespace qzb
