#pragma once

#include "qzone/albums.h"
#include "ui/page.h"

class QComboBox;
class QLabel;

namespace qzb {

// The third page, "下载相册": lists an account's albums and saves the photos of one.
class AlbumPage : public Page {
    Q_OBJECT
public:
    AlbumPage(QWidget* window, const ControlMap& controls, UserDialogs& dialogs);

    void fetchList();
    void chooseFolder();
    // Saves the photos of the selected album into a folder named in the name
    // box (the album's name unless the user typed another) inside the save folder.
    void downloadAlbum();

private:
    void showAlbums();
    void nameAfterSelection();
    void savePhotos(const AlbumEntry& album, const std::string& folder, const std::string& name);

    QLineEdit* m_account;
    QComboBox* m_name;
    QLineEdit* m_folder;
    QTableWidget* m_list;
    QLabel* m_count;
    std::string m_listedAccount;
    std::optional<AlbumRoute> m_route;
    std::vector<AlbumEntry> m_albums;
};

} // namespace qzb
