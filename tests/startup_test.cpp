#include "app/startup.h"

#include "app/skin_deployment.h"
#include "application_environment.h"
#include "res/embedded_skins.h"
#include "scripted_dialogs.h"
#include "store/file_writer.h"
#include "temp_folder.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QTabWidget>

namespace qzb {
namespace {

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QApplication>);

class StartupTest : public ::testing::Test {
protected:
    [[nodiscard]] std::string base() const { return toPathText(m_temp.path()); }

    TempFolder m_temp;
    ScriptedDialogs m_dialogs;
};

TEST_F(StartupTest, AFirstStartWritesTheSkinsAndTheEngineAndMakesTheWindow) {
    qApp->setStyleSheet(QString());
    LateBoundEngine engine(base());
    StartupResult started = startProgram(base(), engine, m_dialogs);
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<MainWindow>>(started));
    const auto& window = std::get<std::unique_ptr<MainWindow>>(started);
    EXPECT_EQ(qobject_cast<QTabWidget*>(window->control(QStringLiteral("xuanzejia")))->currentIndex(), 0);
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
    EXPECT_TRUE(engine.isBound());

    std::vector<std::string> expected{"SkinH_EL.dll"};
    for (int number : skinNumbers())
        expected.push_back("zqpak/" + std::to_string(number) + ".she");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesBelow(m_temp.path()), expected);
    const QByteArray engineBytes = embeddedEngine();
    EXPECT_EQ(readBytes(m_temp.path() / "SkinH_EL.dll"),
              std::string(engineBytes.constData(), engineBytes.size()));
    for (int number : {1, 26, 28, 96}) {
        const QByteArray skin = embeddedSkin(number);
        EXPECT_EQ(readBytes(m_temp.path() / "zqpak" / (std::to_string(number) + ".she")),
                  std::string(skin.constData(), skin.size()));
    }
}

TEST_F(StartupTest, ASecondStartFindsEverythingInPlace) {
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        LateBoundEngine engine(base());
        StartupResult started = startProgram(base(), engine, m_dialogs);
        EXPECT_TRUE(std::holds_alternative<std::unique_ptr<MainWindow>>(started));
    }
    EXPECT_EQ(filesBelow(m_temp.path()).size(), 96u);
}

TEST_F(StartupTest, AnEngineThatCanBeNeitherWrittenNorFoundIsFatal) {
    std::filesystem::create_directory(m_temp.path() / "SkinH_EL.dll");
    LateBoundEngine engine(base());
    StartupResult started = startProgram(base(), engine, m_dialogs);
    ASSERT_TRUE(std::holds_alternative<StartupFailure>(started));
    const QString message = std::get<StartupFailure>(started).message;
    EXPECT_TRUE(message.contains(QStringLiteral("SkinH_EL.dll")));
    EXPECT_TRUE(message.contains(QStringLiteral("SkinH_AttachEx")));
}

} // namespace
} // namespace qzb
