#include "settings/QELREG.h"

#include "settings/ClsZOR.h"

#include <optional>

namespace zor {

using namespace storetext;

qint16 QELREG::TormeliaViewer_Version() const
{
    const auto t = read(QStringLiteral("Ver"));
    return t ? toInt16(*t, 0) : 0;
}

void QELREG::TormeliaViewer_Version(qint16 v) { write(QStringLiteral("Ver"), fromInt(v)); }

QString QELREG::TormeliaViewer_Path() const { return read(QStringLiteral("Path")).value_or(QString()); }

void QELREG::TormeliaViewer_Path(const QString& v) { write(QStringLiteral("Path"), v); }

} // namespace zor
