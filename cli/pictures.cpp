// zor-icons-pictures: zor-icons's private helper, which runs the commands that draw
// pictures (export as PNG, thumbnail, create) and, with them, everything zor-icons does.

#include "commands.h"
#include "making.h"

#include "platform/iconsource/IcoWriter.h"
#include "platform/iconsource/IconSource.h"

#include <deque>

namespace {

using namespace zor::iconsource;

class Drawing : public cli::Pictures {
public:
    cli::Files pngFiles(const IconFile& source, int k) override
    {
        const IconPair pair = source.extract(k);
        cli::Files files;
        const QByteArray number = QByteArray::number(k);
        if (!pair.large.isNull())
            files.append({number + "-32.png", png(pair.large)});
        if (!pair.small.isNull())
            files.append({number + "-16.png", png(pair.small)});
        return files;
    }
    std::optional<QByteArray> thumbnail(const IconFile& file, int size) override
    {
        const QImage image = thumbnailImage(file, size);
        if (image.isNull())
            return std::nullopt;
        return pngBytes(image);
    }
    int create(int argc, char* argv[]) override { return createCommand(argc, argv); }
    int buildIcl(int argc, char* argv[]) override { return buildIclCommand(argc, argv); }

private:
    // Groups that share images get the same pictures: each is encoded once.
    QByteArray png(const QImage& image)
    {
        for (const auto& [key, bytes] : m_encoded)
            if (key == image.cacheKey())
                return bytes;
        m_encoded.emplace_front(image.cacheKey(), pngBytes(image));
        if (m_encoded.size() > 16)
            m_encoded.pop_back();
        return m_encoded.front().second;
    }
    std::deque<std::pair<qint64, QByteArray>> m_encoded;
};

} // namespace

int main(int argc, char* argv[])
{
    Drawing pictures;
    return cli::zorIcons(argc, argv, &pictures);
}
