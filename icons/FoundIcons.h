#pragma once
// What a search found, as a table model: an icon a row, grouped by file in the order found. The
// pictures are read on threads of their own, only for the rows the list shows, and kept for
// a while; a row shows an empty square until its picture has come.
#include "icons/SearchSession.h"
#include "platform/iconsource/StoredPath.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QThreadPool>

#include <atomic>

namespace zor {

// Reads pictures of icons off the user-interface thread; each comes back with its key.
class PictureLoader : public QObject {
    Q_OBJECT
public:
    explicit PictureLoader(QObject* parent = nullptr);
    ~PictureLoader() override;
    void request(quint64 key, const StoredPath& path, int index, QSize size);
    // What was asked for and has not come yet is no longer wanted.
    void forget();

Q_SIGNALS:
    void loaded(quint64 key, const QImage& image);

private:
    QThreadPool m_pool;
    std::atomic<int> m_generation{0};
    int m_priority = 0;
};

// Column Label is what the icon views show; the others are the details.
class FoundIconModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int FileNameRole = Qt::UserRole;
    static constexpr int SortRole = Qt::UserRole + 1;   // names as text, the rest as numbers
    enum Column { Label, Name, Folder, Number, Largest, Images, ColumnCount };

    struct File {
        StoredPath path;
        QString name;     // the file's name, shown
        QString folder;   // the folder that holds it, shown
    };
    struct Row {
        int file;
        int index;
        int largest;
        int images;
    };

    explicit FoundIconModel(QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& mi, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void append(const FoundFiles& found);
    void clear();
    bool large() const { return m_large; }
    void setLarge(bool on);

    const Row& row(int r) const { return m_rows[size_t(r)]; }
    const File& fileOf(int r) const { return m_files[size_t(m_rows[size_t(r)].file)]; }
    int fileCount() const { return int(m_files.size()); }
    const std::vector<Row>& rows() const { return m_rows; }

private:
    void arrived(quint64 key, const QImage& image);
    QPixmap picture(int row) const;

    std::vector<File> m_files;
    std::vector<Row> m_rows;
    bool m_large = true;
    PictureLoader* m_loader;
    mutable QCache<quint64, QPixmap> m_pictures{4000};
    mutable QSet<quint64> m_pending;
};

} // namespace zor
