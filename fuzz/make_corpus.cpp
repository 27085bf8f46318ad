// Writes the fuzzer's seed corpus (fuzz/corpus): the small test fixtures, made by the same
// tools, and damaged copies of them. `make iconsource-fuzz-corpus` runs it; the corpus is
// committed so that every fuzz run starts from the same inputs.

#include "Fixtures.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>
#include <functional>

using namespace zor::iconfixtures;

namespace {

void put16(QByteArray& b, qsizetype at, quint16 v)
{
    if (at >= 0 && at + 2 <= b.size())
        qToLittleEndian(v, b.data() + at);
}
void put32(QByteArray& b, qsizetype at, quint32 v)
{
    if (at >= 0 && at + 4 <= b.size())
        qToLittleEndian(v, b.data() + at);
}
quint32 get32(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 get16(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }

QByteArray damaged(QByteArray bytes, const std::function<void(QByteArray&)>& damage)
{
    damage(bytes);
    return bytes;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_corpus DIR\n");
        return 2;
    }
    QTemporaryDir work;
    const QString made = work.path();
    const QString error = makeFixtures(made);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const Fixtures f(made);
    try {
        // Small programs and libraries: the same layout as the test fixtures with small icons.
        makeIco(made, "tiny.ico", {{16, 4, false, 21}, {32, 1, false, 22}});
        const char* script = "LANGUAGE 9, 1\nZETA ICON \"tiny.ico\"\n2 ICON \"plainA.ico\"\n"
                             "LANGUAGE 17, 1\n2 ICON \"tiny.ico\"\n300 ICON \"only256.ico\"\n";
        makePe(made, "small32.dll", script, false, PeKind::Dll);
        makePe(made, "small64.exe", script, true, PeKind::Exe);
        makePe(made, "tiny.dll", "1 ICON \"tiny.ico\"\n2 ICON \"tiny.ico\"\n", false, PeKind::Dll);
    } catch (const ToolError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const QByteArray tinyIco = readBytes(made + "/tiny.ico");
    writeBytes(made + "/many-tiny.icl", neLibrary(std::vector<QByteArray>(20, tinyIco)));

    QDir out(QString::fromLocal8Bit(argv[1]));
    out.removeRecursively();
    QDir().mkpath(out.path());
    int written = 0;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        if (!writeBytes(out.filePath(name), bytes)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out.filePath(name)));
            std::exit(1);
        }
        ++written;
    };
    for (const QString& path : {f.cursor, f.depthsIco, f.pngOnlyIco, f.plainA, f.plainB, f.icl, f.tallPngIco, f.wideIco,
                                f.wideOnlyIco, f.small16Ico})
        write(QFileInfo(path).fileName(), readBytes(path));
    for (const char* name : {"tiny.ico", "small32.dll", "small64.exe", "tiny.dll", "many-tiny.icl"})
        write(name, readBytes(made + "/" + name));

    const QByteArray ico = readBytes(f.plainA);
    write("ico-count-ffff.ico", damaged(ico, [](QByteArray& b) { put16(b, 4, 0xffff); }));
    write("ico-past-end.ico", damaged(ico, [](QByteArray& b) {
        put32(b, 6 + 12, quint32(b.size() + 10));
        put32(b, 6 + 16 + 12, 0xfffffff0u);
    }));
    write("ico-2g.ico", damaged(ico, [](QByteArray& b) { put32(b, 6 + 8, 0x80000000u); }));
    write("ico-cut-directory.ico", ico.left(6 + 16 + 8));
    write("ico-cut-image.ico", ico.left(ico.size() / 2));
    write("cur-cut.cur", readBytes(f.cursor).left(700));

    QByteArray dib(40 + 64, '\0');
    put32(dib, 0, 40);
    put32(dib, 4, 60000);
    put32(dib, 8, 120000);
    put16(dib, 12, 1);
    put16(dib, 14, 32);
    write("dib-huge.ico", icoAround(dib));
    QByteArray ihdr(13, '\0');
    qToBigEndian(quint32(60000), ihdr.data());
    qToBigEndian(quint32(60000), ihdr.data() + 4);
    ihdr[8] = 8;
    ihdr[9] = 6;
    write("png-huge.ico", icoAround(QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr)
                                   + pngChunk("IDAT", QByteArray(64, '\0')) + pngChunk("IEND", {})));
    // PNG images with ancillary chunks: text of every kind, a profile, chunks no decoder
    // knows; before the pixels in a 16 px image, after them in a 256 px one.
    auto pngOf = [](int side) {
        QImage picture(side, side, QImage::Format_ARGB32);
        picture.fill(qRgba(40, 120, 200, 180));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        return bytes;
    };
    const QByteArray text = pngChunk("tEXt", QByteArray("Title\0an icon", 14)) + zTxtChunk(3000)
        + pngChunk("iTXt", QByteArray("Comment\0\1\0ja\0\0", 14) + qCompress(QByteArray(2000, 'x'), 9).mid(4))
        + pngChunk("tIME", QByteArray::fromHex("07ea0c07170000")) + pngChunk("prVt", QByteArray(40, 'p'));
    write("png-text.ico", icoAround(pngWithChunks(pngOf(16), text + pngChunk("gAMA", QByteArray::fromHex("0000b18f"))
                                                             + pngChunk("iCCP", QByteArray("none\0\0", 6)
                                                                                    + qCompress(QByteArray(500, 'c')).mid(4))),
                                   16));
    const QByteArray large = pngOf(256);
    write("png-text-after-pixels.ico", icoAround(large.left(large.size() - 12) + text + large.right(12), 256));
    // A 2 x 2 16-bit image with 5-6-5 bit fields.
    QByteArray dib16(40, '\0');
    put32(dib16, 0, 40);
    put32(dib16, 4, 2);
    put32(dib16, 8, 4);
    put16(dib16, 12, 1);
    put16(dib16, 14, 16);
    put32(dib16, 16, 3);
    dib16 += QByteArray::fromHex("00f80000e0070000" "1f000000" "00f81f00e007ffff" "00000000" "40000000");
    write("dib16-bitfields.ico", icoAround(dib16));

    const QByteArray pe = readBytes(made + "/tiny.dll");
    const qsizetype root = rsrcOffset(pe);
    if (root > 0) {
        const int types = get16(pe, root + 12) + get16(pe, root + 14);
        write("pe-loop.dll", damaged(pe, [&](QByteArray& b) {
            for (int i = 0; i < types; ++i)
                put32(b, root + 16 + i * 8 + 4, 0x80000000u);
        }));
        write("pe-counts-ffff.dll", damaged(pe, [&](QByteArray& b) {
            put16(b, root + 12, 0xffff);
            put16(b, root + 14, 0xffff);
        }));
    }
    write("pe-sections-ffff.dll", damaged(pe, [&](QByteArray& b) { put16(b, get32(pe, 0x3c) + 6, 0xffff); }));
    write("pe-header-past-end.dll", damaged(pe, [](QByteArray& b) { put32(b, 0x3c, 0xfffffff0u); }));

    const QByteArray ne = readBytes(made + "/many-tiny.icl");
    const quint32 neAt = get32(ne, 0x3c);
    const qsizetype table = neAt + get16(ne, neAt + 0x24);
    write("ne-shift-ffff.icl", damaged(ne, [&](QByteArray& b) { put16(b, table, 0xffff); }));
    write("ne-shift-0.icl", damaged(ne, [&](QByteArray& b) { put16(b, table, 0); }));
    write("ne-count-ffff.icl", damaged(ne, [&](QByteArray& b) { put16(b, table + 4, 0xffff); }));
    write("ne-offsets-ffff.icl", damaged(ne, [&](QByteArray& b) {
        put16(b, table + 2 + 8, 0xffff);
        put16(b, table + 2 + 8 + 2, 0xffff);
    }));
    std::printf("%d inputs in %s\n", written, qPrintable(out.path()));
    return 0;
}
