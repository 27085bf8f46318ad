// What crafted files cost zor-icons: small files made to inflate, or to share one large icon
// group among thousands of groups. Each is made here and zor-icons runs on it as a file
// manager or a user would; printed are its peak memory, its time and what it wrote.
// Targets: the thumbnailer under 200 MB and 1 s; every other case under 200 MB, its output
// bounded by the input's size. A run that passes 4 GB of output or 60 s is stopped.
// `bench_hostile_files --keep DIR` leaves the files in DIR for a closer look.
#include "IconFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fx = zor::iconfixtures;

namespace {

constexpr qint64 kStopBytes = qint64(4) << 30;
constexpr qint64 kStopMs = 60000;

qint64 folderBytes(const QString& folder)
{
    qint64 total = 0;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

struct Cost {
    int code = -1;   // -1: stopped
    qint64 peakKb = 0, ms = 0, written = 0;
};

// Runs zor-icons with args; standard output is counted and thrown away, files written into
// folder counted.
Cost run(const QStringList& args, const QString& folder)
{
    int out[2];
    if (::pipe(out) != 0)
        return {};
    std::vector<QByteArray> words{ZOR_ICONS_EXE};
    for (const QString& a : args)
        words.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    QElapsedTimer clock;
    clock.start();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(out[1], 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::fcntl(out[0], F_SETFL, O_NONBLOCK);
    Cost cost;
    char buffer[1 << 16];
    int status = 0;
    rusage usage {};
    qint64 lastLook = 0;
    for (;;) {
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n > 0)
            cost.written += n;
        const pid_t done = ::wait4(child, &status, WNOHANG, &usage);
        if (done == child)
            break;
        if (n <= 0)
            ::usleep(2000);
        if (clock.elapsed() - lastLook > 200) {
            lastLook = clock.elapsed();
            if (cost.written + folderBytes(folder) > kStopBytes || clock.elapsed() > kStopMs) {
                ::kill(child, SIGKILL);
                ::wait4(child, &status, 0, &usage);
                cost.code = -2;
                break;
            }
        }
    }
    while (::read(out[0], buffer, sizeof buffer) > 0) {}
    ::close(out[0]);
    cost.ms = clock.elapsed();
    cost.peakKb = usage.ru_maxrss;
    if (cost.code != -2)
        cost.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    cost.written += folderBytes(folder);
    return cost;
}

QByteArray zTxtIco()
{
    // One 16 x 16 PNG, and 100 zTXt chunks of 7.9 MB each before its pixels.
    QImage picture = fx::drawIcon(16, 32, 3);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    const QByteArray chunk = fx::zTxtChunk(7'900'000);
    QByteArray chunks;
    for (int i = 0; i < 100; ++i)
        chunks += chunk;
    const QByteArray image = fx::pngWithChunks(png, chunks);
    QByteArray ico(22, '\0');
    ico[2] = 1;
    ico[4] = 1;
    ico[6] = 16;
    ico[7] = 16;
    ico[10] = 1;
    ico[12] = 32;
    qToLittleEndian<quint32>(quint32(image.size()), ico.data() + 14);
    qToLittleEndian<quint32>(22, ico.data() + 18);
    return ico + image;
}

// groups groups all naming one record of 256 entries, each entry the same 32 px image.
fx::HandMadeResources sharedGroups(const QByteArray& ico, int groups)
{
    fx::HandMadeResources r;
    r.icons = {fx::icoImageData(ico).front()};
    r.records = {fx::iconGroup(ico, std::vector<int>(256, 1))};
    r.groups.assign(size_t(groups), 0);
    return r;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString dir = argc == 3 && QByteArray(argv[1]) == "--keep" ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    QDir().mkpath(dir);
    QByteArray ico;
    try {
        ico = fx::readBytes(fx::makeIco(dir, QStringLiteral("one32.ico"), {{32, 32, false, 5}}));
    } catch (const fx::ToolError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    struct Made { const char* name; QByteArray bytes; };
    const Made files[] = {
        {"ztxt.ico", zTxtIco()},
        {"shared-131070.dll", fx::handMadePe(sharedGroups(ico, 131070))},
        {"shared-20000.dll", fx::handMadePe(sharedGroups(ico, 20000))},
        {"shared-ne.icl", fx::handMadeNe(sharedGroups(ico, 690000))},
    };
    for (const Made& f : files)
        fx::writeBytes(dir + QLatin1Char('/') + QLatin1String(f.name), f.bytes);
    if (argc == 3)
        return 0;

    const QString out = dir + QStringLiteral("/out");
    struct Case { const char* file; QStringList args; };
    const Case cases[] = {
        {"ztxt.ico", {"thumbnail", "-s", "256"}},
        {"ztxt.ico", {"thumbnail", "-s", "1024"}},
        {"shared-131070.dll", {"export", "--format", "ico"}},
        {"shared-131070.dll", {"export"}},
        {"shared-131070.dll", {"list", "--json"}},
        {"shared-131070.dll", {"list"}},
        {"shared-20000.dll", {"list", "--json"}},
        {"shared-20000.dll", {"export", "--format", "ico"}},
        {"shared-ne.icl", {"list", "--json"}},
        {"shared-ne.icl", {"export", "--format", "ico"}},
    };
    std::printf("%-18s %9s  %-22s %5s %9s %8s %14s\n", "file", "bytes", "command", "exit", "peak MB", "ms", "written");
    for (const Case& c : cases) {
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        const QString path = dir + QLatin1Char('/') + QLatin1String(c.file);
        QStringList args = c.args;
        args.insert(c.args.first() == "thumbnail" ? 3 : c.args.size(), path);
        if (c.args.first() == "thumbnail")
            args << out + QStringLiteral("/t.png");
        else if (c.args.first() == "export")
            args << out;
        const Cost cost = run(args, out);
        std::printf("%-18s %9lld  %-22s %5s %9.1f %8lld %14lld\n", c.file, qlonglong(QFileInfo(path).size()),
                    qPrintable(c.args.join(' ')), cost.code == -2 ? "stop" : qPrintable(QString::number(cost.code)),
                    cost.peakKb / 1024.0, qlonglong(cost.ms), qlonglong(cost.written));
        std::fflush(stdout);
    }
    QDir(out).removeRecursively();
    return 0;
}
