#pragma once
// A framed picture box that keeps what was drawn into it: the picture lives in an
// image held by the widget, so being covered and uncovered repaints it unchanged.
#include <QFrame>
#include <QImage>

namespace zor {

class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The drawing surface: the area inside the frame, in pixels.
    QSize innerSize() const { return contentsRect().size(); }
    // What is shown inside the frame; a null image shows the background colour.
    const QImage& picture() const { return m_picture; }
    void setPicture(QImage picture);
    void clear() { setPicture({}); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage m_picture;
};

} // namespace zor
