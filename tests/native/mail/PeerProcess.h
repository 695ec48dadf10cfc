#pragma once

// A test peer run as a child process (the Python servers in peers/): it prints its port on
// its first line, and ends when its standard input closes. Stopped by its own process id.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace bramolt::mail::test {

class TPeerProcess {
  public:
    explicit TPeerProcess(const std::vector<std::string>& arguments)
    {
        int input[2], output[2];
        if (::pipe(input) != 0 || ::pipe(output) != 0)
            throw std::runtime_error("pipe failed");
        FPid = ::fork();
        if (FPid == 0) {
            ::dup2(input[0], 0);
            ::dup2(output[1], 1);
            ::close(input[1]);
            ::close(output[0]);
            std::vector<char*> argv;
            for (const auto& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(output[1]);
        FInput = input[1];
        FOutput = ::fdopen(output[0], "r");
        char line[64] = {};
        if (!std::fgets(line, sizeof line, FOutput))
            throw std::runtime_error("the peer " + arguments.at(1) + " did not start");
        FPort = std::stoi(line);
    }
    ~TPeerProcess()
    {
        ::close(FInput);
        int status = 0;
        for (int tries = 0; tries < 50; ++tries) {
            if (::waitpid(FPid, &status, WNOHANG) == FPid) {
                std::fclose(FOutput);
                return;
            }
            ::usleep(100000);
        }
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, &status, 0);
        std::fclose(FOutput);
    }
    TPeerProcess(const TPeerProcess&) = delete;
    TPeerProcess& operator=(const TPeerProcess&) = delete;

    int Port() const { return FPort; }

  private:
    pid_t FPid = -1;
    int FInput = -1;
    std::FILE* FOutput = nullptr;
    int FPort = 0;
};

} // namespace bramolt::mail::test
