// zor-icons create [--sizes LIST] [--depth 32|8|4] [--png] IMAGE... -o OUT.ico
// zor-icons build-icl [--name MODULE] [--names] ICON-OR-SOURCE... -o OUT.icl

#include "making.h"

#include "platform/iconsource/IclWriter.h"
#include "platform/iconsource/IcoWriter.h"
#include "platform/iconsource/IconSearch.h"
#include "platform/iconsource/WholeFile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QtEndian>

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zor::iconsource;

namespace {

constexpr int kSuccess = 0;
constexpr int kFileFailed = 1;
constexpr int kUsageError = 2;

// Picture files are read whole; none a person would make an icon from comes near this.
constexpr qint64 kMaxPictureFileBytes = qint64(256) << 20;

const char* const kCreateHelp = R"(Usage: zor-icons create [--sizes LIST] [--depth 32|8|4] [--png] IMAGE... -o OUT.ico

Makes the icon file OUT.ico from pictures (PNG, BMP, JPEG, GIF, WebP, SVG and the
other formats Qt reads; of an animation, its first frame). Each size is made from the
picture that fits it best: one of exactly that size as it is, else an SVG drawn at that
size, else the nearest larger picture scaled down, else the largest smaller one enlarged.
A picture that is not square keeps its aspect, centred on transparent.

  --sizes LIST    The sizes to make, comma-separated, of 16, 20, 24, 32, 40, 48, 64, 96,
                  128 and 256 (default 16,24,32,48,256).
  --depth BITS    32 (the default): colour with alpha; 8 or 4: a palette of 256 or 16
                  colours (the VGA colours) with a 1-bit mask, for old programs.
  --png           Store every size as PNG (only with --depth 32); else only 256 is PNG,
                  the others are bitmaps with their mask.
  -o, --output OUT.ico
                  The file to write, whole or not at all.
  -h, --help      Print this help and exit.

Images are stored as Windows' own icons keep them: the fewest bits first, each depth
from its largest size down. Prints one line per image written: its size, depth, format
and bytes, and the picture it was made from. Exit status: 0 written; 1 a picture
cannot be read or the file cannot be written; 2 wrong usage.
)";

const char* const kBuildIclHelp = R"(Usage: zor-icons build-icl [--name MODULE] [--names] ICON-OR-SOURCE... -o OUT.icl

Makes the icon library OUT.icl (a 16-bit resource-only library, as Windows icon tools
read them) from icons: icon files (.ico, and cursors taken as icons), and every icon of
an icon library, program or library (.icl, .exe, .dll, ...), or FILE:N for its icon N
alone (numbered from 0, as zor-icons list shows them). The icons keep the order given.

  --name MODULE   The library's module name (default: OUT's name in upper case).
  --names         Give the icons their sources' names (a program's "#12" or "APPICON");
                  else, and where a name is taken already, they are numbered from 1.
  -o, --output OUT.icl
                  The file to write, whole or not at all.
  -h, --help      Print this help and exit.

An icon library holds about 5,400 icons and images together; more is an error. Prints
the number of icons written. Exit status: 0 written; 1 a source cannot be read or the
library cannot be written; 2 wrong usage.
)";

void report(const QByteArray& message)
{
    std::fprintf(stderr, "zor-icons: %s\n", message.constData());
}

void report(const QByteArray& path, const QString& why)
{
    report(path + ": " + why.toLocal8Bit());
}

int usage(const char* command, const QByteArray& message)
{
    report(message);
    std::fprintf(stderr, "Try 'zor-icons %s --help'.\n", command);
    return kUsageError;
}

// Why the file at path cannot be opened as a regular file, or nothing when it can.
std::optional<QString> unopenable(const QByteArray& path)
{
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("is a folder");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("not a regular file");
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return std::nullopt;
}

// The whole file, named by its bytes; nothing, with why set, when it cannot be read.
std::optional<QByteArray> readWhole(const QByteArray& path, QString& why)
{
    if (const auto problem = unopenable(path)) {
        why = *problem;
        return std::nullopt;
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    if (st.st_size > kMaxPictureFileBytes) {
        ::close(fd);
        why = QStringLiteral("too large to be a picture (%1 bytes)").arg(qint64(st.st_size));
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(st.st_size), '\0');
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;   // cut short meanwhile
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return bytes;
}

// Writes bytes to path whole (a temporary file renamed over it), or leaves nothing.
bool saveWhole(const QByteArray& path, const QByteArray& bytes)
{
    // Only a regular file is replaced: a device, pipe or socket under that name stays what it is.
    struct stat st {};
    if (::stat(path.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        report(path, S_ISDIR(st.st_mode) ? QStringLiteral("cannot be written: is a folder")
                                         : QStringLiteral("cannot be written: not a regular file"));
        return false;
    }
    if (const int error = zor::writeWhole(path, bytes); error != 0) {
        report(path, QStringLiteral("cannot be written: %1").arg(QString::fromLocal8Bit(std::strerror(error))));
        return false;
    }
    return true;
}

// Standard output written and flushed; a full disk or closed pipe is an error too.
int finishOutput()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        report(QByteArray("standard output: ") + std::strerror(errno));
        return kFileFailed;
    }
    return kSuccess;
}

// The words of a command: options, with a value after them or after "=", and operands.
struct Words {
    Words(int count, char** words) : argc(count), argv(words) {}
    int argc;
    char** argv;
    int i = 0;
    bool optionsEnded = false;
    QByteArray word;

    bool next()
    {
        if (i >= argc)
            return false;
        word = argv[i++];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
            return next();
        }
        return true;
    }
    bool isOperand() const { return optionsEnded || !word.startsWith('-') || word == "-"; }
    // The option's value when the word is name or name=VALUE; nothing when it is not.
    std::optional<QByteArray> value(const char* name, const char* shortName, bool& missing)
    {
        missing = false;
        const QByteArray n(name);
        if (word == n || (shortName && word == shortName)) {
            if (i >= argc) {
                missing = true;
                return QByteArray();
            }
            return QByteArray(argv[i++]);
        }
        if (word.startsWith(n + '='))
            return word.mid(n.size() + 1);
        return std::nullopt;
    }
};

QByteArray shortFormat(const PreparedImage& im)
{
    return QByteArray::number(im.depth) + "-bit " + (im.png ? "PNG" : "BMP");
}

} // namespace

int createCommand(int argc, char* argv[])
{
    IcoOptions options;
    std::vector<QByteArray> images;
    QByteArray output;
    bool haveOutput = false;
    Words w{argc, argv};
    const char* const me = "create";
    while (w.next()) {
        bool missing = false;
        if (w.isOperand()) {
            images.push_back(w.word);
        } else if (w.word == "-h" || w.word == "--help") {
            std::fputs(kCreateHelp, stdout);
            return finishOutput();
        } else if (w.word == "--png") {
            options.pngForAll = true;
        } else if (const auto v = w.value("--output", "-o", missing)) {
            if (missing)
                return usage(me, "-o needs the file to write");
            output = *v;
            haveOutput = true;
        } else if (const auto v = w.value("--sizes", nullptr, missing)) {
            options.sizes.clear();
            for (const QByteArray& part : v->split(',')) {
                bool ok = false;
                const int size = part.trimmed().toInt(&ok);
                if (!ok || std::find(icoSizes().begin(), icoSizes().end(), size) == icoSizes().end())
                    return usage(me, "--sizes takes sizes of 16, 20, 24, 32, 40, 48, 64, 96, 128 and 256, "
                                     "comma-separated, not '" + *v + "'");
                options.sizes.push_back(size);
            }
        } else if (const auto v = w.value("--depth", nullptr, missing)) {
            if (*v != "32" && *v != "8" && *v != "4")
                return usage(me, "--depth takes 32, 8 or 4");
            options.depth = v->toInt();
        } else {
            return usage(me, "unknown option " + w.word);
        }
    }
    if (!haveOutput || output.isEmpty())
        return usage(me, "create needs -o OUT.ico");
    if (images.empty())
        return usage(me, "create needs one IMAGE or more");
    if (options.pngForAll && options.depth != 32)
        return usage(me, "--png stores 32-bit images: it goes with --depth 32 only");

    // Qt's image plugins (SVG, WebP, ...) are found through the application object.
    int appArgc = 1;
    char appName[] = "zor-icons";
    char* appArgv[] = {appName, nullptr};
    QCoreApplication app(appArgc, appArgv);

    std::vector<IconPicture> pictures;
    for (const QByteArray& path : images) {
        QString why;
        const auto bytes = readWhole(path, why);
        if (!bytes) {
            report(path, why);
            return kFileFailed;
        }
        pictures.push_back(IconPicture::fromData(*bytes, &why));
        if (pictures.back().isNull()) {
            report(path, why);
            return kFileFailed;
        }
    }
    QString why;
    const std::vector<PreparedImage> prepared = prepareIcoImages(pictures, options, &why);
    const QByteArray ico = prepared.empty() ? QByteArray() : writeIco(prepared, &why);
    if (ico.isEmpty()) {
        report(output, QStringLiteral("cannot be made: %1").arg(why));
        return kFileFailed;
    }
    if (!saveWhole(output, ico))
        return kFileFailed;
    // The images as stored, with the picture each came from.
    for (size_t i = 0; i < prepared.size(); ++i) {
        const PreparedImage& im = prepared[i];
        const quint32 bytes = qFromLittleEndian<quint32>(ico.constData() + 6 + i * 16 + 8);
        std::printf("%4d x %-4d %-11s %7u bytes  from %s%s\n", im.size, im.size, shortFormat(im).constData(), bytes,
                    images[size_t(im.source)].constData(), im.enlarged ? " (enlarged)" : "");
    }
    return finishOutput();
}

int buildIclCommand(int argc, char* argv[])
{
    std::vector<QByteArray> sources;
    QByteArray output, moduleName;
    bool haveOutput = false, keepNames = false;
    Words w{argc, argv};
    const char* const me = "build-icl";
    while (w.next()) {
        bool missing = false;
        if (w.isOperand()) {
            sources.push_back(w.word);
        } else if (w.word == "-h" || w.word == "--help") {
            std::fputs(kBuildIclHelp, stdout);
            return finishOutput();
        } else if (w.word == "--names") {
            keepNames = true;
        } else if (const auto v = w.value("--output", "-o", missing)) {
            if (missing)
                return usage(me, "-o needs the file to write");
            output = *v;
            haveOutput = true;
        } else if (const auto v = w.value("--name", nullptr, missing)) {
            if (missing || v->isEmpty())
                return usage(me, "--name needs a module name");
            moduleName = *v;
        } else {
            return usage(me, "unknown option " + w.word);
        }
    }
    if (!haveOutput || output.isEmpty())
        return usage(me, "build-icl needs -o OUT.icl");
    if (sources.empty())
        return usage(me, "build-icl needs one ICON-OR-SOURCE or more");
    if (moduleName.isEmpty())
        moduleName = moduleNameFor(output);

    std::vector<IclGroup> groups;
    for (const QByteArray& source : sources) {
        // FILE:N is one icon of FILE, unless a file has that whole name.
        QByteArray path = source;
        int only = -1;
        struct stat st {};
        if (const qsizetype colon = source.lastIndexOf(':'); colon > 0 && ::stat(source.constData(), &st) != 0) {
            bool ok = false;
            const int n = source.mid(colon + 1).toInt(&ok);
            if (ok && n >= 0 && source.mid(colon + 1) == QByteArray::number(n)) {
                path = source.left(colon);
                only = n;
            }
        }
        QString problem;
        const bool read = withIconSource(path, [&](const IconFile& file) {
            const int count = file.count();
            if (count == 0) {
                problem = QStringLiteral("holds no icons (not an icon file, icon library or program)");
                return;
            }
            if (only >= count) {
                problem = QStringLiteral("has no icon %1 (it has %2, numbered from 0)").arg(only).arg(count);
                return;
            }
            for (int k = only >= 0 ? only : 0; k < (only >= 0 ? only + 1 : count); ++k) {
                IclGroup group;
                group.ico = file.groupAsIco(k);
                if (group.ico.isEmpty()) {
                    problem = QStringLiteral("icon %1: its images cannot be read").arg(k);
                    return;
                }
                // NE names are 8-bit: a name beyond ASCII is numbered instead.
                if (keepNames) {
                    const QString name = file.groupName(k).name;
                    if (std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; }))
                        group.name = name.toLatin1();
                }
                groups.push_back(std::move(group));
            }
        });
        if (!read)
            problem = unopenable(path).value_or(QStringLiteral("cannot be read"));
        if (!problem.isEmpty()) {
            report(path, problem);
            return kFileFailed;
        }
    }
    QString why;
    const QByteArray icl = writeIcl(groups, moduleName, &why);
    if (icl.isEmpty()) {
        report(output, QStringLiteral("cannot be made: %1").arg(why));
        return kFileFailed;
    }
    if (!saveWhole(output, icl))
        return kFileFailed;
    std::printf("%zu\n", groups.size());
    return finishOutput();
}
