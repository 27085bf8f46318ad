#include "viewer/PictureBox.h"

#include <QPainter>

namespace zor {

PictureBox::PictureBox(QWidget* parent) : QFrame(parent)
{
    // A sunken two-pixel border, as picture boxes have.
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
}

void PictureBox::setPicture(QImage picture)
{
    m_picture = std::move(picture);
    update();
}

void PictureBox::paintEvent(QPaintEvent* e)
{
    QFrame::paintEvent(e);
    if (m_picture.isNull())
        return;
    QPainter p(this);
    const QRect inner = contentsRect();
    p.setClipRect(inner);
    p.drawImage(inner.topLeft(), m_picture);
}

} // namespace zor
