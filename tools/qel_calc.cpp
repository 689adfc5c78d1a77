// qel-calc: Qel's calculator on the command line. It loads a settings file the way the program
// does at start-up and prints the state, the texts the window would show, or the saved file.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "calc/recompute.h"
#include "cameras/camera.h"
#include "cameras/settings.h"
#include "cameras/settings_file.h"
#include "cameras/standard_settings_files.h"
#include "text/caption_text.h"
#include "text/format.h"
#include "text/panel_text.h"
#include "text/title.h"
#include "text/utf8.h"

namespace {

constexpr int usage_error = 2;

const char usage_text[] =
    "usage: qel-calc state|show|save FILE [--decimal C]\n"
    "\n"
    "Loads FILE as Qel loads its settings at start-up (a missing FILE gives the defaults) and\n"
    "  state  prints every input, result and scale window as \"name value\" lines\n"
    "  show   prints the window title, the scale captions and the details panel\n"
    "  save   prints the settings text Qel would save\n"
    "--decimal C  uses C as the decimal point (default \".\")\n";

enum class Command { State, Show, Save };

struct Options {
    Command command = Command::State;
    std::string file;
    char16_t decimal = u'.';
};

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
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return -1;
        if (arg == "--decimal") {
            if (i + 1 >= argc)
                return fail_usage("--decimal needs a character");
            const std::u16string decimal = utf8_to_utf16(argv[++i]);
            if (decimal.size() != 1)
                return fail_usage("--decimal takes exactly one character");
            options.decimal = decimal[0];
        } else if (!have_command) {
            if (arg == "state")
                options.command = Command::State;
            else if (arg == "show")
                options.command = Command::Show;
            else if (arg == "save")
                options.command = Command::Save;
            else
                return fail_usage("unknown command");
            have_command = true;
        } else if (!have_file) {
            options.file = arg;
            have_file = true;
        } else {
            return fail_usage("too many arguments");
        }
    }
    if (!have_command)
        return fail_usage("missing command");
    if (!have_file)
        return fail_usage("missing FILE");
    return 0;
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

}  // namespace

int main(int argc, char** argv)
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

    static CalcState state;
    static CameraTable table;
    StandardSettingsFiles files;
    load_settings(utf8_to_utf16(options.file), state, table, files);
    derive_camera_values(table);
    recompute(state, current_camera(table), true);

    switch (options.command) {
    case Command::State:
        print_state(state, table);
        break;
    case Command::Show:
        print_show(state, table);
        break;
    case Command::Save: {
        const std::string bytes = utf16_to_utf8(settings_text(state, table));
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        break;
    }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
