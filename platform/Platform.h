#pragma once
// The desktop facilities the windows rely on. Every facility is an interface with a
// real implementation (RealPlatform.cpp) and a test double (tests/support), chosen
// when the program is put together.
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string_view>

class QDialog;
class QWidget;

namespace zor {

class Registry;   // platform/registry
class Shell;      // platform/desktop: opening documents and links, property sheets
class Desktop;    // platform/desktop: wallpaper, desktop colour, freedesktop associations

// Per-user settings store: application, section, key -> text.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<QString> value(const QString& app, const QString& section, const QString& key) = 0;
    virtual void setValue(const QString& app, const QString& section, const QString& key, const QString& text) = 0;
    QString read(const QString& app, const QString& section, const QString& key, const QString& fallback)
    {
        return value(app, section, key).value_or(fallback);
    }
    // Runs change, reads and writes of app's values, as one step that other instances'
    // steps of this kind wait for; reads inside see what the others wrote.
    virtual void exclusive(const QString& app, const std::function<void()>& change)
    {
        (void)app;
        change();
    }
};

enum class MsgIcon { None, Critical, Question, Exclamation, Information };

struct Message {
    QString text;
    MsgIcon icon = MsgIcon::None;
    QString caption;          // empty: the program title
    bool rightAligned = false;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(QWidget* parent, const Message& message) = 0;
    // A question with buttons of its own captions, in order. Returns the index of the button
    // pressed; Escape or the close box answer the last one. Enter presses defaultButton.
    virtual int ask(QWidget* parent, const Message& message, const QStringList& buttons, int defaultButton) = 0;
};

// Starts programs detached. Returns the process id, 0 when nothing was started. Arguments
// go over as bytes, so that a path that is not UTF-8 reaches the program as it is stored.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    virtual qint64 start(const QByteArray& program, const QList<QByteArray>& arguments) = 0;
    // Text arguments, in the locale's file-name encoding.
    qint64 start(const QString& program, const QStringList& arguments);
};

// Runs a dialog modally and returns its result code.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    virtual int exec(QDialog& dialog) = 0;
};

// Component n of a dotted version such as "2.32.89".
constexpr int versionPart(std::string_view version, int n)
{
    int part = 0;
    int value = 0;
    for (char c : version) {
        if (c == '.') {
            if (part++ == n)
                return value;
            value = 0;
        } else {
            value = value * 10 + (c - '0');
        }
    }
    return part == n ? value : 0;
}

// What the running program knows about itself.
class Identity {
public:
    virtual ~Identity() = default;
    virtual QString programFolder() const = 0;   // no trailing '/' except at '/'
    virtual QString fileName() const = 0;        // the executable's file name
    virtual QList<QByteArray> arguments() const = 0;   // the paths of the argument vector, as given
    QString executablePath() const;              // programFolder + "/" + fileName
    static constexpr std::string_view Version = ZOR_VERSION;   // "2.32.89", the project's version
    static constexpr int Major = versionPart(Version, 0);
    static constexpr int Minor = versionPart(Version, 1);
    static constexpr int Revision = versionPart(Version, 2);
};

// What a save dialog starts with: its folder, the proposed name and the filters, of which
// filterIndex (from 0) is chosen at first.
struct SaveFileRequest {
    QString title;
    QString folder;
    QString name;
    QString filter;
    int filterIndex = 0;
};

struct SavedFile {
    QString path;
    int filterIndex = 0;   // the filter chosen when the dialog was closed
};

// Standard file dialogs. The filter is the "name|patterns|name|patterns" form.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Returns the chosen file, or std::nullopt when cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& filter) = 0;
    // Returns the chosen folder, or the empty string when cancelled; the dialog starts in
    // folder (empty: where the toolkit starts).
    virtual QString browseFolder(QWidget* parent, const QString& title, const QString& folder) = 0;
    QString browseFolder(QWidget* parent, const QString& title) { return browseFolder(parent, title, {}); }
    // Returns the file to write, or std::nullopt when cancelled. A name without an extension
    // gets the chosen filter's; replacing an existing file is confirmed in the dialog.
    virtual std::optional<SavedFile> saveFile(QWidget* parent, const SaveFileRequest& request) = 0;
};

struct Platform {
    SettingsStore* settings = nullptr;
    MessageBoxes* messages = nullptr;
    ProgramStarter* starter = nullptr;
    DialogRunner* dialogs = nullptr;
    Identity* identity = nullptr;
    FileDialogs* files = nullptr;
    Registry* registry = nullptr;
    Shell* shell = nullptr;
    Desktop* desktop = nullptr;
};

// The facilities in force. main() installs the real ones, tests install doubles.
Platform& platform();
void installPlatform(const Platform& p);

// The program's title, used as the caption of message boxes that give none.
inline const QString ProgramTitle = QStringLiteral("QEL TORMELIA VIEWER");

// Runs one handler under the window's error trap: an unexpected error ends the
// handler quietly and what was already done stays.
void trap(const std::function<void()>& handler);

// Raised by controls where the original toolkit raised a run-time error.
struct RuntimeError : std::runtime_error {
    int number;
    RuntimeError(int n, const char* what) : std::runtime_error(what), number(n) {}
};

} // namespace zor
