#include "app/update_check.h"

#include "application_environment.h"
#include "net/text_encoding.h"
#include "scripted_dialogs.h"
#include "service_fixture.h"
#include "ui/qt_text.h"

#include <QApplication>

namespace qzb {
namespace {

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QApplication>);

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

TEST(UpdatePage, FieldsAreTheShortestTextsBetweenTheirMarkers) {
    const std::string page =
        gbk("<p>左边【版本号：V1.2】右边</p><p>更新内容左边【新功能\r\n修复】更新内容右边</p>"
            "<p>更新地址左边【http://x.example/d.zip】更新地址右边</p>");
    const UpdatePage fields = parseUpdatePage(page);
    EXPECT_EQ(fields.version, gbk("版本号：V1.2"));
    EXPECT_EQ(fields.whatsNew, gbk("新功能\r\n修复"));
    EXPECT_EQ(fields.downloadAddress, "http://x.example/d.zip");
    EXPECT_EQ(updatePageUrl(),
              "http://moshu.example/moshuQQkongjianbbeifengongjugengxin/QQrizhibeifeng.html");
}

TEST(UpdatePage, OnlyTheProgramsOwnVersionIsUpToDate) {
    struct Case {
        const char* name;
        bool read;
        std::string version;
        UpdateOutcome outcome;
    };
    const Case cases[] = {
        {"own version", true, gbk("版本号：V1.1"), UpdateOutcome::UpToDate},
        {"newer version", true, gbk("版本号：V1.2"), UpdateOutcome::NewerVersion},
        {"a blank inside the marker", true, gbk(" 版本号：V1.1"), UpdateOutcome::NewerVersion},
        {"no version markers", true, "", UpdateOutcome::ServerUnreachable},
        {"not read", false, gbk("版本号：V1.1"), UpdateOutcome::ServerUnreachable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(judgeUpdate(c.read, {c.version, "", ""}), c.outcome);
    }
}

class UpdateCheckTest : public ServiceTest {
protected:
    ScriptedDialogs m_dialogs;
};

TEST_F(UpdateCheckTest, TheRunningVersionNeedsNoUpdate) {
    useOptions({.updateVersion = "版本号：V1.1"});
    checkForUpdate(nullptr, m_dialogs);
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_EQ(m_dialogs.lastTitle(), utf8("更新提示"));
    EXPECT_EQ(m_dialogs.lastText(), utf8("当前是最新版本！无需更新"));
    EXPECT_EQ(m_service.requests().at(0).target, updatePageUrl());
}

TEST_F(UpdateCheckTest, ANewerVersionIsOfferedAndYesOpensItsAddress) {
    useOptions({.updateVersion = "版本号：V1.2"});
    for (bool yes : {false, true}) {
        m_dialogs.answerYes = yes;
        checkForUpdate(nullptr, m_dialogs);
        EXPECT_EQ(m_dialogs.messages.back().icon, UserDialogs::Icon::Question);
        EXPECT_EQ(m_dialogs.lastTitle(), utf8("更新提示"));
        EXPECT_EQ(m_dialogs.lastText(),
                  utf8("发现最新版本！是否更新\r\n\r\n") + utf8(sample::kSampleWhatsNew.data()));
    }
    ASSERT_EQ(m_dialogs.opened.size(), 1u);
    EXPECT_EQ(m_dialogs.opened[0], QUrl(utf8(sample::kSampleDownloadUrl.data())));
}

TEST_F(UpdateCheckTest, AnUnreadablePageMeansTheServerCouldNotBeReached) {
    const sample::Fault faults[] = {
        {.targetContains = "QQrizhibeifeng", .kind = sample::FaultKind::Status, .status = 404},
        {.targetContains = "QQrizhibeifeng", .kind = sample::FaultKind::EmptyBody},
        {.targetContains = "QQrizhibeifeng", .kind = sample::FaultKind::CloseMidBody},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(static_cast<int>(fault.kind));
        useOptions({.faults = {fault}});
        checkForUpdate(nullptr, m_dialogs);
        EXPECT_EQ(m_dialogs.lastText(), utf8("连接服务器失败！"));
    }
    m_service.stop();
    checkForUpdate(nullptr, m_dialogs);
    EXPECT_EQ(m_dialogs.lastText(), utf8("连接服务器失败！"));
    EXPECT_TRUE(m_dialogs.opened.empty());
}

} // namespace
} // namespace qzb
