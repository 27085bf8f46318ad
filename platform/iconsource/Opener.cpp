#include "Opener.h"

namespace zor::iconsource {

std::optional<IconFile> openIconFile(const QByteArray& path, Outcome* outcome)
{
    auto source = walk::open(path.constData(), outcome);
    if (!source)
        return std::nullopt;
    return IconFile::fromSource(std::move(source));
}

bool withIconSource(const QByteArray& path, const std::function<void(const IconFile&)>& use)
{
    const auto file = openIconFile(path);
    if (file)
        use(*file);
    return bool(file);
}

void dropPages(const IconFile& file)
{
    const QByteArrayView bytes = file.bytes();
    walk::dropPages(walk::Bytes(bytes.data(), size_t(bytes.size())));
}

Outcome readIconSourceAt(int folder, const char* name, Need need, const std::function<void(const IconFile&)>& use)
{
    return walk::readAt(folder, name, need,
                        [&](const std::shared_ptr<const walk::Source>& source) { use(IconFile::fromSource(source)); });
}

} // namespace zor::iconsource
