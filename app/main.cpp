#include "app/Form1.h"
#include "app/Screenshot.h"
#include "platform/RealPlatform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zor"));
    zor::RealPlatform real;

    zor::Form1 form;
    form.Form_Load();
    form.show();
    zor::scheduleScreenshot(form, QApplication::arguments());
    return QApplication::exec();
}
