// Every test binary gets a QApplication (offscreen in `make test`).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    Q_INIT_RESOURCE(resources);
    // The tests expect the program's own (Japanese) texts, whatever the desktop's language: its
    // messages are those of the C locale, for the programs the tests start too. A test that runs
    // the program under a locale of its own sets ZOR_TEST_LOCALE for it.
    if (qEnvironmentVariableIsEmpty("ZOR_TEST_LOCALE")) {
        if (!qEnvironmentVariableIsEmpty("LC_ALL")) {
            if (qEnvironmentVariableIsEmpty("LANG"))
                qputenv("LANG", qgetenv("LC_ALL"));
            qunsetenv("LC_ALL");
        }
        qunsetenv("LANGUAGE");
        qputenv("LC_MESSAGES", "C");
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
