#include "viewer/Kakudai.h"

#include "platform/ImageList.h"
#include "platform/Platform.h"
#include "viewer/EnlargedViewSource.h"
#include "viewer/Form2.h"
#include "viewer/PictureBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

namespace zor::Kakudai {

void PrepareEnlargedView(Form2& view)
{
    const EnlargedViewSource& source = view.source();
    view.ClickedItem = source.clickedItem();
    const QString box = source.sourcePath();
    if (!box.isEmpty()) {
        view.SourcePath = box;
    } else {
        // Only for the location text, which is hidden in this case: no selection is no path.
        const int selected = source.selectedItem();
        view.SourcePath = selected != 0 ? source.itemText(selected) : QString();
    }
}

QString IconLocation(const Form2& view, int index)
{
    const EnlargedViewSource& source = view.source();
    const QString text = source.itemText(index);
    if (source.sourceKind() == EnlargedViewSource::Kind::Folder)
        return view.SourcePath + QLatin1Char('/') + text + QLatin1String(",0");
    return view.SourcePath + QLatin1Char(',') + text;
}

void LoadSource(Form2& view, const ImageList& list, int index)
{
    const QPixmap& image = list.image(index);
    view.Picture2.fill(QApplication::palette().color(QPalette::Window));
    QPainter p(&view.Picture2);
    p.drawPixmap(0, 0, image);
}

QImage Magnify(const QImage& source, int size, QSize inner)
{
    QImage out(inner, QImage::Format_RGB32);
    out.fill(QApplication::palette().color(QPalette::Window));
    if (inner.isEmpty() || size < 1)
        return out;
    QPainter p(&out);
    // Nearest neighbour: no SmoothPixmapTransform, so pixels are replicated, not blended.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QRect(QPoint(0, 0), inner), source, QRect(0, 0, size, size));
    return out;
}

void StretchToView(PictureBox& view, const QImage& source, int size)
{
    view.setPicture(Magnify(source, size, view.innerSize()));
}

void ShowEnlargedIcon(Form2& view, qint32 index)
{
    trap([&] {
        const EnlargedViewSource& source = view.source();
        view.Text1->setText(IconLocation(view, index));
        view.Text1->setCursorPosition(0);   // shown from its start, as a text box is
        view.Picture1->clear();
        view.clearSource();
        const bool large = view.button(5)->isChecked();
        LoadSource(view, large ? source.largeImages() : source.smallImages(), index);
        StretchToView(*view.Picture1, view.Picture2, large ? 32 : 16);
    });
}

} // namespace zor::Kakudai
