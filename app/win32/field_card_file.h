// Field cards from the window: the page goes into the data folder under one name, so that cards do
// not pile up, and opens in the user's browser, from which it prints.
#pragma once

#include "app/win32/win.h"

#include <string>
#include <string_view>

/// Writes `page` (UTF-8) to `path` and opens it with the program that opens .html files; a message
/// box owned by `owner` names the path when either fails.
void show_field_card(HWND owner, const std::u16string& path, std::u16string_view page);
