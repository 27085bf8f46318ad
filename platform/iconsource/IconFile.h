#pragma once

// The icon directories of Windows icon sources (ICO and CUR files, PE32/PE32+ images and
// 16-bit NE images: .icl libraries, old programs), as the walk (Walk.h) reads them, in Qt's
// types. This part needs Qt Core alone; the pictures (IconSource.h) are made by the library
// above it.

#include <QByteArray>
#include <QSize>
#include <QString>

#include "Walk.h"

#include <memory>
#include <vector>

class QImage;

namespace zor::iconsource {

struct IconPair;   // IconSource.h

// One entry of an icon group (or of an ICO/CUR file's directory).
struct GroupEntry {
    int width = 0;          // as the directory says, stored 0 reading as 256 (entrySize has the image's own)
    int height = 0;
    int colorCount = 0;
    int planes = 0;
    int bitCount = 0;
    QByteArrayView data;    // the image as stored; empty when it is missing
    std::shared_ptr<const void> owner;   // keeps the file's bytes that data points into alive
};

// How a program or library names icon group i: "#12" for a number, else the stored name;
// the language of the version read (-1 where the format keeps none, as NE does). Empty for
// icon files.
struct GroupName {
    QString name;
    int language = -1;
};

// Why a file gives no icons, and where the reader stopped.
struct EmptyReason {
    enum Kind { None = walk::Stop::None, NotAnIconSource = walk::Stop::NotAnIconSource, CutShort = walk::Stop::CutShort,
                NoIconGroups = walk::Stop::NoIconGroups, ImagesRefused = walk::Stop::ImagesRefused };
    Kind kind = None;
    QString where;   // what was being read, with its offset
    QString text() const;
};

// One file's icons. Copies share the file's bytes; an IconFile (and its copies) is used by
// one thread at a time, so several threads each open their own. Files are opened by the
// opener (Opener.h); these two make one of bytes already at hand.
class IconFile {
public:
    static IconFile fromData(const QByteArray& bytes);
    // bytes stay valid as long as owner lives (or as long as the caller says, for a null owner).
    static IconFile fromMapped(QByteArrayView bytes, std::shared_ptr<const void> owner);
    static IconFile fromSource(std::shared_ptr<const walk::Source> source);

    // A copy starts with no pictures remembered, so that copies may go to other threads.
    IconFile(const IconFile& other) : d(other.d), m_oversizeDecoded(other.m_oversizeDecoded) {}
    IconFile& operator=(const IconFile& other)
    {
        d = other.d;
        m_pictures.reset();
        m_oversizeDecoded = other.m_oversizeDecoded;
        return *this;
    }
    IconFile(IconFile&&) noexcept = default;
    IconFile& operator=(IconFile&&) noexcept = default;

    // The bytes read: the whole file, or what a read of the directories alone took.
    QByteArrayView bytes() const;
    int count() const;
    GroupName groupName(int index) const;
    // None while the file gives icons with images.
    EmptyReason whyEmpty() const;
    QByteArray groupAsIco(int index) const;

    // The group's entries in stored order (the first 256 of a larger one); empty for an
    // index out of range.
    std::vector<GroupEntry> entries(int index) const;

    // Pictures, made by the library that links Qt Gui (IconSource.h).
    IconPair extract(int index, QSize large = {32, 32}, QSize small = {16, 16}) const;
    QImage image(int index, QSize size) const;

private:
    IconFile() = default;
    QImage picture(const GroupEntry& entry, QSize wanted) const;

    std::shared_ptr<const walk::Source> d;

    // The last few pictures made. Libraries share images between groups, and a hostile file
    // can point thousands of groups at one huge image; each is then decoded once.
    struct Pictures;
    mutable std::shared_ptr<Pictures> m_pictures;
    // Images larger than 256 px decoded so far: a hostile file full of them must not keep
    // the caller busy for minutes.
    mutable int m_oversizeDecoded = 0;
};

// Images are decoded up to this side; larger ones are refused, so a hostile size cannot
// exhaust memory.
constexpr int kMaxDecodedSide = 1024;
// Images larger than 256 px are rare (a real program may have one or two); an IconFile
// decodes at most this many of them and gives null pictures for the rest.
constexpr int kMaxOversizeDecodes = 64;
// Thumbnails (thumbnailImage, IconSource.h) go up to this side, and are enlarged up to the second.
constexpr int kMaxThumbnailSide = 1024;
constexpr int kMaxThumbnailEnlarged = 256;

// Index of the entry that serves a picture of the wanted size, or -1 when there is none:
// a square one of that size, else the one that fills most of the square with its aspect
// kept, preferring a larger one (scaled down) to a smaller one, the nearest size, then the
// depth nearest 32 bits.
int chooseEntry(const std::vector<GroupEntry>& entries, QSize wanted);

// The stored image's own size, from its BITMAPINFOHEADER or PNG header; the directory's
// when that cannot be read. (A directory says 256 for anything of 256 px or more.)
QSize entrySize(const GroupEntry& entry);
// Bits per pixel of the stored image; PNG images count as 32.
int entryDepth(const GroupEntry& entry);
bool isPngEntry(const GroupEntry& entry);

// An .ico file of the entries, their images as stored; empty when one is missing or the
// whole would be too large.
QByteArray icoFromEntries(const std::vector<GroupEntry>& entries);

} // namespace zor::iconsource
