#include "text/title.h"

#include "qel_version.h"

Text256 window_title(const CameraTable& table)
{
    const int32_t count = table.count < max_cameras ? table.count : max_cameras;
    const int32_t index = table.current >= 0 && table.current < count ? table.current : 0;
    const Camera& camera = table.cameras[static_cast<std::size_t>(index)];

    // The name is read up to its zero or the end of its field, whichever comes first.
    std::size_t length = 0;
    while (length < static_cast<std::size_t>(camera_name_capacity) && camera.name[length] != 0)
        ++length;
    return format(u"Qel " QEL_VERSION_U16 u" - Settings: %s", {std::u16string_view(camera.name, length)});
}
