#include "platform/registry/HiveRegistry.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

namespace zor {

namespace {
const QString Format = QStringLiteral("zor-registry-hive");
constexpr int Version = 1;
constexpr qint64 MaxHiveBytes = 64 * 1024 * 1024;   // far beyond anything the program writes
constexpr int LockWaitMs = 10000;

// QLockFile's own waiting doubles its pauses from 100 ms, which starves a writer
// among busy ones; short even pauses keep the queue moving.
bool takeLock(QLockFile& lock)
{
    QElapsedTimer timer;
    timer.start();
    while (!lock.tryLock(0)) {
        if (lock.error() != QLockFile::LockFailedError || timer.elapsed() > LockWaitMs)
            return false;
        QThread::msleep(2 + QRandomGenerator::global()->bounded(4));
    }
    return true;
}
} // namespace

HiveRegistry::HiveRegistry(QString folder) : m_folder(std::move(folder)) {}

QString HiveRegistry::folder() const
{
    if (!m_folder.isEmpty())
        return m_folder;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/QEL/registry");
}

QString HiveRegistry::fileOf(HKEY root) const
{
    return folder() + QLatin1Char('/') + rootName(root) + QStringLiteral(".hive");
}

QByteArray HiveRegistry::serialise(const Hive& hive)
{
    QJsonArray keys;
    for (const RegistryKey& key : hive.keys) {
        QJsonArray values;
        for (const RegistryValue& v : key.values) {
            values.append(QJsonObject{{QStringLiteral("name"), v.name},
                                      {QStringLiteral("type"), qint64(v.type)},
                                      {QStringLiteral("data"), QString::fromLatin1(v.data.toBase64())}});
        }
        keys.append(QJsonObject{{QStringLiteral("name"), key.name}, {QStringLiteral("values"), values}});
    }
    const QJsonObject top{{QStringLiteral("format"), Format},
                          {QStringLiteral("version"), Version},
                          {QStringLiteral("keys"), keys}};
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

bool HiveRegistry::parseHive(const QByteArray& bytes, Hive& hive)
{
    hive = Hive{};
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject top = doc.object();
    if (top.value(QStringLiteral("format")).toString() != Format || !top.value(QStringLiteral("keys")).isArray())
        return false;
    Hive parsed;
    for (const QJsonValue& k : top.value(QStringLiteral("keys")).toArray()) {
        if (!k.isObject() || !k[QStringLiteral("name")].isString() || !k[QStringLiteral("values")].isArray())
            return false;
        RegistryKey key;
        key.name = k[QStringLiteral("name")].toString();
        for (const QJsonValue& v : k[QStringLiteral("values")].toArray()) {
            if (!v.isObject() || !v[QStringLiteral("name")].isString() || !v[QStringLiteral("type")].isDouble()
                || !v[QStringLiteral("data")].isString())
                return false;
            const double type = v[QStringLiteral("type")].toDouble();
            if (type < 0 || type > 0xFFFFFFFF)
                return false;
            const auto decoded = QByteArray::fromBase64Encoding(v[QStringLiteral("data")].toString().toLatin1(),
                                                                QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                return false;
            const QString name = v[QStringLiteral("name")].toString();
            key.values.insert(name.toLower(), RegistryValue{name, DWORD(type), *decoded});
        }
        parsed.keys.insert(key.name.toLower(), key);
    }
    // Every key's parents exist, whatever a hand-edited file says.
    const QStringList paths = parsed.keys.keys();
    for (const QString& path : paths) {
        const QString shown = parsed.keys.value(path).name;
        for (qsizetype i = path.indexOf(QLatin1Char('\\')); i > 0; i = path.indexOf(QLatin1Char('\\'), i + 1)) {
            if (!parsed.keys.contains(path.left(i)))
                parsed.keys.insert(path.left(i), RegistryKey{shown.left(i), {}});
        }
    }
    hive = std::move(parsed);
    return true;
}

HiveRegistry::ReadResult HiveRegistry::load(const QString& file, Hive& hive) const
{
    hive = Hive{};
    QFile f(file);
    if (!f.exists())
        return ReadResult::Missing;
    if (!f.open(QIODevice::ReadOnly))
        return ReadResult::Unreadable;
    if (f.size() > MaxHiveBytes)
        return ReadResult::Damaged;
    const QByteArray bytes = f.read(MaxHiveBytes + 1);
    if (bytes.size() > MaxHiveBytes)
        return ReadResult::Damaged;
    return parseHive(bytes, hive) ? ReadResult::Ok : ReadResult::Damaged;
}

void HiveRegistry::setAside(const QString& file) const
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmsszzz"));
    QString target = file + QStringLiteral(".damaged-") + stamp;
    for (int n = 1; QFileInfo::exists(target); ++n)
        target = file + QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n);
    QFile::rename(file, target);
}

bool HiveRegistry::readHive(HKEY root, Hive& hive)
{
    const QString file = fileOf(root);
    const ReadResult r = load(file, hive);
    if (r == ReadResult::Damaged) {
        // Set the damaged file aside under the lock, unless another instance already did.
        QLockFile lock(file + QStringLiteral(".lock"));
        if (takeLock(lock) && load(file, hive) == ReadResult::Damaged)
            setAside(file);
        hive = Hive{};
    }
    return r == ReadResult::Ok || r == ReadResult::Missing;
}

LONG HiveRegistry::modifyHive(HKEY root, const std::function<LONG(Hive&, bool&)>& change)
{
    const QString file = fileOf(root);
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return ERROR_ACCESS_DENIED;
    QLockFile lock(file + QStringLiteral(".lock"));
    if (!takeLock(lock))
        return ERROR_LOCK_VIOLATION;

    Hive hive;
    switch (load(file, hive)) {
    case ReadResult::Ok:
    case ReadResult::Missing:
        break;
    case ReadResult::Unreadable:
        return ERROR_ACCESS_DENIED;   // never write over what we could not read
    case ReadResult::Damaged:
        setAside(file);
        hive = Hive{};
        break;
    }

    bool changed = false;
    const LONG rc = change(hive, changed);
    if (rc != ERROR_SUCCESS || !changed)
        return rc;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return ERROR_ACCESS_DENIED;
    out.write(serialise(hive));
    return out.commit() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

} // namespace zor
