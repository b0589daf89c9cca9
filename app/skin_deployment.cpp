#include "app/skin_deployment.h"

#include "res/embedded_skins.h"
#include "res/skin_format.h"
#include "store/file_writer.h"

#include <QFile>

#include <dlfcn.h>

#include <utility>

namespace qzb {
namespace {

std::string_view asView(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

void count(DeploymentReport& report, bool written) {
    if (written)
        ++report.filesWritten;
    else
        ++report.filesFailed;
}

bool isValidSkinFile(std::string_view pathText) {
    QFile file(QString::fromStdString(toFileSystemPath(pathText).string()));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSkinFileBytes)
        return false;
    return decodeSkin(file.readAll()).has_value();
}

std::string lastLoaderError() {
    const char* error = ::dlerror();
    return error != nullptr ? error : "unknown error";
}

} // namespace

std::vector<int> skinNumbers() {
    std::vector<int> numbers;
    for (int number = 1; number <= 96; ++number) {
        if (number != 27)
            numbers.push_back(number);
    }
    return numbers;
}

std::string skinFolderPathText(std::string_view base) {
    return std::string(base) + "\\zqpak";
}

std::string engineFilePathText(std::string_view base) {
    return std::string(base) + "\\" + std::string(kEngineLibrary);
}

std::string skinFilePathText(std::string_view base, int number) {
    return skinFolderPathText(base) + "\\" + std::to_string(number) + ".she";
}

DeploymentReport deploySkins(std::string_view base) {
    DeploymentReport report;
    report.folderMade = makeFolder(skinFolderPathText(base));
    const QByteArray engine = embeddedEngine();
    count(report, !engine.isEmpty() && writeWholeFile(engineFilePathText(base), asView(engine)));
    for (int number : skinNumbers()) {
        const QByteArray skin = embeddedSkin(number);
        count(report, !skin.isEmpty() && writeWholeFile(skinFilePathText(base, number), asView(skin)));
    }
    return report;
}

int chooseSkin(std::string_view base) {
    for (int number : {kTrialSkin, kOwnSkin}) {
        if (isValidSkinFile(skinFilePathText(base, number)))
            return number;
    }
    return kDefaultSkin;
}

void LateBoundEngine::LibraryCloser::operator()(void* library) const {
    ::dlclose(library);
}

LateBoundEngine::LateBoundEngine(std::string programDirectory)
    : m_programDirectory(std::move(programDirectory)) {}

LateBoundEngine::~LateBoundEngine() = default;

std::optional<BindFailure> LateBoundEngine::bind() {
    if (isBound())
        return std::nullopt;
    const std::string besideProgram = toFileSystemPath(engineFilePathText(m_programDirectory)).string();
    std::unique_ptr<void, LibraryCloser> library(::dlopen(besideProgram.c_str(), RTLD_NOW | RTLD_LOCAL));
    std::string reason;
    if (!library) {
        reason = lastLoaderError();
        const std::string name(kEngineLibrary);
        library.reset(::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL));
        if (!library)
            reason += "; " + lastLoaderError();
    }
    if (!library)
        return BindFailure{std::string(kEngineLibrary), std::string(kAttachFunction), reason};

    ::dlerror();
    void* function = ::dlsym(library.get(), std::string(kAttachFunction).c_str());
    if (function == nullptr)
        return BindFailure{std::string(kEngineLibrary), std::string(kAttachFunction), lastLoaderError()};

    m_library = std::move(library);
    m_attach = reinterpret_cast<AttachFunction>(function);
    return std::nullopt;
}

AttachResult LateBoundEngine::attachEx(const char* skinPath, const char* password) {
    if (std::optional<BindFailure> failure = bind())
        return *std::move(failure);
    return m_attach(skinPath, password);
}

AttachResult applySkin(LateBoundEngine& engine, std::string_view base, int number) {
    const std::string skinPath = toFileSystemPath(skinFilePathText(base, number)).string();
    return engine.attachEx(skinPath.c_str(), "");
}

} // namespace qzb
