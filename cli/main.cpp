// zor-icons: counts, lists, exports and draws the icons of Windows icon sources.

#include "platform/iconsource/IconSource.h"
#include "making.h"
#include "search.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cstdio>

using namespace zor::iconsource;

namespace {

constexpr int kSuccess = 0;
constexpr int kFileFailed = 1;
constexpr int kUsageError = 2;

const char* const kHelp = R"(Usage: zor-icons COMMAND [OPTION]... FILE...

Counts, lists, exports and draws the icons of Windows icon sources: icon and cursor
files (.ico, .cur), icon libraries (.icl), and 16-, 32- and 64-bit programs and
libraries (.exe, .dll, .cpl, ...). Files are told apart by their content, not their name.
Icons are numbered from 0 in the order the file keeps them.

Commands:
  count FILE...
      Print how many icons each file holds: the number alone for one file,
      "FILE<TAB>COUNT" lines for several. A file that is not an icon source holds 0.

  list [--json] FILE...
      Print every icon of every file with its images: width x height, bits per
      pixel, format (BMP or PNG) and size in bytes.
      --json prints a JSON array instead, one object per file that could be read:
      {"file": FILE, "icons": [{"index": N, "images": [{"width": W, "height": H,
      "depth": BITS, "format": "BMP"|"PNG", "bytes": SIZE}, ...]}, ...]}

  export [--format png|ico] FILE... DIR
      Write every icon of the files into the folder DIR, made when needed:
        png (the default)  N-32.png and N-16.png, the icon at 32 and 16 pixels;
        ico                N.ico, the icon with all of its images.
      With several files, each file's icons go into a subfolder of DIR named after
      the file (NAME, then NAME~2, NAME~3, ... when two files share a name).
      Prints how many icons were written: the number alone for one file,
      "FILE<TAB>COUNT" lines for several.

  thumbnail -s SIZE FILE OUTPUT.png
      Write the file's first icon as a SIZE x SIZE PNG picture (SIZE from 1 to 256),
      made from the image that fits best: the one of that size, else the nearest
      larger one scaled down smoothly. Transparency is kept; a picture that is not
      square keeps its aspect, centred. For file managers' thumbnailers; needs no display.

  search DIR [--recursive] [--all-files] [--min-size N] [--json]
      Print one line per icon of every icon file, icon library, program and library in
      DIR (and its subfolders with --recursive, or of every file told by content with
      --all-files): the file, the icon's number and its largest size, tab-separated.
      --min-size N lists only icons with an image at least N pixels; --json prints one
      JSON object a line. Uses every core; fails only when DIR cannot be read.

  create [--sizes LIST] [--depth 32|8|4] [--png] IMAGE... -o OUT.ico
      Make an icon file from pictures (PNG, BMP, JPEG, GIF, WebP, SVG, ...): each size
      of LIST (default 16,24,32,48,256; of 16, 20, 24, 32, 40, 48, 64, 96, 128, 256)
      from the picture that fits it best, an SVG drawn at each size. --depth 32 (the
      default) keeps alpha; 8 and 4 make palette images with a mask. 256 is stored as
      PNG, the others as bitmaps; --png stores every size as PNG.

  build-icl [--name MODULE] [--names] ICON-OR-SOURCE... -o OUT.icl
      Make an icon library from icon files and from every icon of icon libraries and
      programs (FILE:N for icon N alone), in the order given; the icons are numbered
      from 1, or keep their sources' names with --names.

Options:
  -h, --help         Print this help and exit.
  -v, --version      Print the version and exit.
  --json             (list) Print JSON.
  --format FORMAT    (export) png or ico.
  -s, --size SIZE    (thumbnail) The picture's side in pixels, 1 to 256.

Exit status: 0 success; 1 a file could not be read or written, holds no icons to
export or draw; 2 wrong usage. Errors go to standard error.
)";

void report(const QString& message)
{
    std::fprintf(stderr, "zor-icons: %s\n", message.toLocal8Bit().constData());
}

int usageError(const QString& message)
{
    report(message);
    std::fprintf(stderr, "Try 'zor-icons --help'.\n");
    return kUsageError;
}

// A path as the user gave it, byte for byte.
QByteArray shown(const QString& path)
{
    return QFile::encodeName(path);
}

// Why path cannot be read as a file, or an empty string when it can.
QString unreadable(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("%1: no such file").arg(path);
    if (info.isDir())
        return QStringLiteral("%1: is a folder").arg(path);
    if (!info.isFile())
        return QStringLiteral("%1: not a regular file").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    return {};
}

bool readable(const QString& path)
{
    const QString why = unreadable(path);
    if (!why.isEmpty())
        report(why);
    return why.isEmpty();
}

int count(const QStringList& files)
{
    int result = kSuccess;
    for (const QString& path : files) {
        if (!readable(path)) {
            result = kFileFailed;
            continue;
        }
        const int n = IconFile(path).count();
        if (files.size() == 1)
            std::printf("%d\n", n);
        else
            std::printf("%s\t%d\n", shown(path).constData(), n);
    }
    return result;
}

QString formatOf(const GroupEntry& entry)
{
    if (entry.data.isEmpty())
        return QStringLiteral("missing");
    return isPngEntry(entry) ? QStringLiteral("PNG") : QStringLiteral("BMP");
}

int list(const QStringList& files, bool json)
{
    int result = kSuccess;
    QJsonArray all;
    for (const QString& path : files) {
        if (!readable(path)) {
            result = kFileFailed;
            continue;
        }
        const IconFile file(path);
        QJsonArray icons;
        if (!json)
            std::printf("%s: %d %s\n", shown(path).constData(), file.count(), file.count() == 1 ? "icon" : "icons");
        for (int k = 0; k < file.count(); ++k) {
            const auto entries = file.entries(k);
            QJsonArray images;
            if (!json)
                std::printf("  icon %d: %d %s\n", k, int(entries.size()), entries.size() == 1 ? "image" : "images");
            for (const GroupEntry& e : entries) {
                const QSize size = entrySize(e);
                if (json) {
                    images.append(QJsonObject{{"width", size.width()}, {"height", size.height()},
                                              {"depth", entryDepth(e)}, {"format", formatOf(e)},
                                              {"bytes", e.data.size()}});
                } else {
                    std::printf("    %4d x %-4d %2d-bit %-4s %lld bytes\n", size.width(), size.height(),
                                entryDepth(e), qPrintable(formatOf(e)), qlonglong(e.data.size()));
                }
            }
            if (json)
                icons.append(QJsonObject{{"index", k}, {"images", images}});
        }
        if (json)
            all.append(QJsonObject{{"file", path}, {"icons", icons}});
    }
    if (json)
        std::fputs(QJsonDocument(all).toJson(QJsonDocument::Indented).constData(), stdout);
    return result;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// Writes the icons of one file into dirPath (made for the first icon there is to write);
// false when the file cannot be read, holds no icons or nothing could be written.
bool exportIcons(const QString& path, const QString& dirPath, bool asIco, int& written)
{
    written = 0;
    if (!readable(path))
        return false;
    const IconFile source(path);
    const int n = source.count();
    if (n == 0) {
        report(QStringLiteral("%1 holds no icons (not an icon file, icon library or program)").arg(path));
        return false;
    }
    const QDir dir(dirPath);
    for (int k = 0; k < n; ++k) {
        QList<std::pair<QString, QByteArray>> files;
        QList<std::pair<QString, QImage>> pictures;
        if (asIco) {
            const QByteArray ico = source.groupAsIco(k);
            if (ico.isEmpty()) {
                report(QStringLiteral("%1: icon %2: its images cannot be read").arg(path).arg(k));
                continue;
            }
            files.append({QStringLiteral("%1.ico").arg(k), ico});
        } else {
            const IconPair pair = source.extract(k);
            if (pair.large.isNull() && pair.small.isNull()) {
                report(QStringLiteral("%1: icon %2: no image could be decoded").arg(path).arg(k));
                continue;
            }
            if (!pair.large.isNull())
                pictures.append({QStringLiteral("%1-32.png").arg(k), pair.large});
            if (!pair.small.isNull())
                pictures.append({QStringLiteral("%1-16.png").arg(k), pair.small});
        }
        if (!QDir().mkpath(dirPath)) {
            report(QStringLiteral("cannot create %1").arg(dirPath));
            return false;
        }
        bool ok = true;
        for (const auto& [name, bytes] : files)
            ok = writeFile(dir.filePath(name), bytes) && ok;
        for (const auto& [name, image] : pictures)
            ok = image.save(dir.filePath(name), "PNG") && ok;
        if (!ok) {
            report(QStringLiteral("cannot write icon %1 of %2 into %3").arg(k).arg(path, dirPath));
            return false;
        }
        ++written;
    }
    if (written == 0)
        report(QStringLiteral("%1: no icon could be exported").arg(path));
    return written > 0;
}

int exportFiles(const QStringList& files, const QString& dirPath, bool asIco)
{
    int result = kSuccess;
    QSet<QString> folders;
    for (const QString& path : files) {
        QString target = dirPath;
        if (files.size() > 1) {
            const QString name = QFileInfo(path).fileName();
            QString folder = name;
            for (int n = 2; folders.contains(folder); ++n)
                folder = QStringLiteral("%1~%2").arg(name).arg(n);
            folders.insert(folder);
            target = QDir(dirPath).filePath(folder);
        }
        int written = 0;
        if (!exportIcons(path, target, asIco, written))
            result = kFileFailed;
        if (written == 0)
            continue;
        if (files.size() == 1)
            std::printf("%d\n", written);
        else
            std::printf("%s\t%d\n", shown(path).constData(), written);
    }
    return result;
}

int thumbnail(int size, const QString& path, const QString& output)
{
    if (!readable(path))
        return kFileFailed;
    const IconFile file(path);
    if (file.count() == 0) {
        report(QStringLiteral("%1 holds no icons").arg(path));
        return kFileFailed;
    }
    const QImage image = file.image(0, {size, size});
    if (image.isNull()) {
        report(QStringLiteral("%1: its first icon cannot be decoded").arg(path));
        return kFileFailed;
    }
    if (!image.save(output, "PNG")) {
        report(QStringLiteral("cannot write %1").arg(output));
        QFile::remove(output);   // no half-written picture for the file manager to show
        return kFileFailed;
    }
    return kSuccess;
}

} // namespace

int main(int argc, char* argv[])
{
    // search has options of its own, so it reads its words itself.
    if (argc > 1 && QByteArrayView(argv[1]) == "search")
        return searchCommand(argc - 2, argv + 2);
    if (argc > 1 && QByteArrayView(argv[1]) == "create")
        return createCommand(argc - 2, argv + 2);
    if (argc > 1 && QByteArrayView(argv[1]) == "build-icl")
        return buildIclCommand(argc - 2, argv + 2);
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption json(QStringLiteral("json"), QString());
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("FORMAT"));
    const QCommandLineOption size({QStringLiteral("s"), QStringLiteral("size")}, QString(), QStringLiteral("SIZE"));
    parser.addOptions({help, version, json, format, size});
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(kHelp, stdout);
        return kSuccess;
    }
    if (parser.isSet(version)) {
        std::printf("zor-icons %s\n", ZOR_VERSION);
        return kSuccess;
    }

    QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    // Each option belongs to one command.
    const std::pair<const QCommandLineOption*, const char*> owners[] = {
        {&json, "list"}, {&format, "export"}, {&size, "thumbnail"}};
    for (const auto& [option, owner] : owners)
        if (parser.isSet(*option) && command != QLatin1String(owner))
            return usageError(QStringLiteral("--%1 belongs to %2").arg(option->names().last(), owner));

    if (command == QLatin1String("count")) {
        if (args.isEmpty())
            return usageError(QStringLiteral("count takes one FILE or more"));
        return count(args);
    }
    if (command == QLatin1String("list")) {
        if (args.isEmpty())
            return usageError(QStringLiteral("list takes one FILE or more"));
        return list(args, parser.isSet(json));
    }
    if (command == QLatin1String("export")) {
        const QString chosen = parser.isSet(format) ? parser.value(format) : QStringLiteral("png");
        if (chosen != QLatin1String("png") && chosen != QLatin1String("ico"))
            return usageError(QStringLiteral("unknown format %1 (png or ico)").arg(chosen));
        if (args.size() < 2)
            return usageError(QStringLiteral("export takes FILE... and DIR"));
        const QString dir = args.takeLast();
        return exportFiles(args, dir, chosen == QLatin1String("ico"));
    }
    if (command == QLatin1String("thumbnail")) {
        bool isNumber = false;
        const int side = parser.value(size).toInt(&isNumber);
        if (!parser.isSet(size) || !isNumber || side < 1 || side > 256)
            return usageError(QStringLiteral("thumbnail needs -s SIZE, 1 to 256"));
        if (args.size() != 2)
            return usageError(QStringLiteral("thumbnail takes FILE and OUTPUT.png"));
        return thumbnail(side, args[0], args[1]);
    }
    return usageError(QStringLiteral("unknown command %1").arg(command));
}
