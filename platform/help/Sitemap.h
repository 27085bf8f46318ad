#pragma once
// The contents (.hhc) and index (.hhk) files of a help file: HTML lists whose items are
// <OBJECT type="text/sitemap"> with <param name="Name"> and <param name="Local">.
#include <QString>
#include <vector>

namespace zor {

struct SitemapEntry {
    QString name;
    QString local;   // "page.html#part" as written; empty for a heading
    int depth = 0;   // 0 for the outermost list
};

// Every entry in file order. Anything that is not a well-formed sitemap is skipped, and
// deep nesting and very long files are cut off rather than followed.
std::vector<SitemapEntry> parseSitemap(const QString& html);

} // namespace zor
