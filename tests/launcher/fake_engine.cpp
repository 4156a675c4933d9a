// Stands in for a game engine in the launcher's tests. At start it writes, to the file named by
// FAKE_ENGINE_RECORD, one hex-encoded line per fact: "arg" for each argument, "cwd" for its
// working folder, "entry" for each name in that folder, "pid" for its process. Then it saves as
// a game does, in its working folder, what FAKE_ENGINE_SAVES lists ("NAME=TEXT;NAME=TEXT"): a
// file of that name is changed in place (TEXT written over its start, in one write), any other
// is created with TEXT, pausing FAKE_ENGINE_SAVE_PAUSE_MS before each and recording "wrote"
// NAME=TEXT once it is written. Then it prints to both output channels (the launch's log), sleeps
// FAKE_ENGINE_SLEEP_MS and exits with FAKE_ENGINE_EXIT.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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

// Each save in one write(2), so that a kill leaves it as it was or as the game meant it (or, for
// a new one, empty).
void writeSaves(const char *list, FILE *record)
{
    const char *pause = std::getenv("FAKE_ENGINE_SAVE_PAUSE_MS");
    std::string rest = list;
    while (!rest.empty()) {
        const size_t end = rest.find(';');
        const std::string entry = rest.substr(0, end);
        rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
        const size_t equals = entry.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string name = entry.substr(0, equals);
        const std::string text = entry.substr(equals + 1);
        if (pause)
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(pause)));
        struct stat st;
        const int fd =
            ::open(name.c_str(), ::lstat(name.c_str(), &st) == 0 ? O_WRONLY : O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            const bool whole = ::pwrite(fd, text.data(), text.size(), 0) == ssize_t(text.size());
            ::close(fd);
            if (whole && record) {
                std::fprintf(record, "wrote %s\n", hex(entry.c_str()).c_str());
                std::fflush(record);
            }
        }
    }
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
        if (const char *saves = std::getenv("FAKE_ENGINE_SAVES"))
            writeSaves(saves, out);
        std::fclose(out);
    } else if (const char *saves = std::getenv("FAKE_ENGINE_SAVES")) {
        writeSaves(saves, nullptr);
    }
    std::printf("fake engine: standard output\n");
    std::fflush(stdout);
    std::fprintf(stderr, "fake engine: standard error\n");
    if (const char *sleep = std::getenv("FAKE_ENGINE_SLEEP_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(sleep)));
    const char *code = std::getenv("FAKE_ENGINE_EXIT");
    return code ? std::atoi(code) : 0;
}
