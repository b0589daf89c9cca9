#pragma once

#include <QByteArray>

// The skin engine library and the skin files that the program carries inside itself
// (the qzb_skins library embeds them as resources under ":/skins").
namespace qzb {

// The bytes of the engine library, which the program writes to disk as "SkinH_EL.dll".
[[nodiscard]] QByteArray embeddedEngine();

// The bytes of skin file `number`; empty when the program carries no skin of that number.
[[nodiscard]] QByteArray embeddedSkin(int number);

} // namespace qzb
