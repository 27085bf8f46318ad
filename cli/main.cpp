// zor-icons: counts and exports the icons of Windows icon sources.

#include "platform/iconsource/IconSource.h"
#include "search.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

using namespace zor::iconsource;

namespace {

const char* const kUsage =
    "usage: zor-icons count PATH\n"
    "       zor-icons export PATH DIR [--format png|ico]\n";

int usageError(const QString& message)
{
    std::fprintf(stderr, "zor-icons: %s\n%s", qPrintable(message), kUsage);
    return 2;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

int exportIcons(const QString& path, const QString& dirPath, bool asIco)
{
    const IconFile source(path);
    const int n = source.count();
    if (n == 0) {
        std::fprintf(stderr, "zor-icons: %s holds no icons (not an icon file, icon library or program)\n",
                     qPrintable(path));
        return 1;
    }
    if (!QDir().mkpath(dirPath)) {
        std::fprintf(stderr, "zor-icons: cannot create %s\n", qPrintable(dirPath));
        return 1;
    }
    const QDir dir(dirPath);
    int written = 0;
    for (int k = 0; k < n; ++k) {
        bool ok = true;
        if (asIco) {
            const QByteArray ico = source.groupAsIco(k);
            if (ico.isEmpty()) {
                std::fprintf(stderr, "zor-icons: icon %d: group cannot be read\n", k);
                continue;
            }
            ok = writeFile(dir.filePath(QStringLiteral("%1.ico").arg(k)), ico);
        } else {
            const IconPair pair = source.extract(k);
            if (pair.large.isNull() && pair.small.isNull()) {
                std::fprintf(stderr, "zor-icons: icon %d: no image could be decoded\n", k);
                continue;
            }
            if (!pair.large.isNull())
                ok = pair.large.save(dir.filePath(QStringLiteral("%1-32.png").arg(k)), "PNG") && ok;
            if (!pair.small.isNull())
                ok = pair.small.save(dir.filePath(QStringLiteral("%1-16.png").arg(k)), "PNG") && ok;
        }
        if (!ok) {
            std::fprintf(stderr, "zor-icons: cannot write icon %d into %s\n", k, qPrintable(dirPath));
            return 1;
        }
        ++written;
    }
    std::printf("%d\n", written);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && QByteArrayView(argv[1]) == "search") return searchCommand(argc - 2, argv + 2);
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = args.takeFirst();

    if (command == QLatin1String("count")) {
        if (args.size() != 1)
            return usageError(QStringLiteral("count takes one PATH"));
        std::printf("%d\n", countIcons(args.first()));
        return 0;
    }
    if (command == QLatin1String("export")) {
        QString format = QStringLiteral("png");
        QStringList paths;
        for (int i = 0; i < args.size(); ++i) {
            const QString& a = args[i];
            if (a == QLatin1String("--format")) {
                if (i + 1 >= args.size())
                    return usageError(QStringLiteral("--format needs png or ico"));
                format = args[++i];
            } else if (a.startsWith(QLatin1String("--format="))) {
                format = a.mid(9);
            } else if (a.startsWith(QLatin1String("--"))) {
                return usageError(QStringLiteral("unknown option %1").arg(a));
            } else {
                paths << a;
            }
        }
        if (format != QLatin1String("png") && format != QLatin1String("ico"))
            return usageError(QStringLiteral("unknown format %1 (png or ico)").arg(format));
        if (paths.size() != 2)
            return usageError(QStringLiteral("export takes PATH and DIR"));
        return exportIcons(paths[0], paths[1], format == QLatin1String("ico"));
    }
    return usageError(QStringLiteral("unknown command %1").arg(command));
}
