#include "platform/desktop/RealShell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace zor {

namespace {
// The opener itself starts and fails on its own, so without this check a document
// nobody can open looks opened.
bool hasProgramForType(const QString& type)
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return true;   // nothing to ask: leave it to the opener
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return true;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}
} // namespace

bool RealShell::hasProgramFor(const QString& path)
{
    return hasProgramForType(QMimeDatabase().mimeTypeForFile(path).name());
}

bool RealShell::openDocument(const QString& path, int)
{
    // The desktop opener would only report a missing file to the user itself.
    if (path.isEmpty() || !QFileInfo::exists(path) || !hasProgramFor(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void RealShell::openUrl(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return;
    QDesktopServices::openUrl(url);
}

void RealShell::showProperties(const QString& path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    // Fire and forget: without a file manager the call simply fails on its own.
    bus.asyncCall(call, 5000);
}

namespace {
// A file URI from a stored name: percent-encoded bytes keep names that are not UTF-8.
QString fileUri(const QByteArray& path)
{
    return QStringLiteral("file://") + QString::fromLatin1(path.toPercentEncoding("/"));
}
} // namespace

void RealShell::showItems(const QList<QByteArray>& paths, std::function<void(bool)> done)
{
    if (!done)
        done = [](bool) {};
    if (paths.isEmpty()) {
        done(false);
        return;
    }
    QStringList uris;
    for (const QByteArray& path : paths)
        uris << fileUri(path);
    const QByteArray folder = paths.first().left(std::max<qsizetype>(paths.first().lastIndexOf('/'), 1));
    auto openFolder = [folder] {
        return hasProgramForType(QStringLiteral("inode/directory")) && QDesktopServices::openUrl(QUrl(fileUri(folder)));
    };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        done(openFolder());
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    // Without a file manager on the bus the call fails; then the folder opens as a document.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, openFolder, done] {
        done(!watcher->isError() || openFolder());
        watcher->deleteLater();
    });
}

} // namespace zor
