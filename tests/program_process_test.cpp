// The built program as a process of its own: started in an empty program
// folder from another working directory, pointed at the sample service, and
// closed by a signal as a session manager would.
#include "service_fixture.h"
#include "temp_folder.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qzb {
namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 30s;

class ProgramProcess {
public:
    ProgramProcess(const std::filesystem::path& program, const std::string& proxy,
                   const std::filesystem::path& errors) {
        std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen", "http_proxy=" + proxy};
        for (char** variable = environ; *variable; ++variable) {
            const std::string_view entry(*variable);
            if (!entry.starts_with("QT_QPA_PLATFORM=") && !entry.starts_with("http_proxy="))
                environment.emplace_back(entry);
        }
        std::vector<char*> envp;
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string path = program.string();
        char* argv[] = {path.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv, envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ProgramProcess() {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    [[nodiscard]] bool started() const { return m_pid > 0; }
    void signal(int number) const { ::kill(m_pid, number); }

    // The exit code once the process has ended, or nothing if it is still running after `patience`.
    std::optional<int> exitCode(std::chrono::milliseconds patience) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (!m_status) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
                m_status = status;
            else if (std::chrono::steady_clock::now() > deadline)
                return std::nullopt;
            else
                std::this_thread::sleep_for(20ms);
        }
        return WIFEXITED(*m_status) ? WEXITSTATUS(*m_status) : 128 + WTERMSIG(*m_status);
    }

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

template <typename Condition> bool waitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

class ProgramProcessTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        m_program = m_folder.path() / "qzone-backup";
        std::filesystem::copy_file(QZB_PROGRAM_PATH, m_program);
        // Started from elsewhere, as from a shortcut with another working directory.
        m_startDirectory = std::filesystem::current_path();
        std::filesystem::current_path(m_elsewhere.path());
    }
    void TearDown() override {
        std::filesystem::current_path(m_startDirectory);
        ServiceTest::TearDown();
    }

    [[nodiscard]] std::size_t skinFiles() const {
        std::error_code error;
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder.path() / "zqpak", error))
            count += entry.path().extension() == ".she";
        return count;
    }

    [[nodiscard]] bool deployed() const {
        return skinFiles() == 95 && std::filesystem::is_regular_file(m_folder.path() / "SkinH_EL.dll");
    }

    // Whether the last skin file the program writes was written at or after `start`.
    [[nodiscard]] bool writtenSince(std::filesystem::file_time_type start) const {
        std::error_code error;
        const auto written = std::filesystem::last_write_time(m_folder.path() / "zqpak" / "96.she", error);
        return !error && written >= start;
    }

    // Starts the program, waits until it has written its skins, closes it with SIGTERM.
    std::optional<int> runAndClose() {
        const auto start = std::filesystem::file_time_type::clock::now();
        ProgramProcess program(m_program, m_service.proxyUrl(), m_errors);
        EXPECT_TRUE(program.started());
        EXPECT_TRUE(waitFor([&] { return deployed() && writtenSince(start); }));
        program.signal(SIGTERM);
        return program.exitCode(kPatience);
    }

    TempFolder m_folder;
    TempFolder m_elsewhere;
    std::filesystem::path m_program;
    std::filesystem::path m_startDirectory;
    std::filesystem::path m_errors = m_elsewhere.path() / "errors.txt";
};

TEST_F(ProgramProcessTest, StartsWritesItsSkinsAndEndsCleanlyTwice) {
    EXPECT_EQ(runAndClose(), 0);
    EXPECT_TRUE(deployed());
    EXPECT_FALSE(std::filesystem::exists(m_elsewhere.path() / "zqpak"));
    EXPECT_EQ(runAndClose(), 0);
}

TEST_F(ProgramProcessTest, AnEngineThatCanBeNeitherWrittenNorLoadedEndsWithMinusOne) {
    std::filesystem::create_directory(m_folder.path() / "SkinH_EL.dll");
    ProgramProcess program(m_program, m_service.proxyUrl(), m_errors);
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(waitFor([&] { return readBytes(m_errors).find("SkinH_AttachEx") != std::string::npos; }));
    const std::string errors = readBytes(m_errors);
    EXPECT_NE(errors.find("SkinH_EL.dll"), std::string::npos);
    // The fatal box is open; closing it ends the program.
    program.signal(SIGTERM);
    EXPECT_EQ(program.exitCode(kPatience), 255);
}

} // namespace
} // namespace qzb
