#include "icons/IconExport.h"

#include "platform/iconsource/IcoWriter.h"
#include "platform/iconsource/Opener.h"
#include "platform/iconsource/WholeFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zor::IconExport {

namespace {

} // namespace

QString Reason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT: return QCoreApplication::translate("zor::IconExport", "ディスクの空き領域が足りません。");
    case EFBIG: return QCoreApplication::translate("zor::IconExport", "ファイルが大きすぎます。");
    case EACCES:
    case EPERM: return QCoreApplication::translate("zor::IconExport", "書き込みが許可されていません。");
    case EROFS: return QCoreApplication::translate("zor::IconExport", "読み取り専用の場所です。");
    case EISDIR: return QCoreApplication::translate("zor::IconExport", "同じ名前のフォルダがあります。");
    case ENOENT:
    case ENOTDIR: return QCoreApplication::translate("zor::IconExport", "フォルダが見つかりません。");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

namespace {

bool exists(const StoredPath& path)
{
    struct stat st {};
    return ::lstat(path.bytes().constData(), &st) == 0;
}

// Where a link leads, shown; empty when path is no link.
QString linkTarget(const StoredPath& path)
{
    struct stat st {};
    if (::lstat(path.bytes().constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return {};
    char to[PATH_MAX];
    if (::realpath(path.bytes().constData(), to))
        return StoredPath(QByteArray(to)).shown();
    const ssize_t n = ::readlink(path.bytes().constData(), to, sizeof to);   // it leads nowhere
    return n > 0 ? StoredPath(QByteArray(to, n)).shown() : QString();
}

QString baseName(const StoredPath& path)
{
    return QFileInfo(path.fileName()).completeBaseName();
}

QByteArray lastComponent(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QString sizeName(QSize s)
{
    return s.width() == s.height() ? QString::number(s.width()) : QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

} // namespace

std::shared_ptr<const iconsource::IconFile> ReadIconFile(const StoredPath& path)
{
    auto file = iconsource::openIconFile(path);
    return std::make_shared<const iconsource::IconFile>(file ? std::move(*file) : iconsource::IconFile::fromData({}));
}

const iconsource::IconFile& Source(IconOfFile& icon)
{
    if (!icon.file)
        icon.file = ReadIconFile(icon.path);
    return *icon.file;
}

QString SaveName(const IconOfFile& icon)
{
    const QString base = baseName(icon.path);
    return icon.inFolder ? base : base + QLatin1Char('_') + QString::number(icon.index);
}

QByteArray SourceFolderName(const IconOfFile& icon)
{
    if (icon.inFolder)
        return lastComponent(icon.path.folder().bytes());
    const QByteArray name = lastComponent(icon.path.bytes());
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? name : name.left(dot);
}

QByteArray GroupBytes(IconOfFile& icon)
{
    return Source(icon).groupAsIco(icon.index);
}

std::vector<QSize> GroupSizes(IconOfFile& icon)
{
    std::vector<QSize> sizes;
    for (const auto& e : Source(icon).entries(icon.index)) {
        const QSize s(e.width, e.height);
        if (std::find(sizes.begin(), sizes.end(), s) == sizes.end())
            sizes.push_back(s);
    }
    std::stable_sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) {
        return qint64(a.width()) * a.height() > qint64(b.width()) * b.height();
    });
    return sizes;
}

QImage ImageAt(IconOfFile& icon, QSize size)
{
    return Source(icon).image(icon.index, size);
}

QImage LargestImage(IconOfFile& icon)
{
    const auto sizes = GroupSizes(icon);
    return sizes.empty() ? QImage() : ImageAt(icon, sizes.front());
}

QByteArray BmpBytes(const QImage& image)
{
    if (image.isNull())
        return {};
    QImage flat(image.size(), QImage::Format_RGB888);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!flat.save(&buffer, "BMP"))
        bytes.clear();
    return bytes;
}

QString ImageSaveName(const IconOfFile& icon, const EntryFacts& facts)
{
    return QStringLiteral("%1-%2x%3-%4bit").arg(SaveName(icon)).arg(facts.size.width()).arg(facts.size.height()).arg(facts.depth);
}

EntryFacts Describe(const iconsource::GroupEntry& entry)
{
    EntryFacts f;
    f.bytes = entry.data.size();
    f.size = iconsource::entrySize(entry);
    f.png = iconsource::isPngEntry(entry);
    f.depth = iconsource::entryDepth(entry);
    // A PNG's own header tells its real depth: bits per channel times channels.
    const QByteArrayView d = entry.data;
    if (f.png && d.size() >= 26) {
        const int bits = quint8(d[24]);
        const int channels[] = {1, 0, 3, 1, 2, 0, 4};
        const int type = quint8(d[25]);
        if (type < 7 && channels[type] > 0)
            f.depth = bits * channels[type];
    }
    return f;
}

QString WriteWhole(const StoredPath& path, const QByteArray& bytes)
{
    const int error = writeWhole(path.bytes(), bytes);
    return error == 0 ? QString() : Reason(error);
}

QString ExportFileName(const QString& name, Format format, QSize pngSize)
{
    return format == Format::Ico ? name + QStringLiteral(".ico") : name + QLatin1Char('-') + sizeName(pngSize) + QStringLiteral(".png");
}

SaveAllResult SaveAll(std::vector<IconOfFile> icons, const SaveAllRequest& request)
{
    SaveAllResult result;
    const int total = int(icons.size());
    std::vector<StoredPath> targets;
    targets.reserve(icons.size());
    // Each picture's size; the largest is each group's own.
    std::vector<QSize> sizes(icons.size(), QSize(request.pngSize, request.pngSize));
    if (request.format == Format::Png && request.pngSize <= 0) {
        for (size_t i = 0; i < icons.size(); ++i) {
            const auto own = GroupSizes(icons[i]);
            sizes[i] = own.empty() ? QSize() : own.front();
            if (icons[i].inFolder)
                icons[i].file.reset();
        }
    }
    QSet<QString> taken;
    for (size_t i = 0; i < icons.size(); ++i) {
        const QString name = SaveName(icons[i]);
        QString file = ExportFileName(name, request.format, sizes[i]);
        for (int n = 2; taken.contains(file); ++n)
            file = ExportFileName(name + QLatin1Char('~') + QString::number(n), request.format, sizes[i]);
        taken.insert(file);
        targets.push_back(request.folder.bytes().endsWith('/') ? StoredPath(request.folder.bytes() + QFile::encodeName(file))
                                                                 : request.folder.child(QFile::encodeName(file)));
    }

    // One question, before anything is written, whatever the number of existing files.
    std::optional<Existing> answer;
    auto ask = [&](const StoredPath& target) {
        answer = request.onExisting ? request.onExisting(target.shown(), linkTarget(target)) : Existing::SkipAll;
    };
    for (const StoredPath& target : targets) {
        if (exists(target)) {
            ask(target);
            break;
        }
    }
    if (answer == Existing::Cancel) {
        result.cancelled = true;
        return result;
    }

    OutputBudget budget;
    for (int i = 0; i < total; ++i) {
        if (request.onProgress && !request.onProgress(i, total)) {
            result.stopped = true;
            return result;
        }
        const StoredPath& target = targets[size_t(i)];
        if (exists(target)) {
            if (!answer)   // appeared while the export ran
                ask(target);
            if (answer == Existing::Cancel) {
                result.stopped = true;
                return result;
            }
            if (answer == Existing::SkipAll) {
                ++result.skipped;
                continue;
            }
        }
        IconOfFile& icon = icons[size_t(i)];
        const QSize size = sizes[size_t(i)];
        const QByteArray bytes = request.format == Format::Ico ? GroupBytes(icon)
            : size.isEmpty()                                  ? QByteArray()
                                                              : iconsource::pngBytes(ImageAt(icon, size));
        if (icon.inFolder)
            icon.file.reset();   // one file a folder item: let it go at once
        if (bytes.isEmpty()) {
            ++result.unreadable;
            continue;
        }
        if (!budget.spend(icon, bytes.size(), &result.error)) {
            result.failedFile = target.shown();
            return result;
        }
        const QString error = WriteWhole(target, bytes);
        if (!error.isEmpty()) {
            result.failedFile = target.shown();
            result.error = error;
            return result;
        }
        ++result.written;
    }
    if (request.onProgress)
        request.onProgress(total, total);
    return result;
}

bool OutputBudget::spend(const IconOfFile& icon, qint64 bytes, QString* why)
{
    auto& [spent, limit] = m_sources.try_emplace(icon.path.bytes(), 0, -1).first->second;
    if (limit < 0)
        limit = iconsource::outputLimitOf(icon.path.bytes());
    spent += iconsource::outputCost(bytes);
    if (spent <= limit)
        return true;
    if (why)
        *why = QCoreApplication::translate("zor::IconExport", "%1 から書き出せる大きさの上限 (%2 バイト、ファイルの大きさの %3 倍) を超えるため、ここで止めました。")
                   .arg(icon.path.shown())
                   .arg(limit)
                   .arg(iconsource::kOutputPerInputByte);
    return false;
}

QString WriteDragFile(IconOfFile& icon, OutputBudget* budget)
{
    // Removed when the program ends, as a drop target may read the file long after the drag;
    // in the session's runtime folder, which logging out empties should the program not end well.
    static QTemporaryDir folder([] {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        return (runtime.isEmpty() ? QDir::tempPath() : runtime) + QStringLiteral("/zor-drag-XXXXXX");
    }());
    static int drags = 0;
    if (!folder.isValid())
        return {};
    const QByteArray bytes = GroupBytes(icon);
    if (bytes.isEmpty() || (budget && !budget->spend(icon, bytes.size())))
        return {};
    // A folder a drag, so two icons with one name never meet.
    const QString dir = folder.filePath(QString::number(++drags));
    if (!QDir().mkpath(dir))
        return {};
    const QString path = dir + QLatin1Char('/') + SaveName(icon) + QStringLiteral(".ico");
    return WriteWhole(StoredPath::fromText(path), bytes).isEmpty() ? path : QString();
}

} // namespace zor::IconExport
