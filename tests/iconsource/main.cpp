#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

// The damaged-input tests make libpng complain thousands of times; keep the log readable.
void quietPng(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("libpng")))
        return;
    previousHandler(type, context, message);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    previousHandler = qInstallMessageHandler(quietPng);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
