// hive_writer FOLDER PREFIX COUNT: writes COUNT keys "PREFIX\<n>" with value "n" = n
// to HKEY_CURRENT_USER of the hive in FOLDER, each through its own create and set.
#include "platform/registry/HiveRegistry.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 2;
    zor::HiveRegistry reg(QString::fromLocal8Bit(argv[1]));
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    const int count = QString::fromLocal8Bit(argv[3]).toInt();
    int failures = 0;
    for (int n = 0; n < count; ++n) {
        zor::HKEY key = 0;
        if (reg.RegCreateKeyEx(zor::HKEY_CURRENT_USER, prefix + QLatin1Char('\\') + QString::number(n), 0, 0,
                               zor::KEY_WRITE, &key, nullptr) != zor::ERROR_SUCCESS) {
            ++failures;
            continue;
        }
        const QByteArray data = zor::Registry::stringData(QString::number(n));
        if (reg.RegSetValueEx(key, QStringLiteral("n"), 0, zor::REG_SZ, data.constData(), zor::DWORD(data.size()))
            != zor::ERROR_SUCCESS)
            ++failures;
        reg.RegCloseKey(key);
    }
    return failures == 0 ? 0 : 1;
}
