// The settings text: the reader that fills CalcState and the CameraTable from the lines of
// "Qel.txt", the writer that produces them, and the line splitter both rely on.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "calc/calc_state.h"
#include "cameras/camera.h"

inline constexpr std::size_t settings_line_units = 255;  // a longer line continues as the next line
inline constexpr std::size_t token_units = 256;          // a longer token continues as the next token
inline constexpr int max_line_tokens = 100;              // the rest of a line is ignored
inline constexpr std::size_t camera_name_units = 254;    // the longest name the file keeps

/// The largest magnitude of a number the reader keeps: larger ones do not survive being written
/// with their decimals and read back digit by digit, and take their defaults when read.
inline constexpr double largest_setting_number = largest_kept_number;

/// The tokens of one line. Each token views the line text (quotes excluded), so the tokens are
/// valid as long as that text is; a splitter reuses the same record for every line.
struct LineTokens {
    std::array<std::u16string_view, max_line_tokens> tokens{};
    int count = 0;
};

/// Splits a line at spaces and tabs; a token starting with a double quote runs to the next double
/// quote or the end of the line. At most 100 tokens of at most 256 units each.
void tokenize_line(std::u16string_view line, LineTokens& out);

/// The state before any file is read: CalcState{} and the default camera alone, current.
void install_default_settings(CalcState& state, CameraTable& table);

/// Installs the defaults, then reads the settings text over them. Values the program cannot work
/// with (unknown modes and units, non-finite lengths, positive ones that their decimals would write
/// as 0, numbers beyond 1e9, a value that is no number at all, missing camera lines, camera values
/// the camera dialog would refuse ...) are replaced by their defaults, a distance beyond 1e9 mm or
/// written as a negative zero by infinity (-1), and the table holds exactly the cameras that have a
/// camera line below the "ncameras" count (the generic camera alone when none has), each with its
/// values as its line keeps them, the one the current index named current. (A distance closer than
/// the lens can focus is moved by the first recompute.) An "ncameras" line without the current
/// index makes the first camera current; a camera line that ends early keeps its name and the
/// values it has, the missing ones are the default camera's. The text's end, with or without an
/// "end" line, sorts the cameras and derives them.
/// What is read is what settings_text writes back: a '"' in a camera name reads as U+201D, and a
/// name is cut to the room its camera line has at the index the camera ends up with.
void load_settings_text(std::u16string_view text, CalcState& state, CameraTable& table);

/// Whether the text starts with the settings header ("Qel 1.0", after a byte-order mark if any): a
/// text that does not is not read at all.
bool is_settings_text(std::u16string_view text);

/// Units the name may take in the settings-file line of a camera with these values at this index:
/// the reader and the writer cut a longer name to this, and the camera dialog refuses one. 0 when
/// even an empty name leaves no room.
std::size_t camera_name_room(const Camera& camera, int index);

/// The units the settings-file line of a camera with these values at this index has without its
/// name (its room is what is left of settings_line_units).
std::size_t camera_line_units(const Camera& camera, int index);

/// The settings text of the state and cameras 0 .. count - 1, every line ending in a line feed.
/// A '"' in a camera name is written as U+201D, and a name is shortened (never inside a
/// surrogate pair) when its camera line would otherwise exceed the 255 units the reader takes.
std::u16string settings_text(const CalcState& state, const CameraTable& table);
