// The main window's title, naming the settings (camera) in use.
#pragma once

#include "cameras/camera.h"
#include "text/format.h"

/// "Qel 4.22 - Settings: <name of the current camera>"; camera 0 when the current index is
/// outside the table.
Text256 window_title(const CameraTable& table);
