// Stands in for a game engine in the launcher's tests. At start it writes, to the file named by
// FAKE_ENGINE_RECORD, one hex-encoded line per fact: "arg" for each argument, "cwd" for its
// working folder, "entry" for each name in that folder, "pid" for its process. Then it prints
// to both output channels (the launch's log), sleeps FAKE_ENGINE_SLEEP_MS and exits with
// FAKE_ENGINE_EXIT.

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

std::string hex(const char *text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
        out += digits[*p >> 4];
        out += digits[*p & 15];
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    const char *record = std::getenv("FAKE_ENGINE_RECORD");
    if (record) {
        FILE *out = std::fopen(record, "w");
        if (!out)
            return 99;
        for (int i = 1; i < argc; ++i)
            std::fprintf(out, "arg %s\n", hex(argv[i]).c_str());
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd))
            std::fprintf(out, "cwd %s\n", hex(cwd).c_str());
        std::fprintf(out, "pid %s\n", hex(std::to_string(getpid()).c_str()).c_str());
        if (DIR *dir = opendir(".")) {
            while (const dirent *entry = readdir(dir)) {
                if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                    std::fprintf(out, "entry %s\n", hex(entry->d_name).c_str());
            }
            closedir(dir);
        }
        std::fclose(out);
    }
    std::printf("fake engine: standard output\n");
    std::fflush(stdout);
    std::fprintf(stderr, "fake engine: standard error\n");
    if (const char *sleep = std::getenv("FAKE_ENGINE_SLEEP_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(sleep)));
    const char *code = std::getenv("FAKE_ENGINE_EXIT");
    return code ? std::atoi(code) : 0;
}
