// zor-icons: counts, lists, exports and draws the icons of Windows icon sources.

#include "commands.h"

#include "Output.h"
#include "platform/iconsource/Opener.h"
#include "platform/iconsource/WholeFile.h"
#include "search.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <optional>
#include <tuple>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <clocale>

using namespace zor::iconsource;

namespace cli {

namespace {

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
      A FILE whose name is not UTF-8 also gets "file_bytes": the name's bytes in base64.
      When a file gives no icons, the reason goes to standard error.

  export [--format png|ico] FILE... DIR
      Write every icon of the files into the folder DIR, made when needed:
        png (the default)  N-32.png and N-16.png, the icon at 32 and 16 pixels;
        ico                N.ico, the icon with all of its images.
      With several files, each file's icons go into a subfolder of DIR named after
      the file (NAME, then NAME~2, NAME~3, ... when two files share a name).
      Prints how many icons were written: the number alone for one file,
      "FILE<TAB>COUNT" lines for several. Each file is written whole or not at all;
      the first that cannot be written stops the command, naming it and why.

      What list and export write for one FILE is at most 16 times its size (at least
      16 MiB; files count by the 4 KiB blocks they take). Real files come nowhere near;
      past it the command stops, a file's listing is not begun and no file is half-written.

  thumbnail -s SIZE FILE OUTPUT.png
      Write the file's first icon as a SIZE x SIZE PNG picture (SIZE from 1 to 1024),
      made from the image that fits best: the one of that size, else the nearest
      larger one scaled down smoothly. Above 256 (file managers' larger zoom levels)
      the picture is the largest image the icon holds up to SIZE, never enlarged.
      Transparency is kept; a picture that is not square keeps its aspect, centred.
      For file managers' thumbnailers; needs no display.

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
  -s, --size SIZE    (thumbnail) The picture's side in pixels, 1 to 1024.

Exit status: 0 success; 1 a file could not be read or written, holds no icons to
export or draw, its output would pass the limit, or the output could not be written;
2 wrong usage. Errors go to standard error.
)";

// Arguments as bytes: each byte read as a Latin-1 character, so that the parser sees the
// (ASCII) options and every path comes back exactly as the user gave it.
QStringList argumentsOf(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLatin1(argv[i]);
    return args;
}

QByteArray bytesOf(const QString& argument)
{
    return argument.toLatin1();
}

int usageError(const QString& message)
{
    report(message.toLatin1());
    std::fprintf(stderr, "Try 'zor-icons --help'.\n");
    return kUsageError;
}

// The file as an icon source, or nothing with the reason reported; its size into bytes.
std::optional<IconFile> openOrReport(const QByteArray& path, qint64* bytes = nullptr)
{
    int64_t size = 0;
    auto source = plain::openOrReport(path.toStdString(), &size);
    if (bytes)
        *bytes = size;
    if (!source)
        return std::nullopt;
    return IconFile::fromSource(std::move(source));
}

std::vector<std::string> plainFiles(const QList<QByteArray>& files)
{
    std::vector<std::string> out;
    out.reserve(size_t(files.size()));
    for (const QByteArray& f : files)
        out.push_back(f.toStdString());
    return out;
}

// A file's JSON object up to its icons, as QJsonDocument writes it (keys in order).
std::string jsonHead(const std::string& path)
{
    QJsonObject head;
    addName(head, "file", "file_bytes", QByteArray::fromStdString(path));
    QByteArray open = QJsonDocument(head).toJson(QJsonDocument::Compact);
    open.chop(1);   // the object goes on with its icons
    return open.toStdString();
}

enum class Exported { Done, Failed, Stopped };

// Writes the icons of one file into dirPath (made for the first icon there is to write),
// as PNG pictures through pictures, or as .ico files when it is null; each file whole,
// counted in written. Failed when the file cannot be read or holds no icons;
// Stopped when a file could not be written or the next icon would pass the output limit: the
// command goes no further.
Exported exportIcons(const QByteArray& path, const QByteArray& dirPath, Pictures* pictures, int& written)
{
    written = 0;
    qint64 inputBytes = 0;
    const auto opened = openOrReport(path, &inputBytes);
    if (!opened)
        return Exported::Failed;
    const IconFile& source = *opened;
    const int n = source.count();
    if (n == 0) {
        report(path + " holds no icons: " + source.whyEmpty().text().toUtf8());
        return Exported::Failed;
    }
    const qint64 limit = outputLimit(inputBytes);
    qint64 total = 0;
    // Groups that name the same images, as shared records do, make the same file: built once.
    using Image = std::tuple<int, int, int, int, int, const char*, qsizetype>;
    std::vector<Image> lastImages;
    QByteArray lastIco;
    auto icoOf = [&](int k) {
        std::vector<Image> images;
        for (const GroupEntry& e : source.entries(k))
            images.emplace_back(e.width, e.height, e.colorCount, e.planes, e.bitCount, e.data.data(), e.data.size());
        if (images.empty() || images != lastImages) {
            lastImages = std::move(images);
            lastIco = source.groupAsIco(k);
        }
        return lastIco;
    };
    // A library is gone through once: what was read of it need not stay resident.
    constexpr qint64 kDropPagesAfter = qint64(8) << 20;
    qint64 readSinceDrop = 0;
    bool madeFolder = false;
    for (int k = 0; k < n; ++k) {
        for (const GroupEntry& e : source.entries(k))
            readSinceDrop += e.data.size();
        if (readSinceDrop > kDropPagesAfter) {
            dropPages(source);
            readSinceDrop = 0;
        }
        Files files;
        const QByteArray number = QByteArray::number(k);
        if (!pictures) {
            const QByteArray ico = icoOf(k);
            if (ico.isEmpty()) {
                report(path + ": icon " + number + ": its images cannot be read");
                continue;
            }
            files.append({number + ".ico", ico});
        } else {
            files = pictures->pngFiles(source, k);
            if (files.isEmpty()) {
                report(path + ": icon " + number + ": no image could be decoded");
                continue;
            }
        }
        qint64 bytes = 0;
        for (const auto& file : files)
            bytes += zor::iconsource::outputCost(file.second.size());
        if (total + bytes > limit) {
            report(path + ": stopped at icon " + number + ", which would pass " + outputLimitText(limit) + "; "
                   + QByteArray::number(written) + (written == 1 ? " icon" : " icons") + " written");
            return Exported::Stopped;
        }
        total += bytes;
        if (!madeFolder) {
            if (const int error = zor::makeFolders(dirPath); error != 0) {
                report("cannot create " + dirPath + ": " + reason(error));
                return Exported::Stopped;
            }
            madeFolder = true;
        }
        for (const auto& [name, bytes] : files) {
            const QByteArray target = dirPath + '/' + name;
            const int error = bytes.isEmpty() ? EIO : zor::writeWhole(target, bytes);
            if (error != 0) {
                report("cannot write " + target + ": " + reason(error));
                return Exported::Stopped;
            }
        }
        ++written;
    }
    if (written == 0) {
        report(path + ": no icon could be exported");
        return Exported::Failed;
    }
    return Exported::Done;
}

int exportFiles(const QList<QByteArray>& files, const QByteArray& dirPath, Pictures* pictures)
{
    int result = kSuccess;
    QSet<QByteArray> folders;
    for (const QByteArray& path : files) {
        QByteArray target = dirPath;
        if (files.size() > 1) {
            const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
            QByteArray folder = name;
            for (int n = 2; folders.contains(folder); ++n)
                folder = name + '~' + QByteArray::number(n);
            folders.insert(folder);
            target = dirPath + '/' + folder;
        }
        int written = 0;
        const Exported done = exportIcons(path, target, pictures, written);
        if (done != Exported::Done)
            result = kFileFailed;
        if (written > 0 && !putLine(files.size() == 1 ? QByteArray::number(written) : path + '\t' + QByteArray::number(written)))
            break;
        if (done == Exported::Stopped)
            break;
    }
    return result;
}

int thumbnail(Pictures& pictures, int size, const QByteArray& path, const QByteArray& output)
{
    const auto file = openOrReport(path);
    if (!file)
        return kFileFailed;
    if (file->count() == 0) {
        report(path + " holds no icons: " + file->whyEmpty().text().toUtf8());
        return kFileFailed;
    }
    const std::optional<QByteArray> png = pictures.thumbnail(*file, size);
    if (!png) {
        report(path + ": its first icon cannot be decoded");
        return kFileFailed;
    }
    // Whole or not at all: no half-written picture for the file manager to show.
    if (const int error = png->isEmpty() ? EIO : zor::writeWhole(output, *png); error != 0) {
        report("cannot write " + output + ": " + reason(error));
        return kFileFailed;
    }
    return kSuccess;
}

// Runs the command again in the helper that draws pictures; returns only when it cannot.
int handOff(char* argv[])
{
    return plain::runHelper("zor-icons-pictures", argv);
}

} // namespace

int zorIcons(int argc, char* argv[], Pictures* pictures)
{
    // Past a file-size limit a write fails, rather than the signal ending us with a
    // temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    // search has options of its own, so it reads its words itself.
    if (argc > 1 && QByteArrayView(argv[1]) == "search")
        return finish(searchCommand(argc - 2, argv + 2));
    if (argc > 1 && QByteArrayView(argv[1]) == "create")
        return pictures ? finish(pictures->create(argc - 2, argv + 2)) : handOff(argv);
    if (argc > 1 && QByteArrayView(argv[1]) == "build-icl")
        return pictures ? finish(pictures->buildIcl(argc - 2, argv + 2)) : handOff(argv);
    // zor-icons reads only directories and needs no application object, which costs a
    // good part of its start; the locale it would set gives the system's messages.
    std::optional<QCoreApplication> app;
    if (pictures)
        app.emplace(argc, argv);
    else
        std::setlocale(LC_ALL, "");
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption jsonOption(QStringLiteral("json"), QString());
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("FORMAT"));
    const QCommandLineOption size({QStringLiteral("s"), QStringLiteral("size")}, QString(), QStringLiteral("SIZE"));
    parser.addOptions({help, version, jsonOption, format, size});
    if (!parser.parse(argumentsOf(argc, argv)))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        put(kHelp);
        return finish(kSuccess);
    }
    if (parser.isSet(version)) {
        putLine("zor-icons " ZOR_VERSION);
        return finish(kSuccess);
    }

    QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = words.takeFirst();
    QList<QByteArray> args;
    for (const QString& w : words)
        args << bytesOf(w);
    // Each option belongs to one command.
    const std::pair<const QCommandLineOption*, const char*> owners[] = {
        {&jsonOption, "list"}, {&format, "export"}, {&size, "thumbnail"}};
    for (const auto& [option, owner] : owners)
        if (parser.isSet(*option) && command != QLatin1String(owner))
            return usageError(QStringLiteral("--%1 belongs to %2").arg(option->names().last(), owner));

    if (command == QLatin1String("count")) {
        if (args.isEmpty())
            return usageError(QStringLiteral("count takes one FILE or more"));
        return finish(plain::count(plainFiles(args)));
    }
    if (command == QLatin1String("list")) {
        if (args.isEmpty())
            return usageError(QStringLiteral("list takes one FILE or more"));
        return finish(plain::list(plainFiles(args), parser.isSet(jsonOption), jsonHead));
    }
    if (command == QLatin1String("export")) {
        const QString chosen = parser.isSet(format) ? parser.value(format) : QStringLiteral("png");
        if (chosen != QLatin1String("png") && chosen != QLatin1String("ico"))
            return usageError(QStringLiteral("unknown format %1 (png or ico)").arg(chosen));
        if (args.size() < 2)
            return usageError(QStringLiteral("export takes FILE... and DIR"));
        const QByteArray dir = args.takeLast();
        if (chosen == QLatin1String("ico"))
            return finish(exportFiles(args, dir, nullptr));
        return pictures ? finish(exportFiles(args, dir, pictures)) : handOff(argv);
    }
    if (command == QLatin1String("thumbnail")) {
        bool isNumber = false;
        const int side = parser.value(size).toInt(&isNumber);
        if (!parser.isSet(size) || !isNumber || side < 1 || side > kMaxThumbnailSide)
            return usageError(QStringLiteral("thumbnail needs -s SIZE, 1 to %1").arg(kMaxThumbnailSide));
        if (args.size() != 2)
            return usageError(QStringLiteral("thumbnail takes FILE and OUTPUT.png"));
        return pictures ? finish(thumbnail(*pictures, side, args[0], args[1])) : handOff(argv);
    }
    return usageError(QStringLiteral("unknown command %1").arg(command));
}

} // namespace cli
