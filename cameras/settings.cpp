#include "cameras/settings.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <type_traits>

#include "calc/recompute.h"
#include "cameras/camera_rules.h"
#include "text/format.h"
#include "text/parse.h"

namespace {

// One setting line: its key, the decimals a number is usually written with, and the field it
// holds (a double member, or a pair of accessors for the integer and enumeration fields).
// An `exact` number is followed by its exact value when its usual decimals do not read back as it.
struct SettingKey {
    std::u16string_view key;
    int decimals;
    bool exact;
    double CalcState::*number;
    int32_t (*get)(const CalcState&);
    void (*set)(CalcState&, int32_t);
};

constexpr SettingKey number_key(std::u16string_view key, int decimals, double CalcState::*field)
{
    return {key, decimals, true, field, nullptr, nullptr};
}

// A result kept in the file that every load computes afresh before it is used (the depth-of-field
// limits near and far): its usual decimals are enough.
constexpr SettingKey result_key(std::u16string_view key, int decimals, double CalcState::*field)
{
    return {key, decimals, false, field, nullptr, nullptr};
}

constexpr SettingKey int_key(std::u16string_view key, int32_t (*get)(const CalcState&), void (*set)(CalcState&, int32_t))
{
    return {key, 0, false, nullptr, get, set};
}

// In the order the writer puts them.
const SettingKey setting_keys[] = {
    int_key(u"f_stop_increment",
            [](const CalcState& s) { return static_cast<int32_t>(s.f_stop_increment); },
            [](CalcState& s, int32_t v) { s.f_stop_increment = static_cast<FStopIncrement>(v); }),
    number_key(u"focal_length", 2, &CalcState::focal_length),
    number_key(u"teleconverter", 5, &CalcState::teleconverter),
    number_key(u"f_stop", 5, &CalcState::f_stop),
    number_key(u"blur_threshold", 5, &CalcState::blur_threshold),
    int_key(u"units",
            [](const CalcState& s) { return static_cast<int32_t>(s.units); },
            [](CalcState& s, int32_t v) { s.units = static_cast<DistanceUnit>(v); }),
    int_key(u"macro_units",
            [](const CalcState& s) { return static_cast<int32_t>(s.macro_units); },
            [](CalcState& s, int32_t v) { s.macro_units = static_cast<DistanceUnit>(v); }),
    int_key(u"snap",
            [](const CalcState& s) { return static_cast<int32_t>(s.snap); },
            [](CalcState& s, int32_t v) { s.snap = v; }),
    number_key(u"maxblur", 2, &CalcState::maxblur),
    number_key(u"fl_zoom", 2, &CalcState::fl_zoom),
    number_key(u"fov_zoom", 2, &CalcState::fov_zoom),
    number_key(u"blur_zoom", 2, &CalcState::blur_zoom),
    result_key(u"near", 2, &CalcState::near),
    number_key(u"focus_at", 2, &CalcState::focus_at),
    result_key(u"far", 2, &CalcState::far),
    number_key(u"near_limit", 2, &CalcState::near_limit),
    number_key(u"far_limit", 2, &CalcState::far_limit),
    number_key(u"blur_distance", 2, &CalcState::blur_distance),
    number_key(u"fov", 2, &CalcState::fov),
    int_key(u"ni",
            [](const CalcState& s) { return static_cast<int32_t>(s.ni); },
            [](CalcState& s, int32_t v) { s.ni = v; }),
    int_key(u"mode",
            [](const CalcState& s) { return static_cast<int32_t>(s.mode); },
            [](CalcState& s, int32_t v) { s.mode = static_cast<Mode>(v); }),
};

constexpr std::u16string_view camera_line_format =
    u"camera %d \"%s\" %d %d %2f %d %2f %d %2f %5f %3f %3f %3f %3f %2f %d";

// Room for the longest line: twelve numbers of up to 309 integer digits and a full name.
constexpr std::size_t line_buffer_units = 8192;

// Camera lines: the key, the index, the name, thirteen values and the focal-length entry. A line
// needs only the key and the index: what it leaves out is the default camera's.
constexpr int camera_line_min_tokens = 2;
constexpr int camera_name_token = 2;

bool is_separator(char16_t c)
{
    return c == u' ' || c == u'\t';
}

char16_t fold_ascii(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

// Keys and the header compare without regard to the case of ASCII letters.
bool same_key(std::u16string_view token, std::u16string_view key)
{
    if (token.size() != key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (fold_ascii(token[i]) != fold_ascii(key[i]))
            return false;
    }
    return true;
}

bool is_high_surrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

// The length of `text` cut to at most `limit` units, one less when the cut would split a surrogate pair.
std::size_t cut_length(std::u16string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text.size();
    return limit > 0 && is_high_surrogate(text[limit - 1]) ? limit - 1 : limit;
}

int32_t read_int(std::u16string_view token)
{
    int32_t value = 0;
    parse_int(token, value);  // the value stands whether or not the whole token was a number
    return value;
}

double read_number(std::u16string_view token)
{
    double value = 0;
    std::size_t position = 0;
    parse_number(token, position, value);
    return value;
}

// The next line of `text` from `position`: up to a line feed or 255 units. Empty lines do not
// exist for the reader; a carriage return before the line end is dropped with it, so files
// edited with CR LF line ends read the same. `split` tells a line cut at 255 units inside a token
// (a letter on both sides of the cut), whose last token is then only the start of one.
bool next_line(std::u16string_view text, std::size_t& position, std::u16string_view& line, bool& split)
{
    while (position < text.size()) {
        const std::size_t start = position;
        const std::size_t limit = text.size() - start < settings_line_units ? text.size() : start + settings_line_units;
        std::size_t end = start;
        while (end < limit && text[end] != u'\n')
            ++end;
        position = end;
        const bool at_line_end = end == text.size() || text[end] == u'\n';
        if (end < text.size() && text[end] == u'\n')
            ++position;
        line = text.substr(start, end - start);
        split = !at_line_end && !is_separator(text[end]) && end > start && !is_separator(text[end - 1]);
        if (at_line_end && !line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        if (!line.empty())
            return true;
    }
    return false;
}

std::optional<double> exact_value(const SettingKey& key, const LineTokens& t, double number);

struct Reader {
    CalcState& state;
    CameraTable& table;
    std::bitset<max_cameras> has_line;  // cameras that received a camera line

    void read_setting(const SettingKey& key, const LineTokens& t)
    {
        if (t.count < 2)
            return;
        if (key.number) {
            // A value that is not a number at all (the number deleted, its exact value left
            // behind) keeps the default: it is not 0 mm.
            double number = 0;
            std::size_t position = 0;
            if (!parse_number(t.tokens[1], position, number) && position == 0)
                return;
            state.*key.number = exact_value(key, t, number).value_or(number);
        }
        else
            key.set(state, read_int(t.tokens[1]));
    }

    void read_ncameras(const LineTokens& t)
    {
        if (t.count < 2)
            return;
        int32_t count = read_int(t.tokens[1]);
        count = count < 0 ? 0 : (count > max_cameras ? max_cameras : count);
        int32_t current = t.count > 2 ? read_int(t.tokens[2]) : 0;
        if (current < 0 || current >= count)
            current = 0;
        table.count = count;
        table.current = current;
    }

    void read_camera(const LineTokens& t, bool split)
    {
        // A number cut short by the line length would read as another number; a cut name is
        // kept (it is cut to its room anyway).
        const int count = split && t.count - 1 != camera_name_token ? t.count - 1 : t.count;
        if (count < camera_line_min_tokens)
            return;
        const int32_t index = read_int(t.tokens[1]);
        if (index < 0 || index >= table.count)
            return;
        Camera& c = table.cameras[static_cast<std::size_t>(index)];
        c = default_camera();  // for whatever the line leaves out
        if (count > camera_name_token) {
            const std::u16string_view name = t.tokens[camera_name_token];
            const std::size_t length = cut_length(name, camera_name_units);
            set_camera_name(c, name.substr(0, length));
            // An unquoted name can hold a '"'; it reads as the U+201D the writer would put for it,
            // so the cameras sort the same before and after a save.
            std::replace(c.name, c.name + length, u'"', u'\u201D');
        }
        int k = camera_name_token + 1;
        const auto next_int = [&](auto& field) {
            if (k < count)
                field = static_cast<std::remove_reference_t<decltype(field)>>(read_int(t.tokens[k]));
            ++k;
        };
        const auto next_number = [&](double& field) {
            if (k < count)
                field = read_number(t.tokens[k]);
            ++k;
        };
        next_int(c.coc_method);
        next_int(c.type);
        next_number(c.frame_width_mm);
        next_int(c.frame_width_px);
        next_number(c.frame_height_mm);
        next_int(c.frame_height_px);
        next_number(c.film_resolution);
        next_number(c.custom_coc);
        next_number(c.allowable_blur);
        next_number(c.visual_resolution);
        next_number(c.print_size);
        next_number(c.viewing_distance);
        next_number(c.wavelength);
        next_int(c.focal_length_entry);
        has_line.set(static_cast<std::size_t>(index));
    }

    // Returns true at "end".
    bool read_line(const LineTokens& t, bool split)
    {
        if (t.count == 0)
            return false;
        const std::u16string_view first = t.tokens[0];
        for (const SettingKey& key : setting_keys) {
            if (same_key(first, key.key)) {
                read_setting(key, t);
                return false;
            }
        }
        if (same_key(first, u"ncameras"))
            read_ncameras(t);
        else if (same_key(first, u"camera"))
            read_camera(t, split);
        else if (same_key(first, u"end"))
            return true;
        return false;
    }
};

template <typename T>
void clamp_to(T& value, T low, T high)
{
    value = value < low ? low : (value > high ? high : value);
}

// Larger numbers do not survive being written with their decimals and read back digit by digit,
// and no setting needs them: a distance beyond 1000 km is infinity to every calculation.
constexpr double largest_number = largest_setting_number;

bool writable(double v)
{
    return std::isfinite(v) && std::fabs(v) <= largest_number;
}

// A setting whose usual decimals do not read back as its value is followed by its exact value:
// "x" and the 16 hexadecimal digits of its IEEE 754 bits ("focus_at 564.79 x4081A6565209240B").
// The reader takes the exact value as long as the number in front of it still stands for it, so
// a file Qel saved loads to exactly the state it was saved from, a number edited by hand counts
// as edited, and any reader that looks at the number alone reads it as before.
constexpr char16_t exact_mark = u'x';
constexpr std::size_t exact_digits = 16;

// The usual decimals of `key`, and the exact value after them when they do not read back as it.
// A number too large to keep, or below a billionth (which its decimals write as a zero, and which
// then takes its default), has no exact value.
std::size_t write_setting_number(std::span<char16_t> out, const SettingKey& key, double value)
{
    std::size_t n = number_to_text(out, key.decimals, value);
    if (!key.exact || !writable(value) || std::fabs(value) < smallest_kept_number ||
        read_number(std::u16string_view(out.data(), n)) == value || n + 2 + exact_digits >= out.size())
        return n;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    out[n++] = u' ';
    out[n++] = exact_mark;
    for (int shift = 60; shift >= 0; shift -= 4)
        out[n++] = u"0123456789ABCDEF"[(bits >> shift) & 0xF];
    out[n] = 0;
    return n;
}

// The exact value a setting line carries after its number (see write_setting_number), if its
// number, written with the key's decimals, still reads as the number in the file.
std::optional<double> exact_value(const SettingKey& key, const LineTokens& t, double number)
{
    if (!key.exact || t.count < 3 || t.tokens[2].size() != 1 + exact_digits || t.tokens[2][0] != exact_mark)
        return std::nullopt;
    std::uint64_t bits = 0;
    for (const char16_t c : t.tokens[2].substr(1)) {
        const int digit = c >= u'0' && c <= u'9' ? c - u'0' : (c >= u'A' && c <= u'F' ? c - u'A' + 10 : -1);
        if (digit < 0)
            return std::nullopt;
        bits = bits << 4 | static_cast<std::uint64_t>(digit);
    }
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    char16_t text[64];  // ten integer digits, a sign and the decimals
    if (!writable(value) || read_number(std::u16string_view(text, number_to_text(text, key.decimals, value))) != number)
        return std::nullopt;
    return value;
}

// What the file holds for the setting that holds `field` once it is written and read back.
double written_value(double CalcState::*field, double value)
{
    for (const SettingKey& key : setting_keys) {
        if (key.number == field) {
            // The exact value, unless the decimals alone are written.
            char16_t text[64];  // ten integer digits, a sign, the decimals and the exact value
            const std::size_t n = write_setting_number(text, key, value);
            const std::u16string_view written(text, n);
            return written.find(exact_mark) != std::u16string_view::npos ? value : read_number(written);
        }
    }
    return value;
}

// Keeps the state within what the calculation and the scales can handle.
void sanitise_state(CalcState& s)
{
    const CalcState defaults{};
    for (double CalcState::*distance : {&CalcState::near, &CalcState::focus_at, &CalcState::far,
                                        &CalcState::near_limit, &CalcState::far_limit, &CalcState::blur_distance}) {
        // Infinity (-1) for a distance too large to keep, and for a negative one so small (above
        // minus a billionth) that it is written as a (negative) zero, which reads back as 0 mm.
        const double v = s.*distance;
        if (std::isfinite(v) && (!writable(v) || (v < 0 && !(written_value(distance, v) < 0))))
            s.*distance = -1;
    }
    for (const SettingKey& key : setting_keys) {
        if (key.number && !std::isfinite(s.*key.number))
            s.*key.number = defaults.*key.number;
    }
    clamp_to(s.fl_zoom, 1.5, 32.0);
    clamp_to(s.fov_zoom, 1.5, 32.0);
    clamp_to(s.blur_zoom, 1.5, 32.0);

    for (const SettingKey& key : setting_keys) {
        if (key.number && !writable(s.*key.number))
            s.*key.number = defaults.*key.number;
    }
    for (double CalcState::*positive : {&CalcState::focal_length, &CalcState::teleconverter, &CalcState::f_stop,
                                        &CalcState::blur_threshold, &CalcState::fov}) {
        if (!(written_value(positive, s.*positive) > 0))
            s.*positive = defaults.*positive;
    }
    if (s.f_stop_increment != FStopIncrement::HalfStop && s.f_stop_increment != FStopIncrement::ThirdStop)
        s.f_stop_increment = defaults.f_stop_increment;
    keep_inputs_on_their_scales(s);  // a converter of 3, an f/0.001 or a blur of 0 at the ends
    if (static_cast<int>(s.mode) < 0 || static_cast<int>(s.mode) >= mode_count)
        s.mode = defaults.mode;
    if (static_cast<int>(s.units) < 0 || static_cast<int>(s.units) >= distance_unit_count)
        s.units = defaults.units;
    if (static_cast<int>(s.macro_units) < 0 || static_cast<int>(s.macro_units) >= distance_unit_count)
        s.macro_units = defaults.macro_units;
    if (s.snap != 0)
        s.snap = 1;
    clamp_to(s.ni, 2, max_focus_points);
}

std::size_t format_camera_line(std::span<char16_t> line, int index, const Camera& c, std::u16string_view name)
{
    return format_text(line, camera_line_format,
                       {index, name, static_cast<int>(c.coc_method), static_cast<int>(c.type), c.frame_width_mm,
                        static_cast<int>(c.frame_width_px), c.frame_height_mm, static_cast<int>(c.frame_height_px),
                        c.film_resolution, c.custom_coc, c.allowable_blur, c.visual_resolution, c.print_size,
                        c.viewing_distance, c.wavelength, static_cast<int>(c.focal_length_entry)});
}

// Cuts each name longer than its camera's line can carry at the camera's index, as the writer
// would cut it, so that saving changes neither the name nor the order of the cameras. True when
// a name was cut.
bool fit_names(CameraTable& table)
{
    bool cut = false;
    for (int32_t i = 0; i < table.count; ++i) {
        Camera& c = table.cameras[static_cast<std::size_t>(i)];
        const std::u16string_view name = camera_name(c).substr(0, camera_name_units);
        const std::size_t keep = cut_length(name, camera_name_room(c, i));
        if (keep < camera_name(c).size()) {
            set_camera_name(c, name.substr(0, keep));
            cut = true;
        }
    }
    return cut;
}

// Only cameras that have a camera line exist: a count beyond the lines invents no copies of the
// generic camera. The current camera stays the one its index named (the first, when that index had
// no line), and with no line at all the generic camera stands alone. Every camera is usable.
void sanitise_cameras(CameraTable& table, const std::bitset<max_cameras>& has_line)
{
    int32_t kept = 0;
    int32_t current = 0;
    for (int32_t i = 0; i < table.count; ++i) {
        if (!has_line.test(static_cast<std::size_t>(i)))
            continue;
        if (i == table.current)
            current = kept;
        Camera& c = table.cameras[static_cast<std::size_t>(kept++)];
        if (&c != &table.cameras[static_cast<std::size_t>(i)])
            c = table.cameras[static_cast<std::size_t>(i)];
        repair_camera(c);
    }
    if (kept == 0) {
        install_default_camera(table);
        return;
    }
    table.count = kept;
    table.current = current;
    fit_names(table);
}

void finish_at_end(CalcState& state, CameraTable& table)
{
    // Values are taken as the file holds them, snapping on or not: a file Qel saved comes back
    // exactly as it was left (an allowed blur dragged to 1.2, the f-number best f-stop mode
    // left), and a value edited by hand snaps when it is next set.
    sort_cameras(table);
    // A camera sorted to an index of more digits has less room for its name; a cut can change
    // the order again, so this repeats until no name is cut (each round shortens a name).
    while (fit_names(table))
        sort_cameras(table);
    derive_camera_values(table);
    set_effective_values(state, current_camera(table));
}

bool is_header(const LineTokens& t)
{
    return t.count == 2 && same_key(t.tokens[0], u"Qel") && same_key(t.tokens[1], u"1.0");
}

// The camera's name as the file can carry it: a '"' would end the quoted token and a line
// feed the line, so they become U+201D and a space.
std::size_t storable_name(const Camera& camera, std::span<char16_t, camera_name_capacity> out)
{
    std::size_t n = 0;
    for (const char16_t c : camera_name(camera).substr(0, camera_name_units))
        out[n++] = c == u'"' ? u'\u201D' : (c == u'\n' ? u' ' : c);
    out[n] = 0;
    return n;
}

void append_camera_line(std::u16string& text, std::span<char16_t> line, int index, const Camera& c)
{
    char16_t name_buffer[camera_name_capacity];
    const std::size_t name_length = storable_name(c, name_buffer);
    // A long name gives way so that the values after it survive.
    const std::u16string_view name(name_buffer, name_length);
    const std::size_t kept = cut_length(name, camera_name_room(c, index));
    const std::size_t length = format_camera_line(line, index, c, name.substr(0, kept));
    text.append(line.data(), length);
    text.push_back(u'\n');
}

}  // namespace

std::size_t camera_line_units(const Camera& camera, int index)
{
    // A line cut at this buffer's end is too long either way.
    std::array<char16_t, 2 * settings_line_units> line{};
    return format_camera_line(line, index, camera, u"");
}

std::size_t camera_name_room(const Camera& camera, int index)
{
    const std::size_t without_name = camera_line_units(camera, index);
    return without_name < settings_line_units ? settings_line_units - without_name : 0;
}

void tokenize_line(std::u16string_view line, LineTokens& out)
{
    out.count = 0;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (out.count < max_line_tokens) {
        while (i < n && is_separator(line[i]))
            ++i;
        if (i >= n)
            break;
        std::size_t start = i;
        std::size_t end = i;
        if (line[i] == u'"') {
            start = ++i;
            while (i < n && line[i] != u'"' && i - start < token_units)
                ++i;
            end = i;
            if (i < n && line[i] == u'"')
                ++i;  // the closing quote
        } else {
            while (i < n && !is_separator(line[i]) && i - start < token_units)
                ++i;
            end = i;
        }
        out.tokens[static_cast<std::size_t>(out.count++)] = line.substr(start, end - start);
    }
}

void install_default_settings(CalcState& state, CameraTable& table)
{
    state = CalcState{};
    state.effective_focal_length = 50;
    state.effective_f_stop = 8;
    install_default_camera(table);
}

namespace {

/// Reads the header line; false when the text does not start with it. `position` is left after it.
bool read_header(std::u16string_view& text, std::size_t& position, LineTokens& tokens)
{
    if (!text.empty() && text.front() == u'\uFEFF')
        text.remove_prefix(1);  // a byte-order mark left by an editor
    std::u16string_view line;
    bool split = false;
    if (!next_line(text, position, line, split))
        return false;
    tokenize_line(line, tokens);
    return is_header(tokens);
}

}  // namespace

bool is_settings_text(std::u16string_view text)
{
    LineTokens tokens;
    std::size_t position = 0;
    return read_header(text, position, tokens);
}

void load_settings_text(std::u16string_view text, CalcState& state, CameraTable& table)
{
    install_default_settings(state, table);
    LineTokens tokens;
    std::size_t position = 0;
    if (!read_header(text, position, tokens))
        return;
    std::u16string_view line;
    bool split = false;

    Reader reader{state, table, {}};
    bool at_end = false;
    while (!at_end && next_line(text, position, line, split)) {
        tokenize_line(line, tokens);
        at_end = reader.read_line(tokens, split);
    }
    sanitise_state(state);
    sanitise_cameras(table, reader.has_line);
    finish_at_end(state, table);  // the text's end, "end" or not, so that a save keeps the order
}

std::u16string settings_text(const CalcState& state, const CameraTable& table)
{
    const int count = table.count < 0 ? 0 : (table.count > max_cameras ? max_cameras : table.count);
    std::u16string text;
    text.reserve(1024 + static_cast<std::size_t>(count) * 160);
    std::u16string line(line_buffer_units, u'\0');
    const std::span<char16_t> buffer(line.data(), line.size());

    text.append(u"Qel 1.0\n");
    for (const SettingKey& key : setting_keys) {
        text.append(key.key);
        text.push_back(u' ');
        const std::size_t n = key.number ? write_setting_number(buffer, key, state.*key.number)
                                         : format_text(buffer, u"%d", {static_cast<int>(key.get(state))});
        text.append(buffer.data(), n);
        text.push_back(u'\n');
    }
    const std::size_t n = format_text(buffer, u"ncameras %d %d", {count, static_cast<int>(table.current)});
    text.append(buffer.data(), n);
    text.push_back(u'\n');
    for (int i = 0; i < count; ++i)
        append_camera_line(text, buffer, i, table.cameras[static_cast<std::size_t>(i)]);
    text.append(u"end\n");
    return text;
}
