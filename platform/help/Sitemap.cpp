#include "platform/help/Sitemap.h"

#include <QHash>
#include <algorithm>

namespace zor {

namespace {
constexpr int MaxDepth = 32;
constexpr size_t MaxEntries = 20000;

// &amp; &lt; &gt; &quot; &apos; &nbsp; and numeric references; anything else stays as written.
QString decodeEntities(const QString& text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    static const QHash<QString, QChar> named{{QStringLiteral("amp"), u'&'},  {QStringLiteral("lt"), u'<'},
                                              {QStringLiteral("gt"), u'>'},   {QStringLiteral("quot"), u'"'},
                                              {QStringLiteral("apos"), u'\''}, {QStringLiteral("nbsp"), QChar(0xa0)}};
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // References are short: look no further than a few characters for the ';'.
        const qsizetype semi = text[i] == u'&' ? QStringView(text).mid(i + 1, 10).indexOf(u';') : -1;
        if (semi < 0) {
            out += text[i];
            continue;
        }
        const QString ref = text.mid(i + 1, semi);
        bool ok = false;
        uint code = 0;
        if (ref.startsWith(u'#'))
            code = ref.startsWith(QLatin1String("#x"), Qt::CaseInsensitive) ? ref.mid(2).toUInt(&ok, 16) : ref.mid(1).toUInt(&ok);
        if (ok && code > 0 && code <= 0x10ffff && QChar::isPrint(char32_t(code))) {
            out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        } else if (const auto n = named.constFind(ref.toLower()); n != named.cend()) {
            out += *n;
        } else {
            out += text[i];
            continue;
        }
        i += semi + 1;
    }
    return out;
}

// One tag: its lower-case name ("ul", "/ul", "param") and attributes (lower-case names).
struct Tag {
    QString name;
    QHash<QString, QString> attributes;
};

// Reads the tag whose '<' is at `pos` and moves past its '>'; false at the end of the text.
// Every character is looked at once, whatever the quoting.
bool readTag(const QString& html, qsizetype& pos, Tag& tag)
{
    const qsizetype n = html.size();
    qsizetype i = pos + 1;
    auto isNameChar = [&](qsizetype k) { return k < n && (html[k].isLetterOrNumber() || html[k] == u'/' || html[k] == u'!' || html[k] == u'-'); };
    const qsizetype nameStart = i;
    while (isNameChar(i))
        ++i;
    tag.name = html.mid(nameStart, i - nameStart).toLower();
    tag.attributes.clear();
    while (i < n && html[i] != u'>') {
        if (html[i].isSpace() || html[i] == u'/') {
            ++i;
            continue;
        }
        const qsizetype keyStart = i;
        while (i < n && !html[i].isSpace() && html[i] != u'=' && html[i] != u'>')
            ++i;
        const QString key = html.mid(keyStart, i - keyStart).toLower();
        while (i < n && html[i].isSpace())
            ++i;
        QString value;
        if (i < n && html[i] == u'=') {
            ++i;
            while (i < n && html[i].isSpace())
                ++i;
            if (i < n && (html[i] == u'"' || html[i] == u'\'')) {
                const QChar quote = html[i];
                const qsizetype close = html.indexOf(quote, i + 1);
                if (close < 0)
                    return false;
                value = html.mid(i + 1, close - i - 1);
                i = close + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < n && !html[i].isSpace() && html[i] != u'>')
                    ++i;
                value = html.mid(valueStart, i - valueStart);
            }
        }
        if (!key.isEmpty())
            tag.attributes.insert(key, decodeEntities(value));
    }
    if (i >= n)
        return false;
    pos = i + 1;
    return true;
}
} // namespace

std::vector<SitemapEntry> parseSitemap(const QString& html)
{
    std::vector<SitemapEntry> entries;
    int lists = 0;
    bool inObject = false;
    SitemapEntry entry;
    Tag tag;
    for (qsizetype pos = html.indexOf(u'<'); pos >= 0 && entries.size() < MaxEntries; pos = html.indexOf(u'<', pos)) {
        if (html.mid(pos, 4) == QLatin1String("<!--")) {
            const qsizetype end = html.indexOf(QLatin1String("-->"), pos + 4);
            if (end < 0)
                break;
            pos = end + 3;
            continue;
        }
        if (!readTag(html, pos, tag))
            break;
        if (tag.name == QLatin1String("ul")) {
            ++lists;
        } else if (tag.name == QLatin1String("/ul")) {
            lists = std::max(0, lists - 1);
        } else if (tag.name == QLatin1String("object")) {
            inObject = tag.attributes.value(QStringLiteral("type")).compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
            entry = SitemapEntry{{}, {}, std::clamp(lists - 1, 0, MaxDepth)};
        } else if (tag.name == QLatin1String("param") && inObject) {
            // An index keyword may name several pages: its first name and first page count.
            const QString name = tag.attributes.value(QStringLiteral("name")).toLower();
            const QString value = tag.attributes.value(QStringLiteral("value")).trimmed();
            if (name == QLatin1String("name") && entry.name.isEmpty())
                entry.name = value;
            else if (name == QLatin1String("local") && entry.local.isEmpty())
                entry.local = value;
        } else if (tag.name == QLatin1String("/object") && inObject) {
            inObject = false;
            if (!entry.name.isEmpty())
                entries.push_back(entry);
        }
    }
    return entries;
}

} // namespace zor
