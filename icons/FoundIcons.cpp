#include "icons/FoundIcons.h"
#include "platform/BundledPicture.h"

#include "platform/iconsource/Opener.h"

#include <QRunnable>

namespace zor {

namespace {
QPixmap broken(bool large)
{
    return bundledPicture(large ? QStringLiteral(":/art/broken32.png") : QStringLiteral(":/art/broken16.png"));
}

QPixmap waiting(bool large)
{
    const int side = large ? 32 : 16;
    QPixmap blank(side, side);
    blank.fill(Qt::transparent);
    return blank;
}

quint64 keyOf(int row, bool large) { return quint64(row) << 1 | (large ? 1 : 0); }
} // namespace

PictureLoader::PictureLoader(QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(2);
}

PictureLoader::~PictureLoader()
{
    forget();
    m_pool.clear();
    m_pool.waitForDone();
}

void PictureLoader::request(quint64 key, const StoredPath& path, int index, QSize size)
{
    const int generation = m_generation;
    // The rows asked for last are the ones on screen now: they go first.
    m_pool.start(QRunnable::create([this, generation, key, path, index, size] {
                     if (generation != m_generation)
                         return;
                     QImage image;
                     if (const auto file = iconsource::openIconFile(path))
                         image = file->image(index, size);
                     QMetaObject::invokeMethod(
                         this,
                         [this, generation, key, image] {
                             if (generation == m_generation)
                                 Q_EMIT loaded(key, image);
                         },
                         Qt::QueuedConnection);
                 }),
                 ++m_priority);
}

void PictureLoader::forget()
{
    ++m_generation;
    m_pool.clear();
}

FoundIconModel::FoundIconModel(QObject* parent) : QAbstractTableModel(parent), m_loader(new PictureLoader(this))
{
    connect(m_loader, &PictureLoader::loaded, this, &FoundIconModel::arrived);
}

int FoundIconModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FoundIconModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FoundIconModel::data(const QModelIndex& mi, int role) const
{
    if (!mi.isValid() || mi.row() >= int(m_rows.size()))
        return {};
    const Row& r = m_rows[size_t(mi.row())];
    const File& f = m_files[size_t(r.file)];
    const int column = mi.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case Label:
            return QStringLiteral("%1,%2").arg(f.name).arg(r.index);
        case Largest:
            return r.largest > 0 ? QStringLiteral("%1 × %1").arg(r.largest) : QString();
        default:
            return data(mi, SortRole);
        }
    case SortRole:
        switch (column) {
        case Label:
        case Name:
            return f.name;
        case Folder:
            return f.folder;
        case Number:
            return r.index;
        case Largest:
            return r.largest;
        case Images:
            return r.images;
        default:
            return {};
        }
    case Qt::TextAlignmentRole:
        if (column >= Number)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::ToolTipRole:
        return tr("%1,%2\n最大 %3 × %3").arg(f.path.shown()).arg(r.index).arg(r.largest);
    case FileNameRole:
        return f.name;
    case Qt::DecorationRole:
        if (column == Label || column == Name)
            return picture(mi.row());
        return {};
    default:
        return {};
    }
}

QVariant FoundIconModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Name:
        return tr("ファイル名");
    case Folder:
        //: Column header: the folder a file is in.
        return tr("フォルダ");
    case Number:
        //: Column header: the icon's number in its file.
        return tr("番号");
    case Largest:
        return tr("最大サイズ");
    case Images:
        return tr("画像数");
    default:
        return QString();
    }
}

QPixmap FoundIconModel::picture(int row) const
{
    const quint64 key = keyOf(row, m_large);
    if (const QPixmap* kept = m_pictures.object(key))
        return *kept;
    if (!m_pending.contains(key)) {
        m_pending.insert(key);
        const Row& r = m_rows[size_t(row)];
        const int side = m_large ? 32 : 16;
        m_loader->request(key, m_files[size_t(r.file)].path, r.index, {side, side});
    }
    return waiting(m_large);
}

void FoundIconModel::arrived(quint64 key, const QImage& image)
{
    m_pending.remove(key);
    const int row = int(key >> 1);
    const bool large = key & 1;
    if (row >= int(m_rows.size()))
        return;
    m_pictures.insert(key, new QPixmap(image.isNull() ? broken(large) : QPixmap::fromImage(image)));
    if (large == m_large)
        Q_EMIT dataChanged(index(row, Label), index(row, Name), {Qt::DecorationRole});
}

void FoundIconModel::append(const FoundFiles& found)
{
    size_t count = 0;
    for (const iconsource::FoundFile& f : found)
        count += f.icons.size();
    if (count == 0)
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + count - 1));
    for (const iconsource::FoundFile& f : found) {
        StoredPath path(f.path);
        QString name = path.fileName();
        QString folder = path.folder().shown();
        m_files.push_back({std::move(path), std::move(name), std::move(folder)});
        for (const iconsource::FoundIcon& icon : f.icons)
            m_rows.push_back({int(m_files.size() - 1), icon.index, icon.largest, icon.images});
    }
    endInsertRows();
}

void FoundIconModel::clear()
{
    beginResetModel();
    m_loader->forget();
    m_files.clear();
    m_rows.clear();
    m_pictures.clear();
    m_pending.clear();
    endResetModel();
}

void FoundIconModel::setLarge(bool on)
{
    if (m_large == on)
        return;
    m_large = on;
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, Label), index(int(m_rows.size()) - 1, Name), {Qt::DecorationRole});
}

} // namespace zor
