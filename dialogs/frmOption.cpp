#include "dialogs/frmOption.h"
#include "platform/BundledPicture.h"

#include "icons/IcoGet.h"
#include "platform/Platform.h"
#include "settings/ClsZOR.h"
#include "shell/Associations.h"
#include "shell/ControlPanel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTextLayout>
#include <QToolButton>
#include <memory>

namespace zor {

namespace {

const QString DialogFont = QStringLiteral("ＭＳ Ｐゴシック");

// Option1 by index: caption, colour code and place in Frame2.
struct ColourOption {
    const char* caption;
    int code;
    QPoint pos;
};
const ColourOption ColourOptions[6] = {
    {QT_TRANSLATE_NOOP("zor::frmOption", "グレイ"), 1, {80, 16}},
    {QT_TRANSLATE_NOOP("zor::frmOption", "グリーン"), 2, {148, 16}},
    {QT_TRANSLATE_NOOP("zor::frmOption", "ピンク"), 3, {12, 60}},
    //: The toolbar's standard colours.
    {QT_TRANSLATE_NOOP("zor::frmOption", "ｽﾀﾝﾀﾞｰﾄﾞ"), 0, {12, 16}},
    {QT_TRANSLATE_NOOP("zor::frmOption", "ブルー"), 4, {80, 60}},
    {QT_TRANSLATE_NOOP("zor::frmOption", "イエロー"), 5, {148, 60}},
};

// Command1 by index (the association buttons' order): place and description.
struct AssociationRow {
    QPoint pos;
    const char* description;
    const char* how;
};
const char* const ByDoubleClick = QT_TRANSLATE_NOOP("zor::frmOption", "ダブルクリックで起動します。");
const char* const ByContextMenu = QT_TRANSLATE_NOOP("zor::frmOption", "右クリックのコンテキストメニューから起動するようになります。");
const AssociationRow AssociationRows[AssociationButtonCount] = {
    {{16, 96},
     QT_TRANSLATE_NOOP("zor::frmOption", "アイコンライブラリファイルです。アイコン集などはこの形式で配布されることが多い（特に海外では）ので関連付けることをおすすめします。"),
     ByDoubleClick},
    {{128, 96},
     QT_TRANSLATE_NOOP("zor::frmOption", "ダイナミックリンクライブラリファイルです。アイコン集の配布などに使われるほか、shell32.dllなどのようにWindowsのシステムファイルの中にもアイコンをたくさん含むものがあります。"),
     ByDoubleClick},
    {{240, 96}, QT_TRANSLATE_NOOP("zor::frmOption", "アイコンファイルです。ちょっと拡大表示してみたいときなどに便利です。"), ByContextMenu},
    {{352, 96},
     QT_TRANSLATE_NOOP("zor::frmOption", "フォルダを開くと中身のアイコンファイルを全て表示します。アイコン形式で配布されているアイコン集をみるのに便利です。"),
     ByContextMenu},
    {{128, 144}, QT_TRANSLATE_NOOP("zor::frmOption", "コントロールパネルアプレットのファイルです。"), ByContextMenu},
};

// Command4 by index: caption, y and launcher row.
struct ShortcutRow {
    const char* caption;
    int y;
    int code;
};
const ShortcutRow ShortcutRows[4] = {
    {QT_TRANSLATE_NOOP("zor::frmOption", "ｺﾝﾄﾛｰﾙﾊﾟﾈﾙの画面を開く"), 96, 2},
    {QT_TRANSLATE_NOOP("zor::frmOption", "ｺﾝﾄﾛｰﾙﾊﾟﾈﾙを開く"), 60, 0},
    {QT_TRANSLATE_NOOP("zor::frmOption", "ﾌｫﾙﾀﾞｵﾌﾟｼｮﾝを開く"), 132, 1},
    {QT_TRANSLATE_NOOP("zor::frmOption", "ﾃﾞｽｸﾄｯﾌﾟﾃｰﾏを開く"), 168, 11},
};

// A frame as the old toolkit drew it: the caption sits on the top border, so that
// controls placed 16 pixels down lie below it.
const QString FrameStyle = QStringLiteral(
    "QGroupBox { border: 1px solid palette(mid); border-radius: 0px; margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; padding: 0px 1px; }");

// A frame around the button or check box that has the focus, drawn over the dialog: the
// style's own focus mark is too faint to find with the keys.
class FocusMark : public QWidget {
public:
    explicit FocusMark(QDialog* dialog) : QWidget(dialog), m_dialog(dialog)
    {
        setObjectName(QStringLiteral("FocusMark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { follow(now); });
    }

private:
    void follow(QWidget* now)
    {
        if (!now || !m_dialog->isAncestorOf(now) || !qobject_cast<QAbstractButton*>(now)) {
            hide();
            return;
        }
        const QRect r(now->mapTo(m_dialog, QPoint(0, 0)), now->size());
        setGeometry(r.adjusted(-2, -2, 2, 2));
        raise();
        show();
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawRect(rect().adjusted(1, 1, -1, -1));
    }
    QDialog* m_dialog;
};

// A wrapping label with lines of a fixed height: the text was laid out for three
// lines in 45 pixels, and the substitute Japanese fonts have a taller natural line.
class FixedLineLabel : public QLabel {
public:
    FixedLineLabel(int lineHeight, QWidget* parent) : QLabel(parent), m_lineHeight(lineHeight) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        // Wider substitute fonts may need a line more: the font gives up to a point first,
        // then the lines close up, so that all of the text stays in view.
        QFont f = font();
        const qreal points = f.pointSizeF();
        QTextLayout layout;
        for (qreal shrink = 0; shrink <= 1.0; shrink += 0.25) {
            f.setPointSizeF(points - shrink);
            layoutLines(layout, f);
            if (layout.lineCount() * m_lineHeight <= height())
                break;
        }
        const qreal step = qMin<qreal>(m_lineHeight, qreal(height()) / qMax(1, layout.lineCount()));
        for (int i = 0; i < layout.lineCount(); ++i) {
            QTextLine line = layout.lineAt(i);
            line.setPosition(QPointF(0, i * step - (line.height() - step) / 2));
        }
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        layout.draw(&p, QPointF(0, 0));
    }

private:
    void layoutLines(QTextLayout& layout, const QFont& f) const
    {
        layout.setText(text());
        layout.setFont(f);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(width());
        layout.endLayout();
    }

    int m_lineHeight;
};

// A caption laid out for the old Japanese UI font may be too wide in its substitute:
// it gives up to a point rather than lose its end.
void fitCaption(QAbstractButton* b)
{
    QFont f = b->font();
    const qreal points = f.pointSizeF();
    for (qreal shrink = 0.25; shrink <= 1.0 && b->sizeHint().width() > b->width(); shrink += 0.25) {
        f.setPointSizeF(points - shrink);
        b->setFont(f);
    }
}

QPushButton* placedButton(const QString& caption, QWidget* parent, const QRect& r)
{
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(r);
    return b;
}

} // namespace

const QString frmOption::BannerText = QStringLiteral(QT_TRANSLATE_NOOP("zor::frmOption", "アイコンライブラリ ビューア — オプション"));
const QString frmOption::Label1Text = QStringLiteral(QT_TRANSLATE_NOOP("zor::frmOption",
    "関連づけたいァイル形式のボタンを押すと、ダブルクリックしたときもしくは右クリックのコンテキストメニューから"
    "QEL TORMELIA VIEWERが起動します。また、ボタンの上にマウスポインタを重ねるとそのァイル形式の説明が表示されます。"));

int frmOption::ColorCodeOf(int index) { return index >= 0 && index < 6 ? ColourOptions[index].code : -1; }

int frmOption::OptionIndexOf(int code)
{
    for (int i = 0; i < 6; ++i)
        if (ColourOptions[i].code == code)
            return i;
    return -1;
}

QString frmOption::AssociationDescription(int index)
{
    if (index < 0 || index >= AssociationButtonCount)
        return {};
    const AssociationRow& row = AssociationRows[index];
    return tr(row.description) + QLatin1Char('\n') + tr(row.how);
}

int frmOption::LauncherCodeOf(int index) { return index >= 0 && index < 4 ? ShortcutRows[index].code : -1; }

frmOption::frmOption(QWidget* owner) : QDialog(owner), m_owner(owner)
{
    setObjectName(QStringLiteral("frmOption"));
    // Not resizable, no maximise or minimise button: the close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint
                   | Qt::WindowTitleHint);
    setFixedSize(468, 389);
    setFont(QFont(DialogFont, 9));

    new FocusMark(this);

    // Under the banner's title, in the program's language.
    lblBanner = new QLabel(tr(BannerText.toUtf8().constData()), this);
    lblBanner->setObjectName(QStringLiteral("lblBanner"));
    lblBanner->setGeometry(64, 34, 380, 20);
    lblBanner->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(4, 68, 457, 289);
    SSTab1->tabBar()->setFont(QFont(DialogFont, 9));
    int i = 0;
    for (const char* caption : {QT_TR_NOOP("オプション"), QT_TR_NOOP("関連づけ"), QT_TR_NOOP("便利な機能")}) {
        // The controls are placed relative to the whole tab control, tab row included,
        // while a page starts below the row: each page carries a canvas the size of the
        // tab control, shifted back whenever the pages move.
        auto* tabPage = new QWidget;
        auto* canvas = new QWidget(tabPage);
        canvas->setObjectName(QStringLiteral("SSTab1_canvas%1").arg(i));
        canvas->setGeometry(0, 0, SSTab1->width(), SSTab1->height());
        m_pages[size_t(i++)] = canvas;
        SSTab1->addTab(tabPage, tr(caption));
    }
    if (auto* stack = SSTab1->findChild<QStackedWidget*>())
        stack->installEventFilter(this);
    buildOptionsTab(m_pages[0]);
    buildAssociationsTab(m_pages[1]);
    buildShortcutsTab(m_pages[2]);

    Command2 = new QPushButton(QStringLiteral("OK"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(260, 360, 97, 25);
    Command3 = new QPushButton(tr("キャンセル"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setGeometry(364, 360, 97, 25);
    for (QPushButton* b : {Command2, Command3}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

void frmOption::buildOptionsTab(QWidget* page)
{
    Frame1 = new QGroupBox(tr("起動設定"), page);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setStyleSheet(FrameStyle);
    Frame1->setGeometry(8, 28, 213, 105);
    const char* switches[3] = {QT_TR_NOOP("前回の位置を復元する"), QT_TR_NOOP("前回のサイズを復元する"),
                               QT_TR_NOOP("前回のアイコンのサイズを復元する")};
    for (int k = 0; k < 3; ++k) {
        Check1[size_t(k)] = new QCheckBox(tr(switches[k]), Frame1);
        Check1[size_t(k)]->setObjectName(QStringLiteral("Check1_%1").arg(k));
        Check1[size_t(k)]->setGeometry(8, 16 + 24 * k, 201, 13);
        fitCaption(Check1[size_t(k)]);
    }

    Frame2 = new QGroupBox(tr("ツールバーのアイコン"), page);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setStyleSheet(FrameStyle);
    Frame2->setGeometry(228, 28, 221, 105);
    m_colours = new QButtonGroup(this);
    m_colours->setExclusive(true);
    for (int k = 0; k < 6; ++k) {
        const ColourOption& o = ColourOptions[k];
        auto* b = new QToolButton(Frame2);
        b->setObjectName(QStringLiteral("Option1_%1").arg(k));
        b->setText(tr(o.caption));
        b->setIcon(QIcon(bundledPicture(QStringLiteral(":/art/sample%1.png").arg(o.code))));
        b->setIconSize(QSize(16, 16));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setCheckable(true);
        b->setGeometry(QRect(o.pos, QSize(61, 37)));
        m_colours->addButton(b, k);
        Option1[size_t(k)] = b;
    }
    connect(m_colours, &QButtonGroup::idClicked, this, [this](int k) { Option1_Click(k); });

    Frame3 = new QGroupBox(tr("よく開くファイル　４つまで登録できます。"), page);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setStyleSheet(FrameStyle);
    Frame3->setGeometry(8, 140, 441, 105);
    for (int k = 0; k < 4; ++k) {
        auto* t = new QLineEdit(Frame3);
        t->setObjectName(QStringLiteral("Text2_%1").arg(k));
        t->setReadOnly(true);
        t->setGeometry(8, 20 + 20 * k, 369, 18);
        // The rows are read-only: Delete, Backspace and the menu's "クリア" empty them.
        t->installEventFilter(this);
        t->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(t, &QWidget::customContextMenuRequested, this, [this, k](const QPoint& pos) { Text2_ContextMenu(k, pos); });
        Text2[size_t(k)] = t;
        QPushButton* b = placedButton(QStringLiteral("..."), Frame3, QRect(388, 20 + 20 * k, 29, 17));
        b->setObjectName(QStringLiteral("Command6_%1").arg(k));
        connect(b, &QPushButton::clicked, this, [this, k] { Command6_Click(k); });
        Command6[size_t(k)] = b;
    }
}

void frmOption::buildAssociationsTab(QWidget* page)
{
    Label1 = new FixedLineLabel(15, page);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 36, 437, 45);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setText(tr(Label1Text.toUtf8().constData()));

    for (int k = 0; k < AssociationButtonCount; ++k) {
        QPushButton* b = placedButton(AssociationCaption(k), page, QRect(AssociationRows[k].pos, QSize(85, 25)));
        b->setObjectName(QStringLiteral("Command1_%1").arg(k));
        b->setMouseTracking(true);
        b->installEventFilter(this);
        connect(b, &QPushButton::clicked, this, [this, k] { Command1_Click(k); });
        Command1[size_t(k)] = b;
    }

    Text1 = new QPlainTextEdit(page);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setGeometry(16, 208, 425, 65);
}

void frmOption::buildShortcutsTab(QWidget* page)
{
    for (int k = 0; k < 4; ++k) {
        const ShortcutRow& row = ShortcutRows[k];
        QPushButton* b = placedButton(tr(row.caption), page, QRect(28, row.y, 165, 25));
        b->setObjectName(QStringLiteral("Command4_%1").arg(k));
        connect(b, &QPushButton::clicked, this, [this, k] { Command4_Click(k); });
        Command4[size_t(k)] = b;
    }
}

void frmOption::Open(QWidget* owner, int tab, const std::function<void(int)>& onColor)
{
    frmOption dialog(owner);
    if (onColor)
        connect(&dialog, &frmOption::toolBarColorChosen, &dialog, onColor);
    dialog.Form_Load();
    dialog.SSTab1->setCurrentIndex(tab);
    platform().dialogs->exec(dialog);
}

void frmOption::Form_Load()
{
    trap([&] {
        setWindowTitle(ProgramTitle);
        if (m_owner)
            setWindowIcon(m_owner->windowIcon());
        ClsZOR z;
        if (z.RePos())
            Check1[0]->setChecked(true);
        if (z.ReSize())
            Check1[1]->setChecked(true);
        if (z.ReIconSize())
            Check1[2]->setChecked(true);
        SelectedToolBarColor = z.ToolBarColor();
        const int index = OptionIndexOf(SelectedToolBarColor);
        if (index >= 0)
            Option1[size_t(index)]->setChecked(true);
        for (int k = 0; k < 4; ++k)
            Text2[size_t(k)]->setText(z.GetRFile(qint16(4 + k)));
    });
}

void frmOption::Option1_Click(int index)
{
    trap([&] {
        if (index >= 0 && index < 6)
            SelectedToolBarColor = qint16(ColourOptions[index].code);
    });
}

void frmOption::Command1_Click(int index)
{
    trap([&] { RegisterAssociation(index, this); });
}

void frmOption::Command1_MouseMove(int index)
{
    trap([&] {
        if (index >= 0 && index < AssociationButtonCount)
            Text1->setPlainText(AssociationDescription(index));
    });
}

void frmOption::Command4_Click(int index)
{
    trap([&] {
        int style = 1;
        LaunchControlPanel(LauncherCodeOf(index), style);
    });
}

void frmOption::Command6_Click(int index)
{
    trap([&] {
        if (index < 0 || index >= 4)
            return;
        // A cancelled browse keeps what the row held.
        if (const auto file = platform().files->openFile(this, iconFileFilter()))
            Text2[size_t(index)]->setText(*file);
    });
}

void frmOption::Text2_Clear(int index)
{
    trap([&] {
        if (index >= 0 && index < 4)
            Text2[size_t(index)]->clear();
    });
}

void frmOption::Text2_ContextMenu(int index, const QPoint& pos)
{
    trap([&] {
        if (index < 0 || index >= 4)
            return;
        QLineEdit* t = Text2[size_t(index)];
        std::unique_ptr<QMenu> menu(t->createStandardContextMenu());
        menu->addSeparator();
        QAction* clear = menu->addAction(tr("クリア"));
        clear->setEnabled(!t->text().isEmpty());
        if (menu->exec(t->mapToGlobal(pos)) == clear)
            Text2_Clear(index);
    });
}

void frmOption::Command2_Click()
{
    trap([&] {
        ClsZOR z;
        z.RePos(Check1[0]->isChecked());
        z.ReSize(Check1[1]->isChecked());
        z.ReIconSize(Check1[2]->isChecked());
        // A stored code outside 0-5 goes back unchanged; the toolbar shows scheme 0 for it.
        z.ToolBarColor(SelectedToolBarColor);
        Q_EMIT toolBarColorChosen(SelectedToolBarColor);
        for (int k = 0; k < 4; ++k)
            z.SetRFile(qint16(4 + k), Text2[size_t(k)]->text());
        accept();
    });
}

void frmOption::Command3_Click()
{
    trap([&] { reject(); });
}

void frmOption::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, bundledPicture(QStringLiteral(":/art/banner.png")));
    p.setPen(QColor(0, 0, 255));
    p.drawLine(0, 60, width() - 1, 60);
}

void frmOption::showEvent(QShowEvent* e)
{
    // Left where the desktop puts new windows: QDialog would centre it over the main window.
    QWidget::showEvent(e);
}

void frmOption::keyPressEvent(QKeyEvent* e)
{
    // Neither OK nor キャンセル is the cancel button: Escape does nothing.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool frmOption::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == SSTab1->findChild<QStackedWidget*>() && (e->type() == QEvent::Move || e->type() == QEvent::Resize)) {
        for (int k = 0; k < SSTab1->count(); ++k) {
            QWidget* tabPage = SSTab1->widget(k);
            m_pages[size_t(k)]->move(-tabPage->mapTo(SSTab1, QPoint(0, 0)));
        }
    } else if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        for (int k = 0; k < 4; ++k) {
            if (watched == Text2[size_t(k)] && (key == Qt::Key_Delete || key == Qt::Key_Backspace)) {
                Text2_Clear(k);
                return true;
            }
        }
    } else if (e->type() == QEvent::Enter || e->type() == QEvent::MouseMove || e->type() == QEvent::FocusIn) {
        // The keyboard's way to a button shows its description as the pointer's does.
        for (int k = 0; k < AssociationButtonCount; ++k)
            if (watched == Command1[size_t(k)])
                Command1_MouseMove(k);
    }
    return QDialog::eventFilter(watched, e);
}

} // namespace zor
