#include "platform/RealPlatform.h"

#include "platform/desktop/RealDesktop.h"
#include "platform/desktop/RealShell.h"
#include "platform/registry/HiveRegistry.h"

#include <algorithm>
#include <QApplication>
#include <QCommandLineParser>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTranslator>
#include <QThread>
#include <QElapsedTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zor {

namespace {
constexpr int LockWaitMs = 10000;

// A lock other instances wait for, held while the object lives. flock wakes a waiter as soon
// as the lock is free; QLockFile sleeps ever longer between tries, which twenty instances
// starting at once turn into seconds.
class FileLock {
public:
    explicit FileLock(const QString& path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return;
        QElapsedTimer waited;
        waited.start();
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || waited.elapsed() > LockWaitMs) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
            QThread::msleep(1);
        }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);   // and the lock with it
    }
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};
}

IniSettingsStore::IniSettingsStore(QString folder) : m_folder(std::move(folder)) {}

namespace {
std::optional<QString> storedText(QSettings& s, const QString& section, const QString& key)
{
    s.beginGroup(section);
    const QVariant v = s.value(key);
    const bool found = s.contains(key);
    s.endGroup();
    if (!found)
        return std::nullopt;
    // An unquoted comma makes QSettings read a list; the stored text is what counts.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}
}

QString IniSettingsStore::fileOf(const QString& app) const
{
    QString base = m_folder;
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QLatin1Char('/') + app + QLatin1Char('/') + app + QStringLiteral(".ini");
}

std::optional<QString> IniSettingsStore::value(const QString& app, const QString& section, const QString& key)
{
    for (auto it = m_pending.rbegin(); it != m_pending.rend(); ++it)
        if (it->section == section && it->key == key)
            return it->text;
    // A new QSettings per call: every read sees what other instances wrote. Within an exclusive
    // step a private copy is read: QSettings keeps the file's contents by its time and size,
    // which another instance's write in the same millisecond can leave alike.
    QTemporaryFile copy(fileOf(app) + QStringLiteral(".XXXXXX"));
    QString file = fileOf(app);
    if (m_exclusive) {
        QFile current(file);
        if (current.open(QIODevice::ReadOnly) && copy.open()) {
            copy.write(current.readAll());
            copy.close();
            file = copy.fileName();
        }
    }
    QSettings s(file, QSettings::IniFormat);
    if (s.status() != QSettings::NoError)
        return std::nullopt;
    return storedText(s, section, key);
}

void IniSettingsStore::setValue(const QString& app, const QString& section, const QString& key, const QString& text)
{
    // Within an exclusive step the writes are kept, and stored together at its end.
    if (m_exclusive) {
        m_pending.push_back({section, key, text});
        return;
    }
    write(app, {{section, key, text}});
}

void IniSettingsStore::write(const QString& app, const std::vector<Pending>& changes)
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
    const FileLock lock(file + QStringLiteral(".lock"));
    if (!lock.held())
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
        // Start-up stores many values that are already there: the file is left as it is then,
        // sparing a replacement and its flush to disk.
        if (s.status() == QSettings::NoError
            && std::all_of(changes.begin(), changes.end(), [&](const Pending& c) { return storedText(s, c.section, c.key) == c.text; }))
            return;
        for (const Pending& c : changes) {
            s.beginGroup(c.section);
            s.setValue(c.key, c.text);
            s.endGroup();
        }
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

void IniSettingsStore::exclusive(const QString& app, const std::function<void()>& change)
{
    const QString file = fileOf(app);
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        throw RuntimeError(75, "settings store cannot be written");
    const FileLock lock(file + QStringLiteral(".step.lock"));   // not the lock each write takes
    if (!lock.held())
        throw RuntimeError(75, "settings store is held by another instance");
    m_exclusive = true;
    m_pending.clear();
    struct Reset {
        IniSettingsStore& store;
        ~Reset()
        {
            store.m_exclusive = false;
            store.m_pending.clear();
        }
    } reset{*this};
    change();
    m_exclusive = false;
    if (!m_pending.empty())
        write(app, m_pending);
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

namespace {
// Starts program (a path) in a process of its own that no one waits for: the child that
// forks it ends at once. Returns its id, or 0 when it could not be started.
qint64 spawnDetached(const QByteArray& program, const QList<QByteArray>& arguments)
{
    std::vector<QByteArray> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (QByteArray& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    // The program's id comes back through the pipe, then an error number if exec failed;
    // a successful exec closes the pipe's last writer.
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return 0;
    const pid_t middle = ::fork();
    if (middle == 0) {
        ::setsid();
        const pid_t child = ::fork();
        if (child == 0) {
            ::execv(argv[0], argv.data());
            const int error = errno;
            (void)!::write(pipe[1], &error, sizeof error);
            ::_exit(127);
        }
        const qint64 id = child;
        (void)!::write(pipe[1], &id, sizeof id);
        ::_exit(0);
    }
    ::close(pipe[1]);
    qint64 id = 0;
    int error = 0;
    if (middle > 0) {
        while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
        }
        if (::read(pipe[0], &id, sizeof id) != sizeof id || id <= 0 || ::read(pipe[0], &error, sizeof error) > 0)
            id = 0;
    }
    ::close(pipe[0]);
    return id;
}
} // namespace

qint64 DetachedStarter::start(const QByteArray& program, const QList<QByteArray>& arguments)
{
    // A name without a folder is looked up on the PATH, here rather than in the child.
    const QString name = QFile::decodeName(program);
    QByteArray exe = program.contains('/') ? program : QFile::encodeName(QStandardPaths::findExecutable(name));
    QList<QByteArray> args = arguments;
    // A Windows program that is not on the PATH runs through wine when it is there.
    if (exe.isEmpty() || !QFileInfo(QFile::decodeName(exe)).isFile()) {
        if (!name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
            return 0;
        const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (wine.isEmpty())
            return 0;
        args.prepend(program);
        exe = QFile::encodeName(wine);
    }
    return spawnDetached(exe, args);
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

QList<QByteArray> ProcessIdentity::arguments() const
{
    return commandLinePaths(m_argv);
}

void describeCommandLine(QCommandLineParser& parser)
{
    // "-platform xcb" is one option, as Qt reads it; "-x.ico" is one unknown option.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("QEL TORMELIA VIEWER: the icons of .ico, .cur, .icl, .exe, .dll and .cpl files and of folders."));
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")});
    parser.addVersionOption();
    parser.addOption({QStringLiteral("search"),
                      QStringLiteral("Opens the search window on FOLDER and searches it for icons at once."),
                      QStringLiteral("FOLDER")});
    parser.addOption({QStringLiteral("create"),
                      QStringLiteral("Opens the window that makes an .ico file, with the paths as its images.")});
    const QStringList hidden[] = {{QStringLiteral("screenshot"), QStringLiteral("FILE")},
                                  {QStringLiteral("shot-view"), QStringLiteral("small|details")},
                                  {QStringLiteral("shot-dialog"), QStringLiteral("options|about|enlarged|info|search")},
                                  {QStringLiteral("shot-tab"), QStringLiteral("N")}};
    for (const QStringList& o : hidden) {
        QCommandLineOption option(o[0], QString(), o[1]);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    // Qt's own, which the toolkit takes before the paths are read: known here, so that they
    // are no errors before there is a display.
    for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                             "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style",
                             "stylesheet", "name", "title", "visual", "qmljsdebugger"}) {
        QCommandLineOption option(QLatin1String(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"}) {
        QCommandLineOption option{QLatin1String(name)};
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 QStringLiteral("Files or folders to open; each further one opens in a window of its own. "
                                                "Put paths that begin with '-' after --."),
                                 QStringLiteral("[--] [path...]"));
}

QStringList commandLineWords(const QList<QByteArray>& argv)
{
    QStringList words;
    for (const QByteArray& a : argv)
        words << QString::fromLatin1(a);
    return words;
}

QList<QByteArray> commandLinePaths(const QList<QByteArray>& argv)
{
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.parse(commandLineWords(argv));
    QList<QByteArray> paths;
    if (parser.isSet(QStringLiteral("create")))   // the paths are pictures, not sources to open
        return paths;
    for (const QString& word : parser.positionalArguments())
        paths << argumentBytes(word);
    return paths;
}

QString commandLineError(const QCommandLineParser& parser, const QStringList& words)
{
    QString text = QString::fromLocal8Bit(argumentBytes(parser.errorText()));
    if (parser.unknownOptionNames().isEmpty())
        return text;
    // The argument it came from, which may be a file's name.
    const QString unknown = parser.unknownOptionNames().constFirst();
    QString word = QStringLiteral("-") + unknown;
    for (const QString& w : words)
        if (w.startsWith(QLatin1Char('-')) && w.section(QLatin1Char('='), 0, 0).mid(w.startsWith(QStringLiteral("--")) ? 2 : 1) == unknown)
            word = w;
    return text + QStringLiteral("\nTo open a file whose name begins with '-', put -- before it: zor -- %1")
                      .arg(QString::fromLocal8Bit(argumentBytes(word)));
}

QStringList QtFileDialogs::translateFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" is every file where the filter comes from; to Qt it is only names with a dot.
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
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

QString QtFileDialogs::browseFolder(QWidget* parent, const QString& title, const QString& folder)
{
    return QFileDialog::getExistingDirectory(parent, title, folder);
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

namespace {
// An icon made the first time it is drawn.
class LaterIcon : public QIconEngine {
public:
    explicit LaterIcon(std::function<QIcon()> make) : m_make(std::move(make)) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override { return icon().pixmap(size, mode, state); }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override { return icon().actualSize(size, mode, state); }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override { return icon().availableSizes(mode, state); }
    QIconEngine* clone() const override
    {
        auto* copy = new LaterIcon(m_make);
        copy->m_icon = m_icon;   // made already, if m_make is spent
        return copy;
    }

private:
    QIcon& icon()
    {
        if (m_make) {
            m_icon = m_make();
            m_make = nullptr;
        }
        return m_icon;
    }
    std::function<QIcon()> m_make;
    QIcon m_icon;
};

// Every menu bar asks the style for its overflow button's icon when it is made, and the
// style reads it from a file in a way that loads every image plugin (and their libraries)
// to ask it about the file: a good part of a start-up. The icon is made when first drawn
// instead, which is seldom: only a menu bar too narrow for its menus shows that button.
class LaterIconsStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        if (which != SP_ToolBarHorizontalExtensionButton && which != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(which, option, widget);
        const QPointer<QStyle> base(baseStyle());
        return QIcon(new LaterIcon([base, which] { return base ? base->standardIcon(which) : QIcon(); }));
    }
};
}

struct RealPlatform::Parts {
    explicit Parts(QList<QByteArray> argv) : identity(std::move(argv)) {}
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
    QTranslator programTexts;
};

QString ProgramLanguage(const QLocale& locale)
{
    // C/POSIX: the sources' texts, and LANGUAGE does not count there (as for gettext).
    if (locale.language() == QLocale::C)
        return QStringLiteral("ja");
    const QString first = locale.uiLanguages().value(0);
    if (first.isEmpty())
        return QStringLiteral("ja");
    const QLocale::Language language = QLocale(first).language();
    return language == QLocale::Japanese || language == QLocale::C ? QStringLiteral("ja") : QStringLiteral("en");
}

RealPlatform::RealPlatform(QList<QByteArray> argv) : m_parts(new Parts(std::move(argv)))
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setStyle(new LaterIconsStyle(QStyleFactory::create(QApplication::style()->name())));
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
    // The program's texts, and Qt's own (file dialogs, standard buttons), in one language: the
    // sources are Japanese, so English needs the program's translation and Qt's untranslated texts.
    if (ProgramLanguage(QLocale::system()) == QLatin1String("ja")) {
        if (m_parts->qtTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&m_parts->qtTexts);
    } else if (m_parts->programTexts.load(QStringLiteral(":/i18n/zor_en.qm"))) {
        QCoreApplication::installTranslator(&m_parts->programTexts);
    }
}

RealPlatform::~RealPlatform()
{
    installPlatform(Platform{});
    delete m_parts;
}

} // namespace zor
