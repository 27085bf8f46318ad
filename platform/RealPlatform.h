#pragma once
// The real desktop facilities, put together by main().
#include "platform/Platform.h"

#include <QApplication>

class QCommandLineParser;

namespace zor {

// The program's options (--help, --version, the screenshot options); every other
// argument is a path.
void describeCommandLine(QCommandLineParser& parser);
// The paths of an argument vector (program first), as the parser leaves them.
QStringList commandLinePaths(const QStringList& argv);

class IniSettingsStore : public SettingsStore {
public:
    // folder: where "<app>/<app>.ini" files live; empty means $XDG_CONFIG_HOME.
    explicit IniSettingsStore(QString folder = {});
    std::optional<QString> value(const QString& app, const QString& section, const QString& key) override;
    void setValue(const QString& app, const QString& section, const QString& key, const QString& text) override;
    QString fileOf(const QString& app) const;

private:
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
    qint64 start(const QString& program, const QStringList& arguments) override;
};

class ModalDialogRunner : public DialogRunner {
public:
    int exec(QDialog& dialog) override;
};

class ProcessIdentity : public Identity {
public:
    QString programFolder() const override;
    QString fileName() const override;
    QStringList arguments() const override;
};

class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> openFile(QWidget* parent, const QString& filter) override;
    QString browseFolder(QWidget* parent, const QString& title) override;
    std::optional<SavedFile> saveFile(QWidget* parent, const SaveFileRequest& request) override;
    // "name|patterns|name|patterns" -> Qt's "name (patterns);;..." form.
    static QStringList translateFilter(const QString& filter);
};

// Owns the real facilities and installs them.
class RealPlatform {
public:
    RealPlatform();
    ~RealPlatform();

private:
    struct Parts;
    Parts* m_parts;
};

} // namespace zor
