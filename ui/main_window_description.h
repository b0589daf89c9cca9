#pragma once

#include "ui/form_model.h"

namespace qzb {

// The pre-filled account number of the three number boxes.
inline constexpr char kDefaultAccount[] = "123456789";

// The maker's web address: "http://" and the site host.
[[nodiscard]] QString siteAddress();

[[nodiscard]] WindowDescription mainWindowDescription();

} // namespace qzb
