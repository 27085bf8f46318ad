#include "support/TestPlatform.h"

#include <QFile>

#include <QDialog>

namespace zor::test {

static QString joinKey(const QString& app, const QString& section, const QString& key)
{
    return app + QLatin1Char('/') + section + QLatin1Char('/') + key;
}

std::optional<QString> MemorySettingsStore::value(const QString& app, const QString& section, const QString& key)
{
    const auto it = values.constFind(joinKey(app, section, key));
    if (it == values.constEnd())
        return std::nullopt;
    return *it;
}

void MemorySettingsStore::setValue(const QString& app, const QString& section, const QString& key, const QString& text)
{
    if (failWrites)
        throw RuntimeError(75, "settings store cannot be written");
    values.insert(joinKey(app, section, key), text);
    writes.push_back(key + QLatin1Char('=') + text);
}

void RecordingMessageBoxes::show(QWidget*, const Message& message)
{
    shown.push_back(message);
    if (onShow)
        onShow(message);
}

int RecordingMessageBoxes::ask(QWidget*, const Message& message, const QStringList& buttons, int defaultButton)
{
    asked.push_back({message, buttons, defaultButton});
    if (onAsk)
        onAsk(message);
    if (answers.empty())
        return int(buttons.size()) - 1;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

qint64 RecordingStarter::start(const QByteArray& program, const QList<QByteArray>& arguments)
{
    QStringList text;
    for (const QByteArray& a : arguments)
        text << QFile::decodeName(a);
    calls.push_back({QFile::decodeName(program), text, arguments});
    return fail ? 0 : nextPid++;
}

int ScriptedDialogRunner::exec(QDialog& dialog)
{
    opened.push_back(dialog.objectName());
    return script ? script(dialog) : QDialog::Rejected;
}

std::optional<QString> ScriptedFileDialogs::openFile(QWidget*, const QString& filter)
{
    filters.push_back(filter);
    std::optional<QString> answer;
    if (!fileAnswers.empty()) {
        answer.swap(fileAnswers.front());
        fileAnswers.pop_front();
    }
    return answer;
}

QString ScriptedFileDialogs::browseFolder(QWidget*, const QString& title, const QString& folder)
{
    titles.push_back(title);
    browseStarts.push_back(folder);
    if (folderAnswers.empty())
        return {};
    QString answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

std::optional<SavedFile> ScriptedFileDialogs::saveFile(QWidget*, const SaveFileRequest& request)
{
    saveRequests.push_back(request);
    std::optional<SavedFile> answer;
    if (!saveAnswers.empty()) {
        answer.swap(saveAnswers.front());
        saveAnswers.pop_front();
    }
    return answer;
}

TestPlatform::TestPlatform()
{
    p.settings = &settings;
    p.messages = &messages;
    p.starter = &starter;
    p.dialogs = &dialogs;
    p.identity = &identity;
    p.files = &files;
    p.registry = &registry;
    p.shell = &shell;
    p.desktop = &desktop;
    install();
}

TestPlatform::~TestPlatform() { installPlatform(Platform{}); }

void TestPlatform::install() { installPlatform(p); }

} // namespace zor::test
