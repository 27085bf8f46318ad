#pragma once
// A main window put together with the platform doubles.
#include "app/Form1.h"
#include "support/TestPlatform.h"

#include <QComboBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace zor::test {

class AppTest : public ::testing::Test {
protected:
    // A store that has seen a start before, so Form_Load shows no first-run dialog.
    void markStartedBefore() { tp.settings.values.insert(QStringLiteral("QEL/QEL Tormelia Viewer/Ver"), QStringLiteral("89")); }
    QString stored(const QString& key) const
    {
        return tp.settings.values.value(QStringLiteral("QEL/QEL Tormelia Viewer/") + key, QStringLiteral("<missing>"));
    }
    void store(const QString& key, const QString& text)
    {
        tp.settings.values.insert(QStringLiteral("QEL/QEL Tormelia Viewer/") + key, text);
    }
    void open(const QString& path)
    {
        form->Text1->setEditText(path);
        form->Text1_Click();
    }
    QStringList itemTexts() const
    {
        QStringList out;
        for (int i = 1; i <= form->ListView1->itemCount(); ++i)
            out << form->ListView1->item(i).text;
        return out;
    }

    TestPlatform tp;
    std::unique_ptr<Form1> form = std::make_unique<Form1>();
    QTemporaryDir dir;
};

} // namespace zor::test
