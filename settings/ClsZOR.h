#pragma once
// The viewer's settings in the per-user store. Keeps no state: every read goes to
// the store and every write goes to it at once.
#include <QString>
#include <optional>

namespace zor {

inline const QString StoreApp = QStringLiteral("QEL");
inline const QString StoreSection = QStringLiteral("QEL Tormelia Viewer");

// Text conversions shared with the family record. A stored value that does not
// convert reads as the documented default.
namespace storetext {
QString fromFloat(float v);
float toFloat(const QString& text, float fallback);
QString fromInt(int v);
qint16 toInt16(const QString& text, qint16 fallback);
QString fromBool(bool v);
bool toBool(const QString& text, bool fallback);
std::optional<QString> read(const QString& key);
void write(const QString& key, const QString& text);
} // namespace storetext

class ClsZOR {
public:
    float Top() const;
    void Top(float v);
    float Left() const;
    void Left(float v);
    float Width() const;
    void Width(float v);
    float Height() const;
    void Height(float v);
    QString IconSize() const;
    void IconSize(const QString& v);
    qint16 ToolBarColor() const;
    void ToolBarColor(qint16 v);
    bool ReIconSize() const;
    void ReIconSize(bool v);
    bool ReSize() const;
    void ReSize(bool v);
    bool RePos() const;
    void RePos(bool v);
    qint16 WindowState() const;
    void WindowState(qint16 v);
    QString GetRFile(qint16 index) const;
    bool SetRFile(qint16 index, const QString& path);
};

} // namespace zor
