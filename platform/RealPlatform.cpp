#include "platform/RealPlatform.h"

#include "platform/desktop/RealDesktop.h"
#include "platform/desktop/RealShell.h"
#include "platform/registry/HiveRegistry.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLibraryInfo>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTranslator>

namespace zor {

namespace {
constexpr int LockWaitMs = 10000;
}

IniSettingsStore::IniSettingsStore(QString folder) : m_folder(std::move(folder)) {}

QString IniSettingsStore::fileOf(const QString& app) const
{
    QString base = m_folder;
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QLatin1Char('/') + app + QLatin1Char('/') + app + QStringLiteral(".ini");
}

std::optional<QString> IniSettingsStore::value(const QString& app, const QString& section, const QString& key)
{
    // A new QSettings per call: every read sees what other instances wrote.
    QSettings s(fileOf(app), QSettings::IniFormat);
    if (s.status() != QSettings::NoError)
        return std::nullopt;
    s.beginGroup(section);
    if (!s.contains(key))
        return std::nullopt;
    const QVariant v = s.value(key);
    // An unquoted comma makes QSettings read a list; the stored text is what counts.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

void IniSettingsStore::setValue(const QString& app, const QString& section, const QString& key, const QString& text)
{
    // QSettings keeps one copy of each file per process. A write that fails stays pending
    // in that copy: every later QSettings on the file then reports an error instead of
    // reading it, and the next write that succeeds saves the failed value too. So the
    // change is made on a scratch copy, and the file is replaced only once all of it
    // has been written; the copy that reads use never holds a pending change.
    const auto fail = [] { throw RuntimeError(75, "settings store cannot be written"); };
    const QString file = fileOf(app);
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        fail();
    QLockFile lock(file + QStringLiteral(".lock"));   // the lock QSettings takes for the file
    if (!lock.tryLock(LockWaitMs))
        fail();

    QByteArray bytes;
    QFile current(file);
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly))
            fail();   // never write over what could not be read
        bytes = current.readAll();
        current.close();
    }
    QTemporaryFile scratch(file + QStringLiteral(".XXXXXX"));
    if (!scratch.open() || scratch.write(bytes) != bytes.size() || !scratch.flush())
        fail();
    scratch.close();
    {
        QSettings s(scratch.fileName(), QSettings::IniFormat);
        s.beginGroup(section);
        s.setValue(key, text);
        s.endGroup();
        s.sync();
        if (s.status() == QSettings::AccessError)
            fail();
    }
    // By name: QSettings replaced the scratch file, the open handle still shows the old one.
    QFile changed(scratch.fileName());
    if (!changed.open(QIODevice::ReadOnly))
        fail();
    bytes = changed.readAll();
    QSaveFile out(file);   // refuses a file that is not writable, keeps its permissions
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        fail();
    keepTimesApart(file);
}

void IniSettingsStore::keepTimesApart(const QString& file)
{
    // A later read in this process rereads the file only when its size or time changed;
    // two writes in one millisecond that leave the same size must not look alike.
    static QHash<QString, QDateTime> lastWritten;
    QDateTime written = QFileInfo(file).lastModified();
    QDateTime& last = lastWritten[file];
    if (last.isValid() && written <= last) {
        written = last.addMSecs(1);
        QFile f(file);
        if (f.open(QIODevice::ReadOnly))
            f.setFileTime(written, QFileDevice::FileModificationTime);
    }
    last = written;
}

namespace {
// A window not shown yet (start-up) would put the box in its hidden corner: then the box
// stands alone, centred on the screen.
QWidget* ownerOf(QWidget* parent)
{
    return parent && parent->isVisible() ? parent : nullptr;
}

void prepare(QMessageBox& box, const Message& m)
{
    box.setWindowTitle(m.caption.isEmpty() ? ProgramTitle : m.caption);
    box.setText(m.text);
    switch (m.icon) {
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::None: break;
    }
    if (m.rightAligned) {
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}
} // namespace

void QtMessageBoxes::show(QWidget* parent, const Message& m)
{
    QMessageBox box(ownerOf(parent));
    box.setStandardButtons(QMessageBox::Ok);
    prepare(box, m);
    box.exec();
}

int QtMessageBoxes::ask(QWidget* parent, const Message& m, const QStringList& buttons, int defaultButton)
{
    QMessageBox box(ownerOf(parent));
    prepare(box, m);
    std::vector<QPushButton*> pushed;
    for (int i = 0; i < buttons.size(); ++i)
        pushed.push_back(box.addButton(buttons[i], i + 1 == buttons.size() ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    if (pushed.empty())
        return -1;
    box.setEscapeButton(pushed.back());
    if (defaultButton >= 0 && defaultButton < int(pushed.size()))
        box.setDefaultButton(pushed[size_t(defaultButton)]);
    box.exec();
    const auto it = std::find(pushed.begin(), pushed.end(), box.clickedButton());
    return it == pushed.end() ? int(pushed.size()) - 1 : int(it - pushed.begin());
}

qint64 DetachedStarter::start(const QString& program, const QStringList& arguments)
{
    QString exe = program;
    QStringList args = arguments;
    // A Windows program that is not on the PATH runs through wine when it is there.
    if (program.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)
        && QStandardPaths::findExecutable(program).isEmpty() && !QFileInfo(program).isFile()) {
        const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (wine.isEmpty())
            return 0;
        args.prepend(program);
        exe = wine;
    }
    qint64 pid = 0;
    if (!QProcess::startDetached(exe, args, QString(), &pid))
        return 0;
    return pid;
}

int ModalDialogRunner::exec(QDialog& dialog) { return dialog.exec(); }

QString ProcessIdentity::programFolder() const
{
    return QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
}

QString ProcessIdentity::fileName() const
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

QStringList ProcessIdentity::arguments() const
{
    // QApplication has already taken its own options (-platform, -style, ...).
    return commandLinePaths(QCoreApplication::arguments());
}

void describeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("QEL TORMELIA VIEWER: the icons of .ico, .cur, .icl, .exe, .dll and .cpl files and of folders."));
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")});
    parser.addVersionOption();
    parser.addOption({QStringLiteral("search"),
                      QStringLiteral("Opens the search window on FOLDER and searches it for icons at once."),
                      QStringLiteral("FOLDER")});
    const QStringList hidden[] = {{QStringLiteral("screenshot"), QStringLiteral("FILE")},
                                  {QStringLiteral("shot-view"), QStringLiteral("small")},
                                  {QStringLiteral("shot-dialog"), QStringLiteral("options|about|enlarged")},
                                  {QStringLiteral("shot-tab"), QStringLiteral("N")}};
    for (const QStringList& o : hidden) {
        QCommandLineOption option(o[0], QString(), o[1]);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 QStringLiteral("Files or folders to open; each further one opens in a window of its own. "
                                                "Put paths that begin with '-' after --."),
                                 QStringLiteral("[--] [path...]"));
}

QStringList commandLinePaths(const QStringList& argv)
{
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.parse(argv);
    return parser.positionalArguments();
}

QStringList QtFileDialogs::translateFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return out;
}

std::optional<QString> QtFileDialogs::openFile(QWidget* parent, const QString& filter)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(translateFilter(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

QString QtFileDialogs::browseFolder(QWidget* parent, const QString& title)
{
    return QFileDialog::getExistingDirectory(parent, title);
}

std::optional<SavedFile> QtFileDialogs::saveFile(QWidget* parent, const SaveFileRequest& request)
{
    const QStringList filters = translateFilter(request.filter);
    const QStringList parts = request.filter.split(QLatin1Char('|'));
    // The first pattern's extension: "*.ico" gives "ico".
    auto suffixOf = [&](int index) {
        const QString patterns = parts.value(index * 2 + 1);
        const QString first = patterns.section(QLatin1Char(';'), 0, 0);
        const QString suffix = first.startsWith(QStringLiteral("*.")) ? first.mid(2) : QString();
        return suffix.contains(QLatin1Char('*')) ? QString() : suffix;
    };
    QFileDialog dialog(parent, request.title, request.folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    const int first = qBound(0, request.filterIndex, std::max<int>(int(filters.size()) - 1, 0));
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters[first]);
    dialog.setDefaultSuffix(suffixOf(first));
    dialog.selectFile(request.name);
    // Another filter gives the typed name that filter's extension.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& chosen) {
        const QString suffix = suffixOf(int(filters.indexOf(chosen)));
        if (suffix.isEmpty())
            return;
        dialog.setDefaultSuffix(suffix);
        const QStringList typed = dialog.selectedFiles();
        if (!typed.isEmpty() && !QFileInfo(typed.first()).isDir())
            dialog.selectFile(QFileInfo(typed.first()).completeBaseName() + QLatin1Char('.') + suffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return SavedFile{dialog.selectedFiles().first(), std::max<int>(int(filters.indexOf(dialog.selectedNameFilter())), 0)};
}

struct RealPlatform::Parts {
    IniSettingsStore settings;
    QtMessageBoxes messages;
    DetachedStarter starter;
    ModalDialogRunner dialogs;
    ProcessIdentity identity;
    QtFileDialogs files;
    HiveRegistry registry;
    RealShell shell;
    RealDesktop desktop;
    QTranslator qtTexts;
};

RealPlatform::RealPlatform() : m_parts(new Parts)
{
    Platform p;
    p.settings = &m_parts->settings;
    p.messages = &m_parts->messages;
    p.starter = &m_parts->starter;
    p.dialogs = &m_parts->dialogs;
    p.identity = &m_parts->identity;
    p.files = &m_parts->files;
    p.registry = &m_parts->registry;
    p.shell = &m_parts->shell;
    p.desktop = &m_parts->desktop;
    installPlatform(p);
    // Qt's own texts (file dialogs, standard buttons) in the program's language.
    if (m_parts->qtTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_parts->qtTexts);
}

RealPlatform::~RealPlatform()
{
    installPlatform(Platform{});
    delete m_parts;
}

} // namespace zor
