#pragma once
// The family record: this program's version and folder, for the other tools of the family.
#include <QString>

namespace zor {

class QELREG {
public:
    qint16 TormeliaViewer_Version() const;
    void TormeliaViewer_Version(qint16 v);
    QString TormeliaViewer_Path() const;
    void TormeliaViewer_Path(const QString& v);
};

} // namespace zor
