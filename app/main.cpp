#include "platform/RealPlatform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    zor::RealPlatform real;
    return 0;
}
