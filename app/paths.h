// The two path operations of the shell: a directory joined with a file name, and the directory
// part of a path. Windows rules: backslash separators, "D:" drive prefixes. No length limit.
#pragma once

#include <string>
#include <string_view>

/// `directory`, then a backslash unless it already ends in one, then `name`.
/// An empty directory gives `name` alone (a relative name, never the drive root).
std::u16string join_path(std::u16string_view directory, std::u16string_view name);

/// The directory of `path`: everything up to its last backslash or colon, without that final
/// backslash unless a colon precedes it. "D:\dir\prog.exe" -> "D:\dir", "D:\prog.exe" -> "D:\",
/// "prog.exe" (or an empty path) -> ".".
std::u16string directory_of(std::u16string_view path);

/// What the user is told when a help document cannot be opened: that it is missing, with the folder
/// Qel looked in and where it belongs, or (when it is there) that no program opened it.
std::u16string document_failure_message(std::u16string_view path, bool exists);
