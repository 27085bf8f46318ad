#pragma once

// Reads the icons of Windows icon sources: ICO and CUR files, PE32/PE32+ images
// and 16-bit NE images (.icl libraries, old programs). Formats are told by content.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <vector>

namespace zor::iconsource {

struct IconPair {
    QImage large;
    QImage small;
};   // a null QImage means "no image"

// One entry of an icon group (or of an ICO/CUR file's directory).
struct GroupEntry {
    int width = 0;          // stored 0 reads as 256
    int height = 0;
    int colorCount = 0;
    int planes = 0;
    int bitCount = 0;
    QByteArrayView data;    // the image as stored; empty when it is missing
    std::shared_ptr<const void> owner;   // keeps the file's bytes that data points into alive
};

class IconFile {
public:
    explicit IconFile(const QString& path);
    static IconFile fromData(const QByteArray& bytes);

    int count() const;
    IconPair extract(int index, QSize large = {32, 32}, QSize small = {16, 16}) const;
    QImage image(int index, QSize size) const;
    QByteArray groupAsIco(int index) const;

    // The group's entries in stored order (the first 256 of a larger one); empty for an
    // index out of range.
    std::vector<GroupEntry> entries(int index) const;

    struct Parsed;

private:
    IconFile() = default;
    void parse();

    std::shared_ptr<const Parsed> d;
};

int countIcons(const QString& path);
// One pair for each icon from first on that exists, at most count.
std::vector<IconPair> extractIcons(const QString& path, int first, int count,
                                   QSize large = {32, 32}, QSize small = {16, 16});

// Index of the entry that serves a picture of the wanted size, or -1 when there is none.
int chooseEntry(const std::vector<GroupEntry>& entries, QSize wanted);

// Decodes one stored image (a DIB with its AND mask, or PNG) at its own size; null when it fails.
QImage decodeEntry(const GroupEntry& entry);

// How a program or library names icon group i, in the order IconFile counts them: "#12" for
// a number, else the stored name; the language of the version read (-1 where the format
// keeps none, as NE does). Empty for icon files and anything that is not a program.
struct GroupName {
    QString name;
    int language = -1;
};
std::vector<GroupName> groupNames(QByteArrayView file);

} // namespace zor::iconsource
