// zor-icons search DIR [--recursive] [--all-files] [--min-size N] [--json]

#include "search.h"

#include "Output.h"

#include "platform/iconsource/IconSearch.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace zor::iconsource;

namespace {

const char* const kSearchHelp = R"(Usage: zor-icons search DIR [--recursive] [--all-files] [--min-size N] [--json]

Prints every icon of every icon file (.ico, .cur), icon library (.icl) and program
or library (.exe, .dll, .cpl, .ocx, .scr, .mun, .sys) in the folder DIR, one line per
icon: the file, the icon's number in it (from 0) and the side of its largest image,
separated by tabs. Extensions are compared ignoring case. Files are read by every
core at once; only their icon directories are read, never the pictures.

  -r, --recursive   Search the subfolders too (links to folders are not followed).
  --all-files       Open every file, not only those named as icon sources, and tell
                    icon sources by their content.
  --min-size N      List only icons that hold an image at least N pixels wide or high.
  --json            Print one JSON object a line instead:
                    {"index": N, "path": FILE, "size": LARGEST}, and where FILE
                    is not UTF-8 also "path_bytes": its bytes in base64
  -h, --help        Print this help and exit.

Files that cannot be read are skipped and counted on standard error; FIFOs, devices
and sockets are never opened. Exit status: 0 the search ran; 1 DIR cannot be read;
2 wrong usage.
)";

int usage(const char* message)
{
    std::fprintf(stderr, "zor-icons: %s\nTry 'zor-icons search --help'.\n", message);
    return 2;
}

} // namespace

int searchCommand(int argc, char* argv[])
{
    SearchOptions options;
    options.recursive = false;
    bool json = false;
    bool haveDir = false;
    bool optionsEnd = false;
    for (int i = 0; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (optionsEnd || !a.startsWith('-') || a == "-") {
            if (haveDir)
                return usage("search takes one DIR");
            options.root = a;
            haveDir = true;
        } else if (a == "--") {
            optionsEnd = true;
        } else if (a == "-h" || a == "--help") {
            cli::put(kSearchHelp);
            return 0;
        } else if (a == "-r" || a == "--recursive") {
            options.recursive = true;
        } else if (a == "--all-files") {
            options.kinds = EveryFile;
        } else if (a == "--json") {
            json = true;
        } else if (a == "--min-size" || a.startsWith("--min-size=")) {
            QByteArray value;
            if (a == "--min-size") {
                if (i + 1 >= argc)
                    return usage("--min-size needs a number");
                value = argv[++i];
            } else {
                value = a.mid(int(std::strlen("--min-size=")));
            }
            bool ok = false;
            options.minSize = value.toInt(&ok);
            if (!ok || options.minSize < 0)
                return usage("--min-size needs a number of pixels, 0 or more");
        } else {
            std::fprintf(stderr, "zor-icons: unknown option %s\n", a.constData());
            return usage("search takes --recursive, --all-files, --min-size N and --json");
        }
    }
    if (!haveDir)
        return usage("search needs a DIR");

    IconSearch search(options);
    const bool ran = search.run([&](FoundFile&& file) {
        for (const FoundIcon& icon : file.icons) {
            bool written = true;
            if (json) {
                QJsonObject line{{"index", icon.index}, {"size", icon.largest}};
                cli::addName(line, "path", "path_bytes", file.path);
                written = cli::putLine(QJsonDocument(line).toJson(QJsonDocument::Compact));
            } else {
                // The name as stored, byte for byte.
                written = cli::putLine(file.path + '\t' + QByteArray::number(icon.index) + '\t'
                                       + QByteArray::number(icon.largest));
            }
            if (!written) {   // nobody reads what is found: stop looking
                search.cancel();
                return;
            }
        }
    });
    if (!ran) {
        std::fprintf(stderr, "zor-icons: cannot read the folder %s: %s\n", options.root.constData(), std::strerror(errno));
        return 1;
    }
    const SearchProgress done = search.progress();
    if (done.unreadableFiles > 0 || done.unreadableFolders > 0)
        std::fprintf(stderr, "zor-icons: skipped what could not be read: %lld files, %lld folders\n",
                     qlonglong(done.unreadableFiles), qlonglong(done.unreadableFolders));
    return 0;
}
