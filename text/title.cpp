#include "text/title.h"

#include "qel_version.h"

Text256 window_title(const CameraTable& table)
{
    return format(u"Qel " QEL_VERSION_U16 u" - Settings: %s", {camera_name(current_camera(table))});
}
