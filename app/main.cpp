#include "app/Form1.h"
#include "app/Screenshot.h"
#include "platform/RealPlatform.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv)
{
    // --help and --version answer before any display is needed. Qt's own options
    // (-platform, -style, ...) are unknown here; QApplication takes them later.
    {
        QCoreApplication pre(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("zor"));
        QCoreApplication::setApplicationVersion(QLatin1String(ZOR_VERSION));
        QCommandLineParser parser;
        zor::describeCommandLine(parser);
        parser.parse(QCoreApplication::arguments());
        if (parser.isSet(QStringLiteral("help"))) {
            std::fputs(qPrintable(parser.helpText()), stdout);
            return 0;
        }
        if (parser.isSet(QStringLiteral("version"))) {
            std::printf("zor %s\n", ZOR_VERSION);
            return 0;
        }
    }

    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zor"));
    QApplication::setApplicationVersion(QLatin1String(ZOR_VERSION));
    QCommandLineParser parser;
    zor::describeCommandLine(parser);
    if (!parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "zor: %s\n", qPrintable(parser.errorText()));
        return 1;
    }
    zor::RealPlatform real;

    zor::Form1 form;
    form.Form_Load();
    form.show();
    if (parser.isSet(QStringLiteral("search")))
        form.OpenSearch(QFileInfo(parser.value(QStringLiteral("search"))).absoluteFilePath(), true);
    zor::scheduleScreenshot(form, parser);
    return QApplication::exec();
}
