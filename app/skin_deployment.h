#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The skin engine and its skins travel inside the program. At start they are written next to
// it, and the engine, which did not exist when the program started, is bound by name at its
// first call. Base directories are path texts (GBK, "\" between folders, no trailing "\").
namespace qzb {

inline constexpr std::string_view kEngineLibrary = "SkinH_EL.dll";
inline constexpr std::string_view kAttachFunction = "SkinH_AttachEx";

// The skin applied when the user has put no skin of their own in place.
inline constexpr int kDefaultSkin = 1;
// Skin numbers the program never writes: the user's own skin, and one being tried out,
// which wins over the own skin while it is there.
inline constexpr int kOwnSkin = 97;
inline constexpr int kTrialSkin = 98;

// The numbers of the skins the program carries: 1 to 26 and 28 to 96.
[[nodiscard]] std::vector<int> skinNumbers();

[[nodiscard]] std::string skinFolderPathText(std::string_view base);
// Directly in the base directory, where the search for the engine looks first.
[[nodiscard]] std::string engineFilePathText(std::string_view base);
[[nodiscard]] std::string skinFilePathText(std::string_view base, int number);

struct DeploymentReport {
    bool folderMade = false;
    int filesWritten = 0;
    int filesFailed = 0;
};

// Makes the skin folder, then writes the engine and the carried skins, each file whole; a file
// that cannot be written (say, the engine held by another running copy) counts as failed and the
// others are still written. Shows nothing.
DeploymentReport deploySkins(std::string_view base);

// Which skin to apply: the trial skin if its file is a valid skin, else the own skin if its file
// is, else the default skin.
[[nodiscard]] int chooseSkin(std::string_view base);

// Why the engine could not be bound; for start-up this is fatal.
struct BindFailure {
    std::string library;
    std::string function;
    std::string reason;
};

// SkinH_AttachEx's answer (0: applied), or why it could not be called.
using AttachResult = std::variant<int, BindFailure>;

// The engine, bound by name at the first call: first "SkinH_EL.dll" in the program's directory,
// then the system's own library search. Once bound, it stays loaded until this object goes.
class LateBoundEngine {
public:
    explicit LateBoundEngine(std::string programDirectory);
    ~LateBoundEngine();
    LateBoundEngine(const LateBoundEngine&) = delete;
    LateBoundEngine& operator=(const LateBoundEngine&) = delete;

    // Binds if not bound yet; nothing when bound.
    [[nodiscard]] std::optional<BindFailure> bind();
    [[nodiscard]] bool isBound() const { return m_attach != nullptr; }

    // skinPath is a UTF-8 file-system path; the engine ignores the password.
    [[nodiscard]] AttachResult attachEx(const char* skinPath, const char* password);

private:
    struct LibraryCloser {
        void operator()(void* library) const;
    };
    using AttachFunction = int (*)(const char*, const char*);

    std::string m_programDirectory;
    std::unique_ptr<void, LibraryCloser> m_library;
    AttachFunction m_attach = nullptr;
};

// Asks the engine to apply skin `number` from the skin folder under `base`.
[[nodiscard]] AttachResult applySkin(LateBoundEngine& engine, std::string_view base, int number);

} // namespace qzb
