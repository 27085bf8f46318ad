#include "dialogs/frmAbout.h"
#include "platform/BundledPicture.h"

#include "platform/Platform.h"
#include "platform/desktop/Shell.h"
#include "shell/URLexe.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardPaths>

namespace zor {

namespace {

const QString DialogFont = QStringLiteral("ＭＳ Ｐゴシック");
const QString SysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString SysInfoFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

QLabel* label(QWidget* parent, const char* name, const QRect& r, Qt::Alignment align, const QFont& font)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(r);
    l->setAlignment(align | Qt::AlignVCenter);
    l->setFont(font);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& r)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    return b;
}

QFont makeFont(const QString& family, qreal points)
{
    QFont f(family);
    f.setPointSizeF(points);
    return f;
}

} // namespace

QString frmAbout::VersionText(int major, int minor)
{
    return QStringLiteral("Ver ") + QString::number(major) + QLatin1Char('.')
        + (QStringLiteral("00") + QString::number(minor)).right(2);
}

QString frmAbout::BuildText(int revision) { return QStringLiteral("Build ") + QString::number(revision); }

frmAbout::frmAbout(QWidget* owner) : QDialog(owner), m_owner(owner)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint
                   | Qt::WindowTitleHint);
    setWindowTitle(tr("バージョン情報"));
    setFixedSize(500, 234);
    setFont(QFont(DialogFont, 9));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(-4, 0, 504, 235);
    Image1->setScaledContents(true);
    Image1->setPixmap(bundledPicture(QStringLiteral(":/art/about_background.png")));

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(12, 12, 64, 64);
    Image2->setScaledContents(true);

    const QFont big = makeFont(DialogFont, 14.25);
    // Arial Black is a face of its own; asking for its weight keeps the look where it is missing.
    QFont titleFont = makeFont(QStringLiteral("Arial Black"), 14.25);
    titleFont.setWeight(QFont::Black);
    lblTitle = label(this, "lblTitle", {92, 4, 375, 27}, Qt::AlignHCenter, titleFont);
    lblTitle->setText(QStringLiteral("APP_TITLE"));
    Label1 = label(this, "Label1", {112, 32, 285, 21}, Qt::AlignHCenter, big);
    Label1->setText(QStringLiteral("© 2026 the zor developers"));
    lblVersion = label(this, "lblVersion", {336, 52, 151, 19}, Qt::AlignRight, big);
    lblVersion->setText(QStringLiteral("ver"));
    Label2 = label(this, "Label2", {336, 72, 151, 19}, Qt::AlignRight, big);
    Label2->setText(QStringLiteral("build"));

    const QCursor linkCursor(bundledPicture(QStringLiteral(":/art/link_cursor.png")), 14, 3);
    const QRect linkRects[2] = {{128, 96, 249, 25}, {104, 172, 301, 25}};
    const QString addresses[2] = {MailAddress, WebAddress};
    for (int i = 0; i < 2; ++i) {
        QLabel* l = label(this, i == 0 ? "Label3_0" : "Label3_1", linkRects[i], Qt::AlignHCenter, font());
        l->setText(addresses[i]);
        l->setTextFormat(Qt::PlainText);
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
        l->setPalette(pal);
        l->setCursor(linkCursor);
        l->installEventFilter(this);
        Label3[size_t(i)] = l;
    }

    Label4 = label(this, "Label4", {8, 124, 485, 61}, Qt::AlignLeft, makeFont(DialogFont, 11.25));
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label4->setWordWrap(true);
    Label4->setText(tr("zor の最新版と更新情報は下のウェブサイトで公開しています。"
                                   "ご意見やご感想、不具合の報告は上のアドレスまでメールでお寄せください。"));

    // Text is black on the artwork, whatever the desktop's colours.
    for (QLabel* l : {lblTitle, Label1, lblVersion, Label2, Label4}) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, Qt::black);
        l->setPalette(pal);
    }

    cmdSysInfo = button(this, "cmdSysInfo", tr("ｼｽﾃﾑ情報"), {16, 200, 92, 23});
    Command1 = button(this, "Command1", tr("ﾌﾟﾛﾊﾟﾃｨ"), {124, 200, 92, 23});
    cmdOK = button(this, "cmdOK", QStringLiteral("OK"), {392, 200, 92, 23});
    cmdOK->setDefault(true);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

void frmAbout::Open(QWidget* owner)
{
    frmAbout dialog(owner);
    dialog.Form_Load();
    platform().dialogs->exec(dialog);
}

void frmAbout::Form_Load()
{
    trap([&] {
        lblVersion->setText(VersionText(Identity::Major, Identity::Minor));
        lblTitle->setText(ProgramTitle);
        if (m_owner)
            Image2->setPixmap(m_owner->windowIcon().pixmap(64, 64));
        Label2->setText(BuildText(Identity::Revision));
    });
}

void frmAbout::cmdOK_Click()
{
    trap([&] { accept(); });
}

void frmAbout::cmdSysInfo_Click()
{
    trap([&] { StartSysInfo(); });
}

void frmAbout::Command1_Click()
{
    trap([&] { platform().shell->showProperties(platform().identity->executablePath()); });
}

void frmAbout::Label3_Click(int index)
{
    trap([&] {
        if (index >= 0 && index < 2)
            OpenURL(Label3[size_t(index)]->text());
    });
}

bool frmAbout::GetKeyValue(HKEY root, const QString& keyName, const QString& valueName, QString& value)
{
    Registry* registry = platform().registry;
    HKEY key = 0;
    if (!registry || registry->RegOpenKeyEx(root, keyName, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        value.clear();
        return false;
    }
    QByteArray buffer(1024, '\0');
    DWORD size = 1024;
    DWORD type = REG_NONE;
    if (registry->RegQueryValueEx(key, valueName, nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS) {
        registry->RegCloseKey(key);
        value.clear();
        return false;
    }
    QByteArray kept = buffer.left(int(qMin<DWORD>(size, 1024)));
    if (kept.endsWith('\0'))
        kept.chop(1);
    if (type == REG_SZ) {
        value = QString::fromUtf8(kept);
    } else if (type == REG_DWORD && kept.size() <= 4) {
        // Little-endian, read as the unsigned number a DWORD is. Longer data is no
        // DWORD and leaves the value as it was.
        quint32 number = 0;
        for (qsizetype i = kept.size() - 1; i >= 0; --i)
            number = (number << 8) | quint8(kept[i]);
        value = QString::number(number);
    }
    registry->RegCloseKey(key);
    return true;
}

std::optional<SystemInfoProgram> frmAbout::FindSystemInfoProgram()
{
    const SystemInfoProgram candidates[] = {
        {QStringLiteral("hardinfo2"), {}},
        {QStringLiteral("hardinfo"), {}},
        {QStringLiteral("kinfocenter"), {}},
        {QStringLiteral("gnome-control-center"), {QStringLiteral("info-overview")}},
    };
    for (const SystemInfoProgram& c : candidates) {
        const QString path = QStandardPaths::findExecutable(c.program);
        if (!path.isEmpty())
            return SystemInfoProgram{path, c.arguments};
    }
    return std::nullopt;
}

void frmAbout::StartSysInfo()
{
    bool started = false;
    try {
        SystemInfoProgram toStart;
        QString value;
        if (GetKeyValue(HKEY_LOCAL_MACHINE, SysInfoKey, QStringLiteral("PATH"), value)) {
            toStart.program = value;
        } else if (GetKeyValue(HKEY_LOCAL_MACHINE, SysInfoFolderKey, QStringLiteral("MSINFO"), value)
                   && QFileInfo(value + QStringLiteral("/MSINFO32.EXE")).isFile()) {
            toStart.program = value + QStringLiteral("/MSINFO32.EXE");
        } else if (auto found = findSystemInfo ? findSystemInfo() : std::nullopt) {
            // Nothing on this desktop records the program in the registry.
            toStart = *found;
        }
        if (!toStart.program.isEmpty())
            started = platform().starter->start(toStart.program, toStart.arguments) != 0;
    } catch (...) {
        started = false;
    }
    if (!started) {
        Message m;
        m.text = tr(NoSysInfo.toUtf8().constData());
        platform().messages->show(this, m);
    }
}

void frmAbout::keyPressEvent(QKeyEvent* e)
{
    // OK is the cancel button too.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(e);
        for (int i = 0; i < 2; ++i) {
            QLabel* l = Label3[size_t(i)];
            if (watched == l && me->button() == Qt::LeftButton && l->rect().contains(me->position().toPoint()))
                Label3_Click(i);
        }
    }
    return QDialog::eventFilter(watched, e);
}

} // namespace zor
