#include "settings/ClsZOR.h"

#include "platform/Platform.h"

#include <optional>

namespace zor {

namespace storetext {

QString fromFloat(float v)
{
    // Seven significant digits; integral values come out without a decimal point.
    return QString::number(double(v), 'g', 7);
}

float toFloat(const QString& text, float fallback)
{
    bool ok = false;
    const float v = text.trimmed().toFloat(&ok);
    return ok ? v : fallback;
}

QString fromInt(int v) { return QString::number(v); }

qint16 toInt16(const QString& text, qint16 fallback)
{
    bool ok = false;
    const short v = text.trimmed().toShort(&ok);
    return ok ? qint16(v) : fallback;
}

QString fromBool(bool v) { return v ? QStringLiteral("True") : QStringLiteral("False"); }

bool toBool(const QString& text, bool fallback)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double n = t.toDouble(&ok);
    return ok ? n != 0 : fallback;
}

std::optional<QString> read(const QString& key)
{
    return platform().settings->value(StoreApp, StoreSection, key);
}

void write(const QString& key, const QString& text)
{
    platform().settings->setValue(StoreApp, StoreSection, key, text);
}

} // namespace storetext

using namespace storetext;

namespace {
float readFloat(const char* key, float fallback)
{
    const auto t = read(QLatin1String(key));
    return t ? toFloat(*t, fallback) : fallback;
}
qint16 readInt(const char* key, qint16 fallback)
{
    const auto t = read(QLatin1String(key));
    return t ? toInt16(*t, fallback) : fallback;
}
bool readBool(const char* key, bool fallback)
{
    const auto t = read(QLatin1String(key));
    return t ? toBool(*t, fallback) : fallback;
}
} // namespace

float ClsZOR::Top() const { return readFloat("Top", 0); }
void ClsZOR::Top(float v) { write(QStringLiteral("Top"), fromFloat(v)); }
float ClsZOR::Left() const { return readFloat("Left", 0); }
void ClsZOR::Left(float v) { write(QStringLiteral("Left"), fromFloat(v)); }
float ClsZOR::Width() const { return readFloat("Width", 100); }
void ClsZOR::Width(float v) { write(QStringLiteral("Width"), fromFloat(v)); }
float ClsZOR::Height() const { return readFloat("Height", 100); }
void ClsZOR::Height(float v) { write(QStringLiteral("Height"), fromFloat(v)); }

QString ClsZOR::IconSize() const { return read(QStringLiteral("IconSize")).value_or(QStringLiteral("L")); }

void ClsZOR::IconSize(const QString& v)
{
    write(QStringLiteral("IconSize"), v == QLatin1String("S") ? QStringLiteral("S") : QStringLiteral("L"));
}

qint16 ClsZOR::ToolBarColor() const { return readInt("ToolBarColor", 0); }
void ClsZOR::ToolBarColor(qint16 v) { write(QStringLiteral("ToolBarColor"), fromInt(v)); }
bool ClsZOR::ReIconSize() const { return readBool("ReIconSize", false); }
void ClsZOR::ReIconSize(bool v) { write(QStringLiteral("ReIconSize"), fromBool(v)); }
bool ClsZOR::ReSize() const { return readBool("ReSize", false); }
void ClsZOR::ReSize(bool v) { write(QStringLiteral("ReSize"), fromBool(v)); }
bool ClsZOR::RePos() const { return readBool("RePos", false); }
void ClsZOR::RePos(bool v) { write(QStringLiteral("RePos"), fromBool(v)); }
qint16 ClsZOR::WindowState() const { return readInt("WindowState", 0); }

void ClsZOR::WindowState(qint16 v)
{
    // Minimised (1) and unknown states are never stored.
    if (v == 0 || v == 2)
        write(QStringLiteral("WindowState"), fromInt(v));
}

QString ClsZOR::GetRFile(qint16 index) const
{
    return read(QStringLiteral("RF") + QString::number(index)).value_or(QString());
}

bool ClsZOR::SetRFile(qint16 index, const QString& path)
{
    write(QStringLiteral("RF") + QString::number(index), path);
    return true;
}

} // namespace zor
