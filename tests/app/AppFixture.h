#pragma once
// A main window put together with the platform doubles.
#include "app/Form1.h"
#include "support/TestPlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

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
    // The window on screen and active, so that keys go where a user's keys go.
    void showActive()
    {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    // Keys for whatever has the focus.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    // Types over the path box's text and presses Enter (the main or the keypad one).
    void typeAndEnter(const QString& path, Qt::Key enter = Qt::Key_Return)
    {
        form->Text1->setFocus();
        press(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), path);
        press(enter, enter == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    }
    // A mouse click on item i (1-based) where the list shows it.
    void clickItem(int i, Qt::MouseButton button = Qt::LeftButton)
    {
        const QRect r = form->ListView1->visualRect(form->ListView1->model()->index(i - 1, 0));
        QTest::mouseClick(form->ListView1->viewport(), button, {}, r.center());
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
