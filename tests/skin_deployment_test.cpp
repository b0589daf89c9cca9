#include "app/skin_deployment.h"
#include "net/text_encoding.h"
#include "res/pictures.h"
#include "res/skins/skin_palettes.h"
#include "store/file_writer.h"

#include "application_environment.h"
#include "temp_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMovie>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <variant>

namespace qzb {
namespace {

namespace fs = std::filesystem;

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QApplication>);

QByteArray resource(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray embeddedSkinFile(int number) {
    return resource(QStringLiteral(":/skins/%1.she").arg(number));
}

std::string toStd(const QByteArray& bytes) {
    return bytes.toStdString();
}

// The style sheet inside a skin file, unpacked here by hand rather than through the program's
// own reader, so that the tests hold the format itself.
QString unpackedStyleSheet(const QByteArray& skinFile) {
    if (!skinFile.startsWith(".SHE"))
        return {};
    return QString::fromUtf8(qUncompress(skinFile.mid(4)));
}

void writeFile(const fs::path& file, const QByteArray& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
}

// Collects what Qt warns about while it lives.
class WarningCollector {
public:
    WarningCollector() {
        s_warnings.clear();
        m_previous = qInstallMessageHandler(&collect);
    }
    ~WarningCollector() { qInstallMessageHandler(m_previous); }
    WarningCollector(const WarningCollector&) = delete;
    WarningCollector& operator=(const WarningCollector&) = delete;

    [[nodiscard]] const QStringList& warnings() const { return s_warnings; }

private:
    static void collect(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg)
            s_warnings.append(message);
    }

    static inline QStringList s_warnings;
    QtMessageHandler m_previous = nullptr;
};

// A window with every kind of control the skins dress, rendered once so that the style sheet
// is parsed and applied to each of them.
void renderSampleWindow() {
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("菜单"))->addAction(QStringLiteral("关于"));
    auto* tabs = new QTabWidget;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(QStringLiteral("获取日志"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(new QLineEdit(QStringLiteral("10001")));
    auto* combo = new QComboBox;
    combo->addItems({QStringLiteral("网页格式"), QStringLiteral("文本格式")});
    groupLayout->addWidget(combo);
    groupLayout->addWidget(new QPushButton(QStringLiteral("获取日志列表")));
    layout->addWidget(group);
    layout->addWidget(new QLabel(QStringLiteral("共 3 篇")));
    auto* table = new QTableWidget(3, 3);
    table->setHorizontalHeaderLabels({QStringLiteral("序号"), QStringLiteral("标题"), QStringLiteral("ID")});
    layout->addWidget(table);
    tabs->addTab(page, QStringLiteral("下载日志"));
    tabs->addTab(new QWidget, QStringLiteral("下载说说"));
    window.setCentralWidget(tabs);
    window.resize(391, 463);
    static_cast<void>(window.grab());
}

double channelLight(unsigned value) {
    double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(SkinColour colour) {
    return 0.2126 * channelLight(colour >> 16 & 0xFF) + 0.7152 * channelLight(colour >> 8 & 0xFF) +
           0.0722 * channelLight(colour & 0xFF);
}

double contrast(SkinColour a, SkinColour b) {
    double la = luminance(a);
    double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::vector<std::string> expectedDeployedFiles() {
    std::vector<std::string> files{"SkinH_EL.dll"};
    for (int number = 1; number <= 96; ++number) {
        if (number != 27)
            files.push_back("zqpak/" + std::to_string(number) + ".she");
    }
    std::sort(files.begin(), files.end());
    return files;
}

void expectDeployedFilesEqualEmbedded(const fs::path& base) {
    EXPECT_EQ(filesBelow(base), expectedDeployedFiles());
    const QByteArray engine = resource(QStringLiteral(":/skins/SkinH_EL.dll"));
    ASSERT_TRUE(engine.startsWith("\x7f"
                                  "ELF"));
    EXPECT_TRUE(readBytes(base / "SkinH_EL.dll") == toStd(engine));
    for (int number : skinNumbers()) {
        const QByteArray skin = embeddedSkinFile(number);
        ASSERT_FALSE(skin.isEmpty()) << number;
        EXPECT_TRUE(readBytes(base / "zqpak" / (std::to_string(number) + ".she")) == toStd(skin)) << number;
    }
}

class SkinDeploymentTest : public ::testing::Test {
protected:
    void SetUp() override { qApp->setStyleSheet(QString()); }
    void TearDown() override { qApp->setStyleSheet(QString()); }

    TempFolder m_folder;
    std::string m_base = toPathText(m_folder.path());
};

TEST(SkinNumbers, AreOneToNinetySixWithoutTwentySeven) {
    std::vector<int> numbers = skinNumbers();
    ASSERT_EQ(numbers.size(), 95u);
    EXPECT_EQ(numbers.front(), 1);
    EXPECT_EQ(numbers.back(), 96);
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), 27), 0);
}

TEST(SkinPaths, HangBelowTheBaseWithBackslashes) {
    const std::string base = gbk("D:\\工具");
    EXPECT_EQ(skinFolderPathText(base), gbk("D:\\工具\\zqpak"));
    EXPECT_EQ(engineFilePathText(base), gbk("D:\\工具\\SkinH_EL.dll"));
    EXPECT_EQ(skinFilePathText(base, 53), gbk("D:\\工具\\zqpak\\53.she"));
}

TEST_F(SkinDeploymentTest, FirstDeploymentWritesTheEngineAndEverySkin) {
    DeploymentReport report = deploySkins(m_base);

    EXPECT_TRUE(report.folderMade);
    EXPECT_EQ(report.filesWritten, 96);
    EXPECT_EQ(report.filesFailed, 0);
    expectDeployedFilesEqualEmbedded(m_folder.path());
}

TEST_F(SkinDeploymentTest, SecondDeploymentSucceedsAndLeavesTheSameFiles) {
    ASSERT_EQ(deploySkins(m_base).filesFailed, 0);
    writeFile(m_folder.path() / "zqpak" / "5.she", "changed by hand");

    DeploymentReport report = deploySkins(m_base);

    EXPECT_TRUE(report.folderMade);
    EXPECT_EQ(report.filesWritten, 96);
    EXPECT_EQ(report.filesFailed, 0);
    expectDeployedFilesEqualEmbedded(m_folder.path());
}

TEST_F(SkinDeploymentTest, DeploysBelowABaseWithChineseCharacters) {
    const fs::path base = m_folder.path() / "墨枢 备份";
    DeploymentReport report = deploySkins(toPathText(base));

    EXPECT_TRUE(report.folderMade);
    EXPECT_EQ(report.filesFailed, 0);
    expectDeployedFilesEqualEmbedded(base);
}

TEST_F(SkinDeploymentTest, LeavesTheUsersOwnSkinsAlone) {
    fs::create_directories(m_folder.path() / "zqpak");
    writeFile(m_folder.path() / "zqpak" / "97.she", embeddedSkinFile(40));

    ASSERT_EQ(deploySkins(m_base).filesFailed, 0);

    EXPECT_TRUE(readBytes(m_folder.path() / "zqpak" / "97.she") == toStd(embeddedSkinFile(40)));
    EXPECT_FALSE(fs::exists(m_folder.path() / "zqpak" / "98.she"));
}

TEST_F(SkinDeploymentTest, EngineBoundFromTheProgramDirectoryAppliesSkins) {
    ASSERT_EQ(deploySkins(m_base).filesFailed, 0);
    LateBoundEngine engine(m_base);
    EXPECT_FALSE(engine.isBound());

    AttachResult first = applySkin(engine, m_base, 50);
    ASSERT_TRUE(std::holds_alternative<int>(first));
    EXPECT_EQ(std::get<int>(first), 0);
    EXPECT_TRUE(engine.isBound());
    EXPECT_EQ(qApp->styleSheet(), unpackedStyleSheet(embeddedSkinFile(50)));

    AttachResult second = applySkin(engine, m_base, 1);
    ASSERT_TRUE(std::holds_alternative<int>(second));
    EXPECT_EQ(std::get<int>(second), 0);
    EXPECT_EQ(qApp->styleSheet(), unpackedStyleSheet(embeddedSkinFile(1)));
}

TEST_F(SkinDeploymentTest, EngineRefusesFilesThatAreNotSkins) {
    ASSERT_EQ(deploySkins(m_base).filesFailed, 0);
    LateBoundEngine engine(m_base);
    ASSERT_TRUE(std::holds_alternative<int>(applySkin(engine, m_base, 1)));
    const QString applied = qApp->styleSheet();
    ASSERT_FALSE(applied.isEmpty());

    QByteArray wrongMagic = embeddedSkinFile(2);
    wrongMagic[1] = 'X';
    writeFile(m_folder.path() / "zqpak" / "97.she", wrongMagic);
    AttachResult refused = applySkin(engine, m_base, 97);
    ASSERT_TRUE(std::holds_alternative<int>(refused));
    EXPECT_NE(std::get<int>(refused), 0);
    EXPECT_EQ(qApp->styleSheet(), applied);

    QByteArray damaged = embeddedSkinFile(2).left(4) + QByteArray(40, '\x5A');
    writeFile(m_folder.path() / "zqpak" / "97.she", damaged);
    AttachResult undecodable = applySkin(engine, m_base, 97);
    ASSERT_TRUE(std::holds_alternative<int>(undecodable));
    EXPECT_NE(std::get<int>(undecodable), 0);
    EXPECT_EQ(qApp->styleSheet(), applied);

    AttachResult missing = applySkin(engine, m_base, 98);
    ASSERT_TRUE(std::holds_alternative<int>(missing));
    EXPECT_NE(std::get<int>(missing), 0);
    EXPECT_EQ(qApp->styleSheet(), applied);
}

TEST_F(SkinDeploymentTest, MissingEngineIsABindFailureNamingLibraryAndFunction) {
    // A folder in the engine's place: the write fails and nothing loadable is there.
    fs::create_directories(m_folder.path() / "SkinH_EL.dll");
    DeploymentReport report = deploySkins(m_base);
    EXPECT_EQ(report.filesFailed, 1);
    EXPECT_EQ(report.filesWritten, 95);

    LateBoundEngine engine(m_base);
    AttachResult result = applySkin(engine, m_base, 1);

    ASSERT_TRUE(std::holds_alternative<BindFailure>(result));
    const BindFailure& failure = std::get<BindFailure>(result);
    EXPECT_EQ(failure.library, "SkinH_EL.dll");
    EXPECT_EQ(failure.function, "SkinH_AttachEx");
    EXPECT_FALSE(failure.reason.empty());
    EXPECT_FALSE(engine.isBound());
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST_F(SkinDeploymentTest, EngineWithoutTheFunctionIsABindFailure) {
    ASSERT_EQ(deploySkins(m_base).filesFailed, 0);
    fs::copy_file(QZB_ENGINE_WITHOUT_ATTACH, m_folder.path() / "SkinH_EL.dll",
                  fs::copy_options::overwrite_existing);

    LateBoundEngine engine(m_base);
    std::optional<BindFailure> failure = engine.bind();

    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->library, "SkinH_EL.dll");
    EXPECT_EQ(failure->function, "SkinH_AttachEx");
    EXPECT_NE(failure->reason.find("SkinH_AttachEx"), std::string::npos) << failure->reason;
    EXPECT_FALSE(engine.isBound());
}

TEST_F(SkinDeploymentTest, ChoosesTheDefaultSkinWithoutSkinsOfTheUser) {
    EXPECT_EQ(chooseSkin(m_base), kDefaultSkin);
    ASSERT_EQ(deploySkins(m_base).filesFailed, 0);
    EXPECT_EQ(chooseSkin(m_base), kDefaultSkin);
}

TEST_F(SkinDeploymentTest, ChoosesTheUsersOwnSkinWhenItIsValid) {
    ASSERT_EQ(deploySkins(m_base).filesFailed, 0);
    const fs::path own = m_folder.path() / "zqpak" / "97.she";

    writeFile(own, "a picture, not a skin");
    EXPECT_EQ(chooseSkin(m_base), kDefaultSkin);

    writeFile(own, embeddedSkinFile(60));
    EXPECT_EQ(chooseSkin(m_base), kOwnSkin);

    LateBoundEngine engine(m_base);
    AttachResult result = applySkin(engine, m_base, chooseSkin(m_base));
    ASSERT_TRUE(std::holds_alternative<int>(result));
    EXPECT_EQ(std::get<int>(result), 0);
    EXPECT_EQ(qApp->styleSheet(), unpackedStyleSheet(embeddedSkinFile(60)));
}

TEST_F(SkinDeploymentTest, TrialSkinWinsOverTheOwnSkinWhileItIsValid) {
    ASSERT_EQ(deploySkins(m_base).filesFailed, 0);
    writeFile(m_folder.path() / "zqpak" / "97.she", embeddedSkinFile(60));
    const fs::path trial = m_folder.path() / "zqpak" / "98.she";

    writeFile(trial, QByteArray());
    EXPECT_EQ(chooseSkin(m_base), kOwnSkin);

    writeFile(trial, embeddedSkinFile(70));
    EXPECT_EQ(chooseSkin(m_base), kTrialSkin);
}

TEST(EmbeddedSkins, DecodeToDistinctStyleSheets) {
    QSet<QString> sheets;
    for (int number : skinNumbers()) {
        const QByteArray skin = embeddedSkinFile(number);
        ASSERT_TRUE(skin.startsWith(".SHE")) << number;
        const QString sheet = unpackedStyleSheet(skin);
        EXPECT_FALSE(sheet.trimmed().isEmpty()) << number;
        EXPECT_LT(sheet.toUtf8().size(), 4096) << number;
        sheets.insert(sheet);
    }
    EXPECT_EQ(sheets.size(), 95);
}

TEST(EmbeddedSkins, BrokenStyleSheetDrawsAWarning) {
    WarningCollector collector;
    qApp->setStyleSheet(QStringLiteral("QPushButton { color: #123456; "));
    renderSampleWindow();
    qApp->setStyleSheet(QString());
    EXPECT_FALSE(collector.warnings().isEmpty());
}

TEST(EmbeddedSkins, QtAppliesEverySkinWithoutAWarning) {
    for (int number : skinNumbers()) {
        WarningCollector collector;
        qApp->setStyleSheet(unpackedStyleSheet(embeddedSkinFile(number)));
        renderSampleWindow();
        EXPECT_TRUE(collector.warnings().isEmpty())
            << "skin " << number << ": " << collector.warnings().join(QLatin1Char('\n')).toStdString();
    }
    qApp->setStyleSheet(QString());
}

TEST(SkinPalettes, AreNumberedLikeTheSkins) {
    std::vector<int> numbers;
    for (const SkinPalette& palette : kSkinPalettes)
        numbers.push_back(palette.number);
    EXPECT_EQ(numbers, skinNumbers());
}

TEST(SkinPalettes, KeepEveryTextReadable) {
    constexpr double kReadable = 4.5;
    for (const SkinPalette& p : kSkinPalettes) {
        SCOPED_TRACE(p.name);
        EXPECT_GE(contrast(p.windowText, p.window), kReadable);
        EXPECT_GE(contrast(p.buttonText, p.button), kReadable);
        EXPECT_GE(contrast(p.highlightText, p.highlight), kReadable);
        EXPECT_GE(contrast(p.tabText, p.tab), kReadable);
        EXPECT_GE(contrast(p.windowText, p.window), kReadable);
        EXPECT_GE(contrast(p.text, p.base), kReadable);
        EXPECT_GE(contrast(p.text, p.alternateBase), kReadable);
        EXPECT_GE(contrast(p.headerText, p.header), kReadable);
        // Labels keep their own colours: black, and red for counts.
        EXPECT_GE(contrast(0x000000, p.window), 7.0);
        EXPECT_GE(contrast(0xFF0000, p.window), 3.0);
    }
}

TEST(Pictures, BannerIsALoopingGifOfTenFrames) {
    QImageReader reader(QString::fromLatin1(kBannerResource));
    EXPECT_EQ(reader.format(), "gif");
    EXPECT_EQ(reader.size(), QSize(88, 31));
    EXPECT_EQ(reader.imageCount(), 10);
    EXPECT_EQ(reader.loopCount(), -1);
    int frames = 0;
    while (reader.canRead()) {
        EXPECT_EQ(reader.nextImageDelay(), 100);
        QImage frame = reader.read();
        if (frame.isNull())
            break;
        EXPECT_EQ(frame.size(), QSize(88, 31));
        ++frames;
    }
    EXPECT_EQ(frames, 10);

    QMovie movie(QString::fromLatin1(kBannerResource));
    EXPECT_TRUE(movie.isValid());
    EXPECT_EQ(movie.frameCount(), 10);
    EXPECT_EQ(movie.loopCount(), -1);
}

TEST(Pictures, IconIsOne48By48ImageWithAlpha) {
    const QByteArray file = appIconFile();
    ASSERT_GE(file.size(), 22);
    EXPECT_EQ(file[4], 1); // one image
    EXPECT_EQ(static_cast<unsigned char>(file[6 + 0]), 48u);
    EXPECT_EQ(static_cast<unsigned char>(file[6 + 1]), 48u);
    EXPECT_EQ(file[6 + 6], 32); // bits per pixel

    QImage icon = QImage::fromData(file, "ICO");
    EXPECT_EQ(icon.size(), QSize(48, 48));
    EXPECT_TRUE(icon.hasAlphaChannel());
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(24, 24)), 255);

    QImage png(QString::fromLatin1(kAppIconPngResource));
    EXPECT_EQ(png.convertToFormat(QImage::Format_ARGB32), icon.convertToFormat(QImage::Format_ARGB32));
}

TEST(Pictures, AboutPictureIs82By198) {
    QImageReader reader(QString::fromLatin1(kAboutPictureResource));
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.read().size(), QSize(82, 198));
}

} // namespace
} // namespace qzb
