#pragma once

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace qzb::bench {

// The sample service in a process of its own, so that its work does not count
// towards the figures of the process being measured.
class ServiceProcess {
public:
    explicit ServiceProcess(const std::vector<std::string>& arguments) {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(pipeEnds[1], STDOUT_FILENO);
            ::close(pipeEnds[0]);
            ::close(pipeEnds[1]);
            std::vector<char*> argv;
            std::string program = QZB_SAMPLE_SERVICE_PATH;
            argv.push_back(program.data());
            std::vector<std::string> copies = arguments;
            for (std::string& argument : copies)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(pipeEnds[1]);
        // The service prints "sample service listening on 127.0.0.1:<port>" once it listens.
        if (FILE* out = ::fdopen(pipeEnds[0], "r")) {
            char line[256] = {};
            if (std::fgets(line, sizeof line, out)) {
                std::string text(line);
                std::size_t colon = text.rfind(':');
                if (colon != std::string::npos)
                    m_port = std::stoi(text.substr(colon + 1));
            }
            std::fclose(out);
        }
    }
    ~ServiceProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] std::string proxyUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace qzb::bench
