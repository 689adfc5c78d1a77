// The camera properties dialog (template 4000) on Win32: a modal dialog whose procedure hands
// every message to the portable dialog logic in cameras/camera_dialog.h.
#pragma once

#include <windows.h>

#include "cameras/camera.h"

/// Runs the dialog modally over the main window. Edits go straight into `table` and the main
/// window's title follows the camera on display. Afterwards the caller sorts the cameras, sets
/// the title, derives the camera values and recomputes with re-centring.
void run_camera_dialog(HINSTANCE instance, HWND main_window, CameraTable& table);
