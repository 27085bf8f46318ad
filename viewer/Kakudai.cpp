#include "viewer/Kakudai.h"

#include "app/Form1.h"
#include "platform/ImageList.h"
#include "platform/Platform.h"
#include "viewer/Form2.h"
#include "viewer/PictureBox.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

namespace zor::Kakudai {

QString SourcePath;

void PrepareEnlargedView(Form2& view)
{
    const Form1& main = *view.owner();
    view.ClickedItem = main.ClickedItem;
    const QString box = main.Text1->currentText();
    if (!box.isEmpty()) {
        SourcePath = box;
    } else {
        // Only for the location text, which is hidden in this case: no selection is no path.
        const int selected = main.ListView1->selectedIndex();
        SourcePath = selected != 0 ? main.ListView1->item(selected).text : QString();
    }
}

QString IconLocation(const Form1& main, int index)
{
    const ListView& list = *main.ListView1;
    const QString text = list.item(index).text;
    // A first item "0" marks the icons of one file; anything else names files of a folder.
    if (list.item(1).text != QLatin1String("0"))
        return SourcePath + QLatin1Char('/') + text + QLatin1String(",0");
    return SourcePath + QLatin1Char(',') + text;
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
        const Form1& main = *view.owner();
        view.Text1->setText(IconLocation(main, index));
        view.Text1->setCursorPosition(0);   // shown from its start, as a text box is
        view.Picture1->clear();
        view.clearSource();
        const bool large = view.button(5)->isChecked();
        LoadSource(view, large ? main.ImageList1 : main.ImageList2, index);
        StretchToView(*view.Picture1, view.Picture2, large ? 32 : 16);
    });
}

} // namespace zor::Kakudai
