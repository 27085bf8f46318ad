#include "shell/Associations.h"

#include "platform/Platform.h"
#include "platform/desktop/Desktop.h"
#include "shell/RegEdit.h"

#include <QCoreApplication>

namespace zor {

namespace {

const QString Verb = QStringLiteral("ZOROPEN");
const QString Browse = QStringLiteral("アイコンを閲覧(&I)");

struct FileRow {
    AssociationButton button;
    const char* ext;
    const char* caption;
    bool makeDefault;
    const char* icon;
    const char* description;
    const char* className;
    const char* message;   // shown, in the program's language; the others are written as they are
};

const FileRow FileRows[] = {
    {AssociationButton::Icl, "icl", "開く(&O)", true, "%1", "ｱｲｺﾝﾗｲﾌﾞﾗﾘｰ", "NO", QT_TRANSLATE_NOOP("zor::Associations", ".iclファイルを関連づけました。")},
    {AssociationButton::Dll, "dll", "アイコンを閲覧(&I)", true, "NO", "NO", "NO", QT_TRANSLATE_NOOP("zor::Associations", ".dllファイルを関連づけました。")},
    {AssociationButton::Ico, "ico", "アイコンを閲覧(&I)", false, "NO", "NO", "NO", QT_TRANSLATE_NOOP("zor::Associations", ".icoファイルを関連づけました。")},
    {AssociationButton::Cpl, "cpl", "アイコンを閲覧(&I)", true, "NO", "NO", "NO", QT_TRANSLATE_NOOP("zor::Associations", ".cplファイルを関連づけました。")},
};

const FileRow* fileRow(int index)
{
    for (const FileRow& row : FileRows) {
        if (int(row.button) == index)
            return &row;
    }
    return nullptr;
}

void confirm(QWidget* parent, const QString& text)
{
    Message m;
    m.text = text;
    m.icon = MsgIcon::Information;
    m.rightAligned = true;
    platform().messages->show(parent, m);
}

// A registration that could not be written is not confirmed: the user learns what refused it.
void reportUnwritten(QWidget* parent, const QString& subject, const QStringList& unwritten)
{
    Message m;
    //: %1 is what was to be associated (".icl files", "folders"), %2 the places, one a line.
    m.text = QCoreApplication::translate("zor::Associations", "%1を関連づけられませんでした。\n書き込めなかった場所:\n%2")
                 .arg(subject, unwritten.join(QLatin1Char('\n')));
    m.icon = MsgIcon::Critical;
    platform().messages->show(parent, m);
}

} // namespace

QString AssociationCaption(int index)
{
    if (index == int(AssociationButton::Folder))
        return QCoreApplication::translate("zor::Associations", "フォルダ", "the folders' association button");
    if (const FileRow* row = fileRow(index))
        return QLatin1Char('.') + QString::fromUtf8(row->ext);
    return {};
}

bool ContainsBlank(const QString& text) { return text.contains(QLatin1Char(' ')); }

QString RegistrationCommandLine()
{
    const QString program = platform().identity->executablePath();
    if (ContainsBlank(program))
        return QLatin1Char('"') + program + QStringLiteral("\" %1");
    return program + QStringLiteral(" %1");
}

void RegisterAssociation(int index, QWidget* parent)
{
    if (index < 0 || index >= AssociationButtonCount)
        return;
    const QString command = RegistrationCommandLine();
    const QString executable = platform().identity->executablePath();
    QString subject;
    QString message;
    QStringList unwritten;
    if (const FileRow* row = fileRow(index)) {
        QString icon = QString::fromUtf8(row->icon);
        QString description = QString::fromUtf8(row->description);
        QString className = QString::fromUtf8(row->className);
        const QString ext = QString::fromUtf8(row->ext);
        SetFileType(ext, QString::fromUtf8(row->caption), Verb, command, row->makeDefault, icon, description,
                    className, &unwritten);
        unwritten += platform().desktop->registerFileType(executable, ext, row->makeDefault);
        //: %1 is an extension with its dot (".icl"): files of that type.
        subject = QCoreApplication::translate("zor::Associations", "%1ファイル").arg(QLatin1Char('.') + ext);
        message = QCoreApplication::translate("zor::Associations", row->message);
    } else {
        SetRegString(HKEY_CLASSES_ROOT, QStringLiteral("Directory\\shell\\ZOROPEN"), QString(), Browse, &unwritten);
        SetRegString(HKEY_CLASSES_ROOT, QStringLiteral("Directory\\shell\\ZOROPEN\\command"), QString(), command,
                     &unwritten);
        unwritten += platform().desktop->registerFolderHandler(executable);
        subject = QCoreApplication::translate("zor::Associations", "フォルダ", "folders, as what could not be associated");
        message = QCoreApplication::translate("zor::Associations", "フォルダを関連づけました。");
    }
    unwritten.removeDuplicates();
    if (!unwritten.isEmpty())
        reportUnwritten(parent, subject, unwritten);
    else
        confirm(parent, message);
}

} // namespace zor
