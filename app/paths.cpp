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

std::u16string document_failure_message(std::u16string_view path, bool exists)
{
    const std::u16string folder = directory_of(path);
    std::u16string_view name = path;
    if (const std::size_t cut = path.find_last_of(u"\\:"); cut != std::u16string_view::npos)
        name.remove_prefix(cut + 1);
    std::u16string text = u"Qel could not ";
    text += exists ? u"open" : u"find";
    text += u" the help document \u201C";
    text += name;
    text += u"\u201D.\n\nIt looked in this folder:\n";
    text += folder;
    text += exists ? u"\n\nNo program opened it: a PDF reader may be missing."
                   : u"\n\nThe two manuals come with Qel in its release package; put them in that folder, "
                     u"beside qel.exe.";
    return text;
}
