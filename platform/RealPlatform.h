#pragma once
// The real desktop facilities, put together by main().
#include "platform/Platform.h"

#include <QApplication>
#include <QLocale>

#include <vector>

class QCommandLineParser;

namespace zor {

// The program's options (--help, --version, --search, the screenshot options, and Qt's own,
// hidden); every other argument is a path.
void describeCommandLine(QCommandLineParser& parser);
// An argument vector for the parser: each byte one Latin-1 character, so that the options
// (all ASCII) are found and every path and value comes back byte for byte (argumentBytes).
QStringList commandLineWords(const QList<QByteArray>& argv);
inline QByteArray argumentBytes(const QString& word) { return word.toLatin1(); }
// The paths of an argument vector (program first), as the parser leaves them.
QList<QByteArray> commandLinePaths(const QList<QByteArray>& argv);
// The parser's complaint, with what to do about a file whose name begins with a dash.
QString commandLineError(const QCommandLineParser& parser, const QStringList& words);

class IniSettingsStore : public SettingsStore {
public:
    // folder: where "<app>/<app>.ini" files live; empty means $XDG_CONFIG_HOME.
    explicit IniSettingsStore(QString folder = {});
    std::optional<QString> value(const QString& app, const QString& section, const QString& key) override;
    void setValue(const QString& app, const QString& section, const QString& key, const QString& text) override;
    void exclusive(const QString& app, const std::function<void()>& change) override;
    QString fileOf(const QString& app) const;

private:
    struct Pending {
        QString section, key, text;
    };
    void write(const QString& app, const std::vector<Pending>& changes);
    bool m_exclusive = false;   // reads go to the file itself, past QSettings' copy
    std::vector<Pending> m_pending;   // the writes of the exclusive step
    static void keepTimesApart(const QString& file);
    QString m_folder;
};

class QtMessageBoxes : public MessageBoxes {
public:
    void show(QWidget* parent, const Message& message) override;
    int ask(QWidget* parent, const Message& message, const QStringList& buttons, int defaultButton) override;
};

class DetachedStarter : public ProgramStarter {
public:
    using ProgramStarter::start;
    qint64 start(const QByteArray& program, const QList<QByteArray>& arguments) override;
};

class ModalDialogRunner : public DialogRunner {
public:
    int exec(QDialog& dialog) override;
};

class ProcessIdentity : public Identity {
public:
    // The argument vector as main() has it once the toolkit has taken its own options.
    explicit ProcessIdentity(QList<QByteArray> argv = {}) : m_argv(std::move(argv)) {}
    QString programFolder() const override;
    QString fileName() const override;
    QList<QByteArray> arguments() const override;

private:
    QList<QByteArray> m_argv;
};

class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> openFile(QWidget* parent, const QString& filter) override;
    using FileDialogs::browseFolder;
    QString browseFolder(QWidget* parent, const QString& title, const QString& folder) override;
    std::optional<SavedFile> saveFile(QWidget* parent, const SaveFileRequest& request) override;
    // "name|patterns|name|patterns" -> Qt's "name (patterns);;..." form.
    static QStringList translateFilter(const QString& filter);
};

// The language of the program's texts for a locale: "ja" (the sources' own texts) when its first
// UI language is Japanese or it is the C/POSIX locale, "en" for every other one.
QString ProgramLanguage(const QLocale& locale);

// Owns the real facilities and installs them.
class RealPlatform {
public:
    explicit RealPlatform(QList<QByteArray> argv = {});
    ~RealPlatform();

private:
    struct Parts;
    Parts* m_parts;
};

} // namespace zor
