#include "platform/Platform.h"

#include <QDebug>
#include <QFile>
#include <exception>

namespace zor {

namespace {
Platform g_platform;
}

Platform& platform() { return g_platform; }

void installPlatform(const Platform& p) { g_platform = p; }

qint64 ProgramStarter::start(const QString& program, const QStringList& arguments)
{
    QList<QByteArray> bytes;
    for (const QString& a : arguments)
        bytes << QFile::encodeName(a);
    return start(QFile::encodeName(program), bytes);
}

QString Identity::executablePath() const
{
    return programFolder() + QLatin1Char('/') + fileName();
}

void trap(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        qDebug() << "handler ended:" << e.what();
    } catch (...) {
        qDebug() << "handler ended by an unknown error";
    }
}

} // namespace zor
