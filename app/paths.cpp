#include "app/paths.h"

std::u16string join_path(std::u16string_view directory, std::u16string_view name)
{
    std::u16string joined(directory);
    if (!joined.empty() && joined.back() != u'\\')
        joined.push_back(u'\\');
    joined.append(name);
    return joined;
}

std::u16string directory_of(std::u16string_view path)
{
    const std::size_t cut = path.find_last_of(u"\\:");
    if (cut == std::u16string_view::npos)
        return u".";
    std::u16string directory(path.substr(0, cut + 1));
    const std::size_t n = directory.size();
    if (n > 1 && directory[n - 1] == u'\\' && directory[n - 2] != u':')
        directory.pop_back();
    return directory;
}
