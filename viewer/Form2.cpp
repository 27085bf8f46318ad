#include "viewer/Form2.h"
#include "platform/BundledPicture.h"

#include "platform/Platform.h"
#include "platform/ToolBar.h"
#include "viewer/EnlargedViewSource.h"
#include "viewer/Kakudai.h"
#include "viewer/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QLineEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace zor {

std::function<void(Form2&)> Form2::screenshotHook;

namespace {
constexpr int ToolbarHeight = 22;   // 330 twips

// A tool button with its glyph and caption side by side in 65 pixels. The style's own
// label would add margins and cut the caption to "...", so the label is drawn here.
class CaptionButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter p(this);
        QStyleOptionToolButton opt;
        initStyleOption(&opt);
        opt.text.clear();
        opt.icon = QIcon();
        p.drawComplexControl(QStyle::CC_ToolButton, opt);

        const QSize glyph = iconSize();
        const int gap = 2;
        const int wide = glyph.width() + gap + fontMetrics().horizontalAdvance(text());
        const int x = std::max(0, (width() - wide) / 2);
        const bool down = opt.state & QStyle::State_Sunken;
        const QPoint shift = down ? QPoint(1, 1) : QPoint();
        icon().paint(&p, QRect(QPoint(x, (height() - glyph.height()) / 2) + shift, glyph),
                     Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        p.drawText(QRect(x + glyph.width() + gap, 0, width(), height()).translated(shift),
                   Qt::AlignLeft | Qt::AlignVCenter, text());
    }
};

} // namespace

Form2::Form2(QWidget* owner, const EnlargedViewSource& source)
    : QDialog(owner), m_owner(owner), m_source(source)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(tr("QEL TORMELIA VIEWER 拡大表示"));
    // Fixed single border: a close box, no maximise or minimise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setFixedSize(ClientSize);
    setSizeGripEnabled(false);

    buildToolbars();

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(4, 24, 385, 17);   // 60, 360; 5775 x 255 twips
    Text1->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; }"));
    // The arrow keys step through the icons: the focus never rests in the text, which nothing reads back.
    Text1->setFocusPolicy(Qt::NoFocus);

    Picture1 = new PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(4, 44, 385, 385);   // 60, 660; 5775 x 5775 twips, frame included

    Picture2 = QImage(37, 37, QImage::Format_RGB32);
    clearSource();

    // Left and Up the previous icon, Right and Down the next; Escape closes, as in any dialog.
    const std::pair<int, QList<QKeySequence>> steps[] = {
        {2, {QKeySequence(Qt::Key_Left), QKeySequence(Qt::Key_Up)}},
        {3, {QKeySequence(Qt::Key_Right), QKeySequence(Qt::Key_Down)}},
    };
    for (const auto& [index, keys] : steps) {
        auto* step = new QAction(this);
        step->setShortcuts(keys);
        connect(step, &QAction::triggered, this, [this, index = index] { Toolbar1_ButtonClick(index); });
        addAction(step);
    }
}

void Form2::buildToolbars()
{
    Toolbar1 = makeFlatToolBar(this, QStringLiteral("Toolbar1"));
    Toolbar1->setGeometry(0, 0, ClientSize.width(), ToolbarHeight);

    struct Glyph { int index; const char* file; const char* name; };
    const Glyph glyphs[] = {
        {2, "view_prev", QT_TR_NOOP("前のアイコン")},
        {3, "view_next", QT_TR_NOOP("後ろのアイコン")},
        {5, "view_large", QT_TR_NOOP("大きいアイコン")},
        {6, "view_small", QT_TR_NOOP("小さいアイコン")},
    };
    auto makeButton = [this](const Glyph& g) {
        auto* b = new QToolButton(Toolbar1);
        const QString name = tr(g.name);
        b->setObjectName(QStringLiteral("Button%1").arg(g.index));
        b->setIcon(QIcon(bundledPicture(QStringLiteral(":/art/%1.png").arg(QLatin1String(g.file)))));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setText(name);
        b->setToolTip(name);
        b->setAccessibleName(name);
        b->setAutoRaise(true);
        b->setFixedSize(23, ToolbarHeight);
        const int index = g.index;
        connect(b, &QToolButton::clicked, this, [this, index] { Toolbar1_ButtonClick(index); });
        m_buttons[size_t(index)] = b;
        return b;
    };

    Toolbar1->addSeparator();               // 1
    Toolbar1->addWidget(makeButton(glyphs[0]));
    Toolbar1->addWidget(makeButton(glyphs[1]));
    Toolbar1->addSeparator();               // 4
    Toolbar1->addWidget(makeButton(glyphs[2]));
    Toolbar1->addWidget(makeButton(glyphs[3]));
    Toolbar1->addSeparator();               // 7
    for (int i : {5, 6}) {
        m_buttons[size_t(i)]->setCheckable(true);
        m_buttons[size_t(i)]->setAutoExclusive(true);
    }
    m_buttons[5]->setChecked(true);

    // One button filling its bar: a QToolBar would keep margins and push it into its overflow menu.
    Toolbar2 = new QWidget(this);
    Toolbar2->setObjectName(QStringLiteral("Toolbar2"));
    Toolbar2->setGeometry(320, 432, 65, ToolbarHeight);   // 4800, 6480; 975 x 330 twips
    m_ok = new CaptionButton(Toolbar2);
    m_ok->setObjectName(QStringLiteral("Button1"));
    m_ok->setIcon(QIcon(bundledPicture(QStringLiteral(":/art/view_ok.png"))));
    //: Closes the window; the full-width spaces only pad the Japanese caption.
    m_ok->setText(tr("　ＯＫ　"));
    m_ok->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_ok->setAutoRaise(true);
    m_ok->setIconSize(QSize(16, 16));
    m_ok->setGeometry(0, 0, 65, ToolbarHeight);
    connect(m_ok, &QToolButton::clicked, this, [this] { Toolbar2_ButtonClick(1); });
}

QToolButton* Form2::button(int index) const
{
    return index >= 1 && index <= 7 ? m_buttons[size_t(index)] : nullptr;
}

void Form2::clearSource()
{
    Picture2.fill(QApplication::palette().color(QPalette::Window));
}

void Form2::Open(QWidget* owner, const EnlargedViewSource& source)
{
    Form2 view(owner, source);
    view.Form_Load();
    if (screenshotHook)
        QTimer::singleShot(500, &view, [&view] { screenshotHook(view); });
    // A dialog with a parent opens centred on it.
    platform().dialogs->exec(view);
}

void Form2::Form_Load()
{
    trap([&] {
        if (m_owner)
            setWindowIcon(m_owner->windowIcon());
        if (m_source.sourcePath().isEmpty())
            Text1->hide();
        Kakudai::PrepareEnlargedView(*this);
        Text1->setText(Kakudai::IconLocation(*this, ClickedItem));
        Text1->setCursorPosition(0);
        // Always the 32 x 32 image first, whatever size the main list shows.
        Kakudai::LoadSource(*this, m_source.largeImages(), ClickedItem);
        Kakudai::StretchToView(*Picture1, Picture2, 32);
        NowInd = ClickedItem;
    });
}

void Form2::Toolbar1_ButtonClick(int index)
{
    switch (index) {
    case 2:
        trap([&] {
            if (NowInd > 1) {
                --NowInd;
                Kakudai::ShowEnlargedIcon(*this, NowInd);
            }
        });
        break;
    case 3:
        trap([&] {
            if (NowInd < m_source.itemCount()) {
                ++NowInd;
                Kakudai::ShowEnlargedIcon(*this, NowInd);
            }
        });
        break;
    case 5:
    case 6: {
        // Called directly, the handler presses its button as a click would.
        m_buttons[size_t(index)]->setChecked(true);
        const bool large = index == 5;
        trap([&] {
            Picture1->clear();
            Kakudai::LoadSource(*this, large ? m_source.largeImages() : m_source.smallImages(), NowInd);
            Kakudai::StretchToView(*Picture1, Picture2, large ? 32 : 16);
        });
        break;
    }
    default:
        break;
    }
}

void Form2::Toolbar2_ButtonClick(int)
{
    trap([&] { close(); });
}

} // namespace zor
