#pragma once
// Test doubles of every desktop facility, installed for the lifetime of a TestPlatform.
#include "platform/Platform.h"
#include "support/RecordingDesktop.h"
#include "support/RecordingShell.h"
#include "support/MemoryRegistry.h"

#include <QFile>
#include <QMap>
#include <deque>
#include <vector>

namespace zor::test {

class MemorySettingsStore : public SettingsStore {
public:
    std::optional<QString> value(const QString& app, const QString& section, const QString& key) override;
    void setValue(const QString& app, const QString& section, const QString& key, const QString& text) override;
    // Keys as "app/section/key", in the order they were first written.
    QMap<QString, QString> values;
    std::vector<QString> writes;   // "key=text" in write order
    bool failWrites = false;
};

class RecordingMessageBoxes : public MessageBoxes {
public:
    void show(QWidget* parent, const Message& message) override;
    int ask(QWidget* parent, const Message& message, const QStringList& buttons, int defaultButton) override;
    std::vector<Message> shown;
    std::function<void(const Message&)> onShow;
    struct Question { Message message; QStringList buttons; int defaultButton; };
    std::vector<Question> asked;
    std::deque<int> answers;   // empty queue: the last button, as Escape
    std::function<void(const Message&)> onAsk;   // while the question is open
};

class RecordingStarter : public ProgramStarter {
public:
    // As text for comparing, and the arguments' bytes as they went.
    struct Call { QString program; QStringList arguments; QList<QByteArray> bytes; };
    using ProgramStarter::start;
    qint64 start(const QByteArray& program, const QList<QByteArray>& arguments) override;
    std::vector<Call> calls;
    qint64 nextPid = 4242;
    bool fail = false;
};

class ScriptedDialogRunner : public DialogRunner {
public:
    int exec(QDialog& dialog) override;
    // Called with the dialog instead of running it; returns the result code.
    std::function<int(QDialog&)> script;
    std::vector<QString> opened;   // objectName of every dialog run, in order
};

class FakeIdentity : public Identity {
public:
    QString programFolder() const override { return folder; }
    QString fileName() const override { return file; }
    QList<QByteArray> arguments() const override
    {
        QList<QByteArray> out = rawArgs;
        for (const QString& a : args)
            out << QFile::encodeName(a);
        return out;
    }
    QString folder = QStringLiteral("/opt/zor");
    QString file = QStringLiteral("zor");
    QStringList args;
    QList<QByteArray> rawArgs;   // paths as bytes, before args
};

class ScriptedFileDialogs : public FileDialogs {
public:
    std::optional<QString> openFile(QWidget* parent, const QString& filter) override;
    using FileDialogs::browseFolder;
    QString browseFolder(QWidget* parent, const QString& title, const QString& folder) override;
    std::optional<SavedFile> saveFile(QWidget* parent, const SaveFileRequest& request) override;
    std::deque<std::optional<QString>> fileAnswers;   // empty queue: cancelled
    std::deque<std::optional<SavedFile>> saveAnswers;   // empty queue: cancelled
    std::vector<SaveFileRequest> saveRequests;
    std::deque<QString> folderAnswers;
    std::vector<QString> filters;
    std::vector<QString> titles;
    std::vector<QString> browseStarts;   // the folder each browseFolder started in
};

// Installs the doubles on construction and clears the platform on destruction.
// Rooms with facilities of their own (registry, shell, desktop) set them on `p`.
class TestPlatform {
public:
    TestPlatform();
    ~TestPlatform();
    void install();   // re-install after changing members of p

    MemorySettingsStore settings;
    RecordingMessageBoxes messages;
    RecordingStarter starter;
    ScriptedDialogRunner dialogs;
    FakeIdentity identity;
    ScriptedFileDialogs files;
    MemoryRegistry registry;
    RecordingShell shell;
    RecordingDesktop desktop;
    Platform p;
};

} // namespace zor::test
