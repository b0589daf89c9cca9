#include "ui/album_page.h"

#include "qzone/photos.h"
#include "store/file_writer.h"
#include "store/photo_files.h"
#include "ui/qt_text.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <filesystem>

namespace qzb {

AlbumPage::AlbumPage(QWidget* window, const ControlMap& controls, UserDialogs& dialogs)
    : Page(window, controls, dialogs), m_account(control<QLineEdit>("haoma3")),
      m_name(control<QComboBox>("组合框1")), m_folder(control<QLineEdit>("bianjikuang2")),
      m_list(control<QTableWidget>("超级列表框1")), m_count(control<QLabel>("标签_8")) {
    setButtons({control<QPushButton>("anniu3"), control<QPushButton>("xiazaianniu1"),
                control<QPushButton>("xiazaianniu2")});
    connect(m_list, &QTableWidget::itemSelectionChanged, this, &AlbumPage::nameAfterSelection);
}

void AlbumPage::fetchList() {
    runCommand([this] {
        const auto account = accountFrom(m_account);
        if (!account)
            return;
        m_albums.clear();
        m_route.reset();
        showAlbums();
        m_count->clear();
        AlbumList list = listAlbums(*account);
        m_listedAccount = *account;
        m_route = list.route;
        m_albums = std::move(list.entries);
        showAlbums();
        if (!list.route || !list.answered) {
            tell(uiText("提示"), uiText("无法读取相册列表：连接服务器失败，或这个空间的相册不允许访问。"),
                 UserDialogs::Icon::Warning);
            return;
        }
        tellGbk(albumCountTitle(), albumCountMessage(m_albums.size()));
    });
}

void AlbumPage::chooseFolder() {
    runCommand([this] {
        const QString folder = m_dialogs.chooseFolder(m_window, uiText("请选择保存相册的目录"));
        if (!folder.isEmpty())
            m_folder->setText(QDir::toNativeSeparators(folder));
    });
}

void AlbumPage::downloadAlbum() {
    runCommand([this] {
        const auto row = selectedRow(m_list);
        if (!row || !m_route) {
            tell(uiText("提示"), toQString(noAlbumChosenText()));
            return;
        }
        const QString folder = m_folder->text().trimmed();
        if (folder.isEmpty()) {
            tell(uiText("提示"), uiText("请先选择保存目录。"));
            return;
        }
        const AlbumEntry album = m_albums[static_cast<std::size_t>(*row)];
        const QString typedName = m_name->currentText().trimmed();
        const std::string name = typedName.isEmpty() ? album.name : toGbk(typedName);
        savePhotos(album, toPathText(std::filesystem::path(folder.toStdString())), name);
    });
}

void AlbumPage::savePhotos(const AlbumEntry& album, const std::string& folder, const std::string& name) {
    const QString place = toQString(photoFolder(folder, name)).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!preparePhotoFolder(folder, name)) {
        tell(uiText("提示"), uiText("无法创建文件夹：%1").arg(place), UserDialogs::Icon::Critical);
        return;
    }
    m_count->setText(toQString(photoDownloadingText()));
    letEventsRun();
    const PhotoDownload outcome = downloadAlbumPhotos(
        m_listedAccount, *m_route, album,
        [&](int number, std::string_view bytes) { return savePhoto(folder, name, number, bytes); },
        [](int, int) { letEventsRun(); }, [this] { return stopRequested(); });
    m_count->setText(QString::number(m_albums.size()));
    if (outcome.stopped)
        return;
    if (!outcome.listRead && outcome.listed == 0) {
        tell(uiText("下载完成"), uiText("无法读取这个相册的照片列表：连接服务器失败，或相册不允许访问。"),
             UserDialogs::Icon::Warning);
        return;
    }
    QString text = uiText("下载完成！共保存 %1 张照片到：\n%2").arg(outcome.saved).arg(place);
    if (outcome.failed > 0)
        text += uiText("\n有 %1 张照片未能保存。").arg(outcome.failed);
    if (!outcome.listRead)
        text += uiText("\n照片列表没有读完整，相册里可能还有别的照片。");
    const bool allWell = outcome.failed == 0 && outcome.listRead;
    tell(uiText("下载完成"), text, allWell ? UserDialogs::Icon::Information : UserDialogs::Icon::Warning);
}

void AlbumPage::showAlbums() {
    std::vector<QStringList> rows;
    rows.reserve(m_albums.size());
    m_name->clear();
    for (const AlbumEntry& album : m_albums) {
        rows.push_back({toQString(album.name), toQString(album.total), toQString(album.id)});
        m_name->addItem(toQString(album.name));
    }
    m_name->setCurrentIndex(-1);
    m_name->clearEditText();
    setRows(m_list, rows);
    m_count->setText(QString::number(m_albums.size()));
}

void AlbumPage::nameAfterSelection() {
    if (const auto row = selectedRow(m_list))
        m_name->setEditText(toQString(m_albums[static_cast<std::size_t>(*row)].name));
}

} // namespace qzb
