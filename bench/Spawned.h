#pragma once
// A program started and waited for, its output thrown away: its wall time, and, through
// time(1) in a run of its own, its peak resident size. (A child's peak counts from the size
// of the process that started it, so ours would hide a smaller one.)

#include <QByteArray>
#include <QFile>
#include <QTemporaryFile>

#include <chrono>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace bench {

struct Spawned {
    double ms = 0;
    int status = -1;
};

inline Spawned spawned(const std::vector<QByteArray>& words)
{
    std::vector<char*> argv;
    for (const QByteArray& w : words)
        argv.push_back(const_cast<char*>(w.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    Spawned r;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &r.status, 0);
    r.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return r;
}

// The peak resident size in MB of one run (of the largest process in it); 0 without time(1).
inline double peakMb(const std::vector<QByteArray>& words)
{
    QTemporaryFile out;
    if (!QFile::exists("/usr/bin/time") || !out.open())
        return 0;
    std::vector<QByteArray> timed = {"/usr/bin/time", "-f", "%M", "-o", QFile::encodeName(out.fileName())};
    timed.insert(timed.end(), words.begin(), words.end());
    spawned(timed);
    return out.readAll().trimmed().toDouble() / 1024;
}

} // namespace bench
