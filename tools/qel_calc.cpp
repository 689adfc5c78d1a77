// qel-calc: Qel's calculator on the command line. It loads a settings file the way the program
// does at start-up and prints the state, the texts the window would show, or the saved file.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "calc/field_card.h"
#include "calc/recompute.h"
#include "calc/snap.h"
#include "cameras/camera.h"
#include "cameras/settings.h"
#include "cameras/settings_file.h"
#include "cameras/standard_settings_files.h"
#include "text/caption_text.h"
#include "text/distance_text.h"
#include "text/field_card_text.h"
#include "text/format.h"
#include "text/panel_text.h"
#include "text/parse.h"
#include "text/title.h"
#include "text/utf8.h"

namespace {

constexpr int usage_error = 2;

const char usage_text[] =
    "usage: qel-calc state|show|save [FILE | --defaults] [--snap] [--decimal C]\n"
    "       qel-calc table [FILE | --defaults] [--apertures LIST] [--distances LIST | --magnifications LIST]\n"
    "                      [--format F] [--decimal C]\n"
    "       qel-calc stack [FILE | --defaults] [--near D --far D] [--images N] [--format F] [--decimal C]\n"
    "\n"
    "Loads FILE as Qel loads its settings at start-up; without FILE, or with --defaults, starts\n"
    "from the settings Qel has before it reads a file. A FILE that cannot be read is an error. Then\n"
    "  state  prints every input, result and scale window as \"name value\" lines\n"
    "  show   prints the window title, the scale captions and the details panel\n"
    "  save   prints the settings text Qel would save\n"
    "  table  prints a depth-of-field table for FILE's camera, lens and allowed blur: near and\n"
    "         far limits and depth for each aperture and focus distance, and the hyperfocal\n"
    "         distance per aperture (default: whole stops from f/1.4 to f/22 and FILE's own\n"
    "         aperture; ten round distances, FILE's focus distance and infinity); of a FILE left\n"
    "         in macro mode, a close-up table in its macro unit: total depth of field and the\n"
    "         f-number the sensor sees for each aperture and magnification, and the aperture from\n"
    "         which diffraction leaves nothing sharp (default: magnifications from 1:10 to 5:1 and\n"
    "         FILE's own)\n"
    "  stack  prints a focus-stack plan from D to D (default: FILE's near and far limits of focus\n"
    "         stacking): the focus distances, the aperture that joins them and the blur between\n"
    "         neighbours (default: the fewest images that stay within the allowed blur)\n"
    "Distances are in FILE's distance unit; \"inf\" or \"\u221E\" is infinity. A LIST is numbers\n"
    "separated by commas (by semicolons when the decimal point is a comma). An f-number written\n"
    "as a card heads a stop is that stop: 5.6, 11 and 22 as marked on lenses are 5.66, 11.3 and\n"
    "22.6, and 6.73 is the half stop 6.727; any other, 22.0 for one, is taken to two decimals.\n"
    "A magnification is a number (0.5) or a ratio (1:2, 2:1), from 0.01 to 100.\n"
    "--format F   text (default), csv, markdown or html (a printable page)\n"
    "--snap       rounds FILE's values first, as switching snapping on does\n"
    "--decimal C  uses C as the decimal point (default \".\")\n";

enum class Command { State, Show, Save, Table, Stack };

struct Options {
    Command command = Command::State;
    std::string file;  // empty: the defaults
    char16_t decimal = u'.';
    bool snap = false;
    CardFormat format = CardFormat::Text;
    // The card options as typed; read once FILE has given the unit and the lens.
    const char* apertures = nullptr;
    const char* distances = nullptr;
    const char* magnifications = nullptr;
    const char* near = nullptr;
    const char* far = nullptr;
    const char* images = nullptr;
};

template <typename T>
struct Named {
    std::string_view name;
    T value;
};

constexpr Named<Command> commands[] = {
    {"state", Command::State}, {"show", Command::Show},   {"save", Command::Save},
    {"table", Command::Table}, {"stack", Command::Stack},
};

constexpr Named<CardFormat> formats[] = {
    {"text", CardFormat::Text}, {"csv", CardFormat::Csv}, {"markdown", CardFormat::Markdown}, {"html", CardFormat::Html},
};

// Sets `value` to the entry called `name`; false when there is none.
template <typename T, std::size_t N>
bool find_named(const Named<T> (&table)[N], std::string_view name, T& value)
{
    for (const Named<T>& entry : table) {
        if (entry.name == name) {
            value = entry.value;
            return true;
        }
    }
    return false;
}

int fail_usage(const char* message)
{
    std::fprintf(stderr, "qel-calc: %s (try qel-calc --help)\n", message);
    return usage_error;
}

// Returns 0 when the options were read, -1 for --help, or the usage error code.
int read_options(int argc, char** argv, Options& options)
{
    bool have_command = false;
    bool have_file = false;
    bool defaults = false;
    bool have_format = false;
    struct ValueOption {
        std::string_view name;
        const char** value;
    };
    const ValueOption value_options[] = {
        {"--apertures", &options.apertures}, {"--distances", &options.distances},
        {"--magnifications", &options.magnifications}, {"--near", &options.near},
        {"--far", &options.far}, {"--images", &options.images},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return -1;
        const auto value_option = std::find_if(std::begin(value_options), std::end(value_options),
                                               [&](const ValueOption& o) { return o.name == arg; });
        if (arg == "--snap") {
            options.snap = true;
        } else if (arg == "--defaults") {
            defaults = true;
        } else if (arg == "--decimal") {
            if (i + 1 >= argc)
                return fail_usage("--decimal needs a character");
            const std::u16string decimal = utf8_to_utf16(argv[++i]);
            if (decimal.size() != 1)
                return fail_usage("--decimal takes exactly one character");
            options.decimal = decimal[0];
        } else if (arg == "--format") {
            if (i + 1 >= argc)
                return fail_usage("--format needs text, csv, markdown or html");
            if (!find_named(formats, argv[++i], options.format))
                return fail_usage("--format takes text, csv, markdown or html");
            have_format = true;
        } else if (value_option != std::end(value_options)) {
            if (i + 1 >= argc) {
                const std::string message = std::string(arg) + " needs a value";
                return fail_usage(message.c_str());
            }
            *value_option->value = argv[++i];
        } else if (!have_command) {
            if (!find_named(commands, arg, options.command))
                return fail_usage("unknown command");
            have_command = true;
        } else if (!have_file && !arg.empty() && arg.front() != '-') {
            options.file = arg;
            have_file = true;
        } else if (!have_file && arg.empty()) {
            return fail_usage("FILE is empty");
        } else if (!have_file) {
            const std::string message = "unknown option " + std::string(arg);
            return fail_usage(message.c_str());
        } else {
            return fail_usage("too many arguments");
        }
    }
    if (!have_command)
        return fail_usage("missing command");
    if (have_file && defaults)
        return fail_usage("FILE and --defaults exclude each other");
    const bool table = options.command == Command::Table;
    const bool stack = options.command == Command::Stack;
    if (have_format && !table && !stack)
        return fail_usage("--format is an option of table and stack");
    if ((options.apertures || options.distances || options.magnifications) && !table)
        return fail_usage("--apertures, --distances and --magnifications are options of table");
    if (options.distances && options.magnifications)
        return fail_usage("--distances and --magnifications exclude each other");
    if ((options.near || options.far || options.images) && !stack)
        return fail_usage("--near, --far and --images are options of stack");
    if (stack && (!options.near != !options.far))
        return fail_usage("--near and --far go together");
    return 0;
}

// ---- the card options, read against the loaded settings ----

// Thrown by the readers below: the one line of the error, printed as it is.
struct BadItem {
    std::string message;
    int code = usage_error;
};

constexpr std::size_t max_list_items = 20;

std::string utf8(const Text256& text)
{
    return utf16_to_utf8(text.view());
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The whole item as a number, or false. Signs and percent signs are not numbers of a card.
bool item_number(std::string_view item, double& value)
{
    if (item.empty() || item.find_first_of("%+-") != std::string_view::npos)
        return false;
    const std::u16string text = utf8_to_utf16(item);
    std::size_t position = 0;
    return parse_number(text, position, value) && position == text.size() && std::isfinite(value);
}

bool is_infinity(std::string_view item)
{
    return item == "inf" || item == "infinity" || item == "\u221E";
}

std::string quoted(std::string_view item)
{
    return "\"" + std::string(item) + "\"";
}

// A distance in the card's unit, as millimetres (-1 for infinity); `what` names the option.
double read_distance(std::string_view item, const char* what, const CalcState& s, const Camera& camera)
{
    if (is_infinity(item))
        return -1;
    const std::string unit = utf16_to_utf8(unit_suffix(s.units));
    double value = 0;
    if (!item_number(item, value) || value <= 0)
        throw BadItem{"bad item " + quoted(item) + " in " + what + ": not a distance in " + unit +
                      " (a number, or inf)"};
    const double mm = value * millimetres_per_unit(s.units);
    const double closest = closest_card_distance(s, camera);
    if (mm < closest) {
        throw BadItem{"bad item " + quoted(item) + " in " + what + ": closer than twice the focal length (" +
                      utf8(format_distance(s, closest)) + ")"};
    }
    if (mm > largest_setting_number)
        throw BadItem{"bad item " + quoted(item) + " in " + what + ": farther than 1e9 mm (use inf)"};
    return mm;
}

double read_f_number(std::string_view item, FStopIncrement increment)
{
    double value = 0;
    if (!item_number(item, value) || value < widest_card_f_number || value > narrowest_card_f_number)
        throw BadItem{"bad item " + quoted(item) + " in --apertures: not an f-number from 0.5 to 1000"};
    return typed_f_number(value, utf8_to_utf16(item), increment);
}

// A magnification: a number (0.5) or a ratio of two (1:2, 2:1).
double read_magnification(std::string_view item)
{
    const std::size_t colon = item.find(':');
    double value = 0, image = 0, object = 1;
    const bool read = colon == std::string_view::npos
                          ? item_number(item, image)
                          : item_number(trimmed(item.substr(0, colon)), image) &&
                                item_number(trimmed(item.substr(colon + 1)), object) && object > 0;
    if (read)
        value = image / object;
    if (!read || !(value >= smallest_card_magnification && value <= largest_card_magnification))
        throw BadItem{"bad item " + quoted(item) + " in --magnifications: not a magnification from 0.01 to 100 "
                      "(a number, or a ratio such as 1:2)"};
    return value;
}

// The items of a LIST: separated by commas, or by semicolons when the decimal point is a comma.
template <typename Read>
std::vector<double> read_list(const char* list, const char* what, Read read)
{
    const char separator = decimal_point() == u',' ? ';' : ',';
    std::vector<double> values;
    std::string_view rest = list;
    while (true) {
        const std::size_t end = rest.find(separator);
        if (values.size() == max_list_items)
            throw BadItem{std::string(what) + ": at most 20 items"};
        values.push_back(read(trimmed(rest.substr(0, end))));
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return values;
}

int read_images(const char* text)
{
    int32_t value = 0;
    if (!parse_int(utf8_to_utf16(trimmed(text)), value) || value < 2 || value > max_focus_points)
        throw BadItem{"bad item " + quoted(text) + " in --images: not a count from 2 to 100"};
    return value;
}

std::u16string table_text(const Options& options, const CalcState& s, const Camera& camera)
{
    const std::vector<double> apertures =
        options.apertures ? read_list(options.apertures, "--apertures",
                                       [&](std::string_view item) { return read_f_number(item, s.f_stop_increment); })
                           : card_apertures(s);
    // A file left in macro mode gets the close-up card, by magnification.
    if (s.mode == Mode::Macro) {
        if (options.distances)
            throw BadItem{"--distances: FILE is in macro mode, whose card is by magnification (--magnifications)"};
        const std::vector<double> magnifications =
            options.magnifications ? read_list(options.magnifications, "--magnifications", read_magnification)
                                   : card_magnifications(s);
        return macro_table_text(s, camera, apertures, magnifications, options.format);
    }
    if (options.magnifications)
        throw BadItem{"--magnifications: FILE is not in macro mode, whose card is by focus distance (--distances)"};
    const std::vector<double> distances =
        options.distances
            ? read_list(options.distances, "--distances",
                        [&](std::string_view item) { return read_distance(item, "--distances", s, camera); })
            : card_distances(s, camera);
    return depth_table_text(s, camera, apertures, distances, options.format);
}

std::u16string stack_text(const Options& options, const CalcState& s, const Camera& camera)
{
    // Without --near and --far, the limits FILE holds, taken as they are, as the window takes them.
    double near = s.near_limit;
    double far = s.far_limit;
    if (options.near) {
        near = read_distance(trimmed(options.near), "--near", s, camera);
        far = read_distance(trimmed(options.far), "--far", s, camera);
        if (near < 0)
            throw BadItem{"bad item " + quoted(options.near) + " in --near: the near limit cannot be infinity"};
        if (far >= 0 && far <= near)
            throw BadItem{"bad item " + quoted(options.far) + " in --far: not farther than --near"};
    }
    const int fewest = fewest_stack_images(s, camera, near, far);
    int images = fewest;
    if (options.images) {
        images = read_images(options.images);
    } else if (fewest == 0) {
        throw BadItem{"no stack of up to 100 images keeps the blur between images within the allowed blur (" +
                      utf8(plain_number(s.blur_threshold)) + "); give --images to see one",
                      1};
    }
    return stack_plan_text(focus_stack(s, camera, near, far, images), camera, fewest, options.format);
}

void print_utf16(std::u16string_view text)
{
    const std::string bytes = utf16_to_utf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void print_number(const char* name, double value)
{
    std::printf("%s %.17g\n", name, value);
}

void print_integer(const char* name, long long value)
{
    std::printf("%s %lld\n", name, value);
}

void print_state(const CalcState& s, const CameraTable& table)
{
    print_integer("mode", static_cast<int>(s.mode));
    print_integer("f_stop_increment", static_cast<int>(s.f_stop_increment));
    print_number("focal_length", s.focal_length);
    print_number("teleconverter", s.teleconverter);
    print_number("f_stop", s.f_stop);
    print_number("blur_threshold", s.blur_threshold);
    print_integer("units", static_cast<int>(s.units));
    print_integer("macro_units", static_cast<int>(s.macro_units));
    print_integer("snap", s.snap);
    print_number("maxblur", s.maxblur);
    print_number("fl_zoom", s.fl_zoom);
    print_number("fov_zoom", s.fov_zoom);
    print_number("blur_zoom", s.blur_zoom);
    print_number("near", s.near);
    print_number("focus_at", s.focus_at);
    print_number("far", s.far);
    print_number("near_limit", s.near_limit);
    print_number("far_limit", s.far_limit);
    print_number("blur_distance", s.blur_distance);
    print_number("fov", s.fov);
    print_integer("ni", s.ni);

    print_number("effective_focal_length", s.effective_focal_length);
    print_number("effective_f_stop", s.effective_f_stop);
    print_number("hyperfocal", s.hyperfocal);
    print_number("front", s.front);
    print_number("back", s.back);
    print_number("range", s.range);
    print_number("magnification", s.magnification);
    print_number("field_width", s.field_width);
    print_number("field_height", s.field_height);
    print_number("field_diagonal", s.field_diagonal);
    print_number("angle_width", s.angle_width);
    print_number("angle_height", s.angle_height);
    print_number("angle_diagonal", s.angle_diagonal);
    print_number("blur", s.blur);
    print_number("best_focus", s.best_focus);
    print_number("optimum_f_stop", s.optimum_f_stop);
    print_number("optimum_effective_f_stop", s.optimum_effective_f_stop);
    print_number("optimum_blur", s.optimum_blur);
    std::printf("focus_points");
    const int points = s.ni < 2 ? 2 : (s.ni > max_focus_points ? max_focus_points : s.ni);
    for (int i = 0; i < points; ++i)
        std::printf(" %.17g", s.focus_points[static_cast<std::size_t>(i)]);
    std::printf("\n");
    print_number("stack_near", s.stack_near);
    print_number("stack_far", s.stack_far);
    print_number("stack_range", s.stack_range);
    print_number("macro_factor", s.macro_factor);
    print_number("macro_effective_f_stop", s.macro_effective_f_stop);
    print_number("macro_depth", s.macro_depth);

    print_number("fl_low", s.fl_low);
    print_number("fl_high", s.fl_high);
    print_number("fov_low", s.fov_low);
    print_number("fov_high", s.fov_high);
    print_number("blur_low", s.blur_low);
    print_number("blur_high", s.blur_high);
    print_number("maxblur_near", s.maxblur_near);
    print_number("maxblur_far", s.maxblur_far);

    const Camera& camera = current_camera(table);
    print_integer("camera_count", table.count);
    print_integer("camera_current", table.current);
    print_number("coc", camera.coc);
    print_number("diffraction_limit", camera.diffraction_limit);
    print_number("crop_factor", camera.crop_factor);
    print_number("megapixels", camera.megapixels);
}

void print_show(const CalcState& state, const CameraTable& table)
{
    std::printf("title: ");
    print_utf16(window_title(table).view());
    std::printf("\n");

    static const char* const column_names[] = {"lens", "aperture", "distance", "blur", "details"};
    static CaptionTexts captions;
    caption_texts(state, captions);
    for (int column = 0; column < 5; ++column) {
        for (int line = 0; line < 2; ++line) {
            const auto& texts = line == 0 ? captions.name[column] : captions.value[column];
            std::printf("caption %s %s: ", column_names[column], line == 0 ? "name" : "value");
            print_utf16(texts[0].view());
            std::printf("|");
            print_utf16(texts[1].view());
            std::printf("|");
            print_utf16(texts[2].view());
            std::printf("\n");
        }
    }

    static PanelText panel;
    panel_text(state, current_camera(table), panel);
    for (int i = 0; i < panel.count; ++i) {
        const PanelLine& line = panel.lines[static_cast<std::size_t>(i)];
        switch (line.slot) {
        case PanelSlot::Line:
            std::printf("details: ");
            print_utf16(line.text.view());
            std::printf("\n");
            break;
        case PanelSlot::Gap:
            std::printf("details:\n");
            break;
        case PanelSlot::Hidden:
            break;
        }
    }
}

int run(int argc, char** argv)
{
#ifdef _WIN32
    // The output is the same bytes on every platform (UTF-8, LF line ends): no CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    Options options;
    const int read = read_options(argc, argv, options);
    if (read == -1) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (read != 0)
        return read;

    set_decimal_point(options.decimal);

    // The camera table (some 600 KB) on the heap, so that it does not take room in the program file.
    static CalcState state;
    const auto owned_table = std::make_unique<CameraTable>();
    CameraTable& table = *owned_table;
    StandardSettingsFiles files;
    const std::u16string path = utf8_to_utf16(options.file);
    if (!options.file.empty()) {
        // A mistyped name must not pass for the defaults.
        std::string bytes;
        if (!files.exists(path)) {
            std::fprintf(stderr, "qel-calc: %s: no such file\n", options.file.c_str());
            return usage_error;
        }
        if (!files.read_all(path, bytes)) {
            std::fprintf(stderr, "qel-calc: %s: cannot be read\n", options.file.c_str());
            return usage_error;
        }
    }
    load_settings(path, state, table, files);  // an empty path reads nothing: the defaults stand
    derive_camera_values(table);
    if (options.snap) {
        state.snap = 1;
        snap_all(state);
    }
    recompute(state, current_camera(table), true);

    switch (options.command) {
    case Command::State:
        print_state(state, table);
        break;
    case Command::Show:
        print_show(state, table);
        break;
    case Command::Save:
        print_utf16(settings_text(state, table));
        break;
    case Command::Table:
    case Command::Stack:
        try {
            const Camera& camera = current_camera(table);
            print_utf16(options.command == Command::Table ? table_text(options, state, camera)
                                                           : stack_text(options, state, camera));
        } catch (const BadItem& bad) {
            std::fprintf(stderr, "qel-calc: %s\n", bad.message.c_str());
            return bad.code;
        }
        break;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

#ifdef _WIN32
// Windows hands a program its arguments in UTF-16; main's would be in the ANSI code page, which
// cannot hold every letter of a user's folder name (C:\Users\José, or a name in Greek or Japanese).
int wmain(int argc, wchar_t** wide_argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide_argv[i]))));
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return run(argc, argv.data());
}
#else
int main(int argc, char** argv)
{
    return run(argc, argv);
}
#endif
