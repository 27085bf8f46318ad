#include "app/Form1.h"
#include "app/Screenshot.h"
#include "platform/RealPlatform.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QList<QByteArray> argumentsOf(int argc, char** argv)
{
    QList<QByteArray> args;
    for (int i = 0; i < argc; ++i)
        args << QByteArray(argv[i]);
    return args;
}

// Standard output written and flushed: 0, else "write error" and 1.
int flushed()
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "zor: write error: %s\n", std::strerror(errno ? errno : EIO));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // --help, --version and wrong options are answered before any display is needed.
    {
        QCoreApplication pre(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("zor"));
        QCoreApplication::setApplicationVersion(QLatin1String(ZOR_VERSION));
        QCommandLineParser parser;
        zor::describeCommandLine(parser);
        const QStringList words = zor::commandLineWords(argumentsOf(argc, argv));
        if (!parser.parse(words)) {
            std::fprintf(stderr, "zor: %s\n", qPrintable(zor::commandLineError(parser, words)));
            return 1;
        }
        if (parser.isSet(QStringLiteral("help"))) {
            std::fputs(qPrintable(parser.helpText()), stdout);
            return flushed();
        }
        if (parser.isSet(QStringLiteral("version"))) {
            std::printf("zor %s\n", ZOR_VERSION);
            return flushed();
        }
    }

    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zor"));
    QApplication::setApplicationVersion(QLatin1String(ZOR_VERSION));
    // What is left once the toolkit has taken its own options.
    const QList<QByteArray> args = argumentsOf(argc, argv);
    QCommandLineParser parser;
    zor::describeCommandLine(parser);
    parser.parse(zor::commandLineWords(args));
    zor::RealPlatform real(args);

    zor::Form1 form;
    form.Form_Load();
    form.show();
    if (parser.isSet(QStringLiteral("search")))
        form.OpenSearch(zor::StoredPath(zor::argumentBytes(parser.value(QStringLiteral("search")))).cleaned(), true);
    if (parser.isSet(QStringLiteral("create"))) {
        std::vector<zor::StoredPath> images;
        for (const QString& word : parser.positionalArguments())
            images.push_back(zor::StoredPath(zor::argumentBytes(word)).cleaned());
        form.OpenCreate(images);
    }
    zor::scheduleScreenshot(form, parser);
    return QApplication::exec();
}
