#pragma once

#include <cstdio>
#include <cstdlib>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace tovan::bench {

// A raw pseudo-terminal for the benchmarks: the program under test opens `path`, the
// benchmark plays the module on `master`. A benchmark without one cannot run, so it ends.
struct BenchPty {
    BenchPty() {
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (::openpty(&master, &keeper, name, &raw, nullptr) != 0) {
            std::perror("openpty");
            std::exit(1);
        }
        path = name;
    }
    ~BenchPty() {
        ::close(master);
        ::close(keeper);
    }
    BenchPty(const BenchPty&) = delete;
    BenchPty& operator=(const BenchPty&) = delete;

    int master = -1;
    int keeper = -1; // keeps the slave raw until the program opens it
    std::string path;
};

} // namespace tovan::bench
