#pragma once

#include <QByteArray>

// The program's pictures, drawn by make_pictures and embedded by the qzb_res library.
namespace qzb {

inline constexpr char kAppIconResource[] = ":/res/app_icon.ico";
inline constexpr char kAppIconPngResource[] = ":/res/app_icon.png";
// 88 x 31, 10 frames, looping forever.
inline constexpr char kBannerResource[] = ":/res/banner.gif";
// 82 x 198.
inline constexpr char kAboutPictureResource[] = ":/res/about.jpg";

// The icon as a whole icon file (one 48 x 48 image with alpha), as the notification area takes it.
[[nodiscard]] QByteArray appIconFile();

} // namespace qzb
