// Starts the real program N times on fresh folders (every start after the
// first is a later start) and prints the median time from exec to its first
// idle moment and the peak memory.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

int main(int argc, char **argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    const std::string program = argc > 2 ? argv[2] : KV_PROGRAM;
    char folder[] = "/tmp/kelvadrin-bench-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    const std::string base = folder;

    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("XDG_", 0) != 0 && entry.rfind("KELVADRIN_", 0) != 0)
            env.push_back(entry);
    }
    env.push_back("XDG_CONFIG_HOME=" + base + "/config");
    env.push_back("XDG_DATA_HOME=" + base + "/data");
    env.push_back("XDG_RUNTIME_DIR=" + base);
    env.push_back("KELVADRIN_QUIT_WHEN_IDLE=1");
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        env.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char *> envp;
    for (std::string &entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    std::vector<double> millis;
    long peakKiB = 0;
    for (int i = 0; i <= runs; ++i) { // run 0 is the first start: not counted
        char *args[] = {const_cast<char *>(program.c_str()), nullptr};
        const auto start = std::chrono::steady_clock::now();
        int out[2];
        if (pipe(out) != 0)
            return 1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        pid_t pid = 0;
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, args, envp.data()) != 0) {
            std::perror("posix_spawn");
            return 1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        // The program says "idle" when its event loop first has nothing to do.
        std::string said;
        char c;
        while (said.find("idle\n") == std::string::npos && read(out[0], &c, 1) == 1)
            said += c;
        const auto end = std::chrono::steady_clock::now();
        close(out[0]);
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "the program failed (status %d)\n", status);
            return 1;
        }
        if (i > 0) {
            millis.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            peakKiB = std::max(peakKiB, usage.ru_maxrss);
        }
    }
    std::sort(millis.begin(), millis.end());
    std::printf(
        "start-up to idle (later start), %d runs: median %.1f ms, min %.1f ms, max %.1f ms\n", runs,
        millis[millis.size() / 2], millis.front(), millis.back());
    std::printf("peak resident memory: %.1f MiB\n", peakKiB / 1024.0);
    std::string cleanup = "rm -rf '" + base + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
