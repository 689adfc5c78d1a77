#include "text/field_card_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "calc/field_card.h"
#include "calc/recompute.h"
#include "calc/snap.h"
#include "cameras/settings.h"
#include "text/caption_text.h"
#include "text/distance_text.h"

namespace {

using std::u16string;
using std::u16string_view;

// One cell of a card's grid: its lines as the text and HTML forms stack them, and the one line
// the Markdown form writes.
struct Cell {
    std::vector<u16string> lines;
    u16string one_line;
    bool muted = false;  // a cell that holds a remark, not a value
};

struct Fact {
    u16string name;
    u16string value;
};

// A card in a form every writer can render: a title, the facts it is computed from, a grid whose
// first column labels the rows, notes under it, and the same numbers as flat records for CSV.
struct Card {
    u16string title;
    std::vector<Fact> facts;
    std::vector<u16string> heads;
    std::vector<std::vector<Cell>> rows;
    std::vector<u16string> notes;
    std::vector<std::vector<u16string>> records;  // the first is the header
    // The column (0: none) and the row (npos: none) of the settings' own aperture and focus.
    std::size_t set_column = 0;
    std::size_t set_row = u16string::npos;
};

// Appends the parts in turn (the temporaries of a + chain trip GCC 12's -Wrestrict).
void add(u16string& out, std::initializer_list<u16string_view> parts)
{
    for (const u16string_view part : parts)
        out.append(part);
}

u16string str(const Text256& text)
{
    return u16string(text.view());
}

Cell single(u16string text, bool muted = false)
{
    Cell cell;
    cell.lines.push_back(text);
    cell.one_line = std::move(text);
    cell.muted = muted;
    return cell;
}

constexpr char16_t diffraction_word[] = u"diffraction";

// The state the distance texts are written for, in a mode that uses the card's own unit (not
// the macro unit) whatever mode the file was left in.
CalcState card_state(const CalcState& settings, Mode mode)
{
    CalcState s = settings;
    s.mode = mode;
    return s;
}

void lens_facts(const CalcState& s, const Camera& camera, std::vector<Fact>& facts)
{
    facts.push_back({u"Camera", u16string(camera_name(camera))});
    Text256 lens = format(u"%s mm", {plain_number(s.focal_length).view()});
    if (s.teleconverter != 1) {
        lens = format(u"%s with a %s\u00D7 teleconverter",
                      {lens.view(), plain_number(s.teleconverter).view()});
    }
    if (camera.focal_length_entry == FocalLengthEntry::Equivalent35mm)
        lens = format(u"%s (35 mm equivalent)", {lens.view()});
    facts.push_back({u"Lens", str(lens)});
    facts.push_back({u"Circle of confusion", str(format(u"%s mm", {plain_number(camera.coc, 4).view()}))});
    facts.push_back({u"Allowed blur", str(format(u"%s CoC (%s mm)", {plain_number(s.blur_threshold).view(),
                                                                     plain_number(camera.coc * s.blur_threshold, 4).view()}))});
}

// The marked f-number from which diffraction alone blurs more than the allowed blur.
double diffraction_f_number(const CalcState& s, const Camera& camera)
{
    return airy_factor(camera) * camera.coc * s.blur_threshold / s.teleconverter;
}

Card depth_table_card(const CalcState& settings, const Camera& camera, std::span<const double> apertures,
                      std::span<const double> distances)
{
    const CalcState s = card_state(settings, Mode::DepthOfField);
    const auto distance = [&](double mm) { return str(format_distance(s, mm)); };
    Card card;
    card.title = u"Depth of field";
    lens_facts(s, camera, card.facts);
    card.facts.push_back({u"Diffraction", str(format(u"light of %s nm; alone it exceeds the allowed blur from f/%s",
                                                     {plain_number(camera.wavelength).view(),
                                                      plain_number(diffraction_f_number(s, camera), 1).view()}))});
    card.facts.push_back({u"Distances", str(format(u"in %s", {unit_suffix(s.units)}))});

    card.heads.push_back(u"Focus");
    for (const double n : apertures) {
        if (n == card_aperture(settings))
            card.set_column = card.heads.size();
        card.heads.push_back(str(card_f_number(n)));
    }
    card.records.push_back({u"aperture", u"focus", u"near", u"far", u"depth", u"hyperfocal"});

    std::vector<u16string> hyperfocal;
    std::vector<Cell> hyperfocal_row{single(u"Hyperfocal")};
    for (const double n : apertures) {
        const double h = field_card_hyperfocal(s, camera, n);
        hyperfocal.push_back(h < 0 ? u16string(diffraction_word) : distance(h));
        hyperfocal_row.push_back(single(hyperfocal.back(), h < 0));
    }
    card.rows.push_back(std::move(hyperfocal_row));

    const double focus = card_focus(settings);
    for (const double d : distances) {
        if (d == focus || (d < 0 && focus < 0))
            card.set_row = card.rows.size();
        std::vector<Cell> row{single(distance(d))};
        for (std::size_t i = 0; i < apertures.size(); ++i) {
            const FieldCardCell c = field_card_cell(s, camera, apertures[i], d);
            if (c.diffraction_limited) {
                row.push_back(single(diffraction_word, true));
                card.records.push_back({str(card_f_number(apertures[i])), distance(d), diffraction_word,
                                        diffraction_word, diffraction_word, hyperfocal[i]});
                continue;
            }
            Cell cell;
            cell.lines = {distance(c.near), distance(c.far), distance(c.range)};
            add(cell.one_line, {cell.lines[0], u" \u2013 ", cell.lines[1], u" (", cell.lines[2], u")"});
            card.records.push_back({str(card_f_number(apertures[i])), distance(d), cell.lines[0], cell.lines[1],
                                    cell.lines[2], hyperfocal[i]});
            row.push_back(std::move(cell));
        }
        card.rows.push_back(std::move(row));
    }
    card.notes.push_back(u"Each cell: the near limit, the far limit and the depth of field between them, "
                         u"diffraction included.");
    const auto diffraction = [](const Cell& cell) { return cell.muted; };
    if (std::any_of(card.rows.begin(), card.rows.end(),
                    [&](const auto& row) { return std::any_of(row.begin(), row.end(), diffraction); })) {
        card.notes.push_back(u"\u201Cdiffraction\u201D: at this aperture diffraction alone blurs more than the "
                             u"allowed blur, so nothing is sharp.");
    }
    return card;
}

Card macro_card(const CalcState& settings, const Camera& camera, std::span<const double> apertures,
                std::span<const double> magnifications)
{
    const CalcState s = card_state(settings, Mode::Macro);
    const auto distance = [&](double mm) { return str(format_distance(s, mm)); };
    const auto f_number = [](double n) { return str(format(u"f/%s", {plain_number(n).view()})); };
    Card card;
    card.title = u"Close-up depth of field";
    card.facts.push_back({u"Camera", u16string(camera_name(camera))});
    if (s.teleconverter != 1)
        card.facts.push_back({u"Teleconverter", str(format(u"%s\u00D7", {plain_number(s.teleconverter).view()}))});
    card.facts.push_back({u"Circle of confusion", str(format(u"%s mm", {plain_number(camera.coc, 4).view()}))});
    card.facts.push_back({u"Allowed blur", str(format(u"%s CoC (%s mm)", {plain_number(s.blur_threshold).view(),
                                                                     plain_number(camera.coc * s.blur_threshold, 4).view()}))});
    card.facts.push_back({u"Diffraction", str(format(u"light of %s nm", {plain_number(camera.wavelength).view()}))});
    card.facts.push_back({u"Depth of field", str(format(u"in %s", {unit_suffix(s.macro_units)}))});

    card.heads.push_back(u"Magnification");
    for (const double n : apertures) {
        if (n == card_aperture(settings))
            card.set_column = card.heads.size();
        card.heads.push_back(str(card_f_number(n)));
    }
    card.heads.push_back(u"Diffraction limit");
    card.records.push_back({u"aperture", u"magnification", u"depth", u"effective f-number", u"diffraction limit"});

    for (const double m : magnifications) {
        if (m == s.magnification)
            card.set_row = card.rows.size();
        const u16string ratio = str(magnification_ratio(m));
        const u16string limit = f_number(macro_diffraction_f_stop(s, camera, m));
        std::vector<Cell> row{single(ratio)};
        for (const double n : apertures) {
            const MacroCardCell c = macro_card_cell(s, camera, n, m);
            const u16string working = f_number(c.working_f_number);
            card.records.push_back({str(card_f_number(n)), ratio, c.diffraction_limited ? diffraction_word : distance(c.depth),
                                    working, limit});
            if (c.diffraction_limited) {
                row.push_back(single(diffraction_word, true));
                continue;
            }
            Cell cell;
            cell.lines = {distance(c.depth), working};
            add(cell.one_line, {cell.lines[0], u" (", working, u")"});
            row.push_back(std::move(cell));
        }
        row.push_back(single(limit));
        card.rows.push_back(std::move(row));
    }
    card.notes.push_back(u"Each cell: the total depth of field, half in front of the plane of focus and half "
                         u"behind, and the f-number the sensor sees at that magnification, diffraction included.");
    card.notes.push_back(u"Diffraction limit: the aperture from which diffraction alone blurs more than the "
                         u"allowed blur at that magnification, so that nothing is sharp (\u201Cdiffraction\u201D).");
    return card;
}

Card stack_card(const CalcState& stack, const Camera& camera, int fewest)
{
    const CalcState s = card_state(stack, Mode::FocusStacking);
    const auto distance = [&](double mm) { return str(format_distance(s, mm)); };
    const int images = std::clamp(s.ni, 2, max_focus_points);
    const u16string aperture = str(format(u"f/%s", {plain_number(s.optimum_f_stop).view()}));
    const u16string blur = str(plain_number(s.optimum_blur));

    Card card;
    card.title = u"Focus stack";
    lens_facts(s, camera, card.facts);
    card.facts.push_back({u"Near limit", distance(s.near_limit)});
    card.facts.push_back({u"Far limit", distance(s.far_limit)});
    card.facts.push_back({u"Images", str(format(u"%d", {images}))});
    card.facts.push_back({u"Aperture", aperture});
    card.facts.push_back({u"Blur between images", blur});
    card.facts.push_back({u"Near focus", distance(s.stack_near)});
    card.facts.push_back({u"Far focus", distance(s.stack_far)});
    card.facts.push_back({u"Range", distance(s.stack_range)});

    card.heads = {u"Image", u"Focus at"};
    card.records.push_back({u"image", u"focus", u"aperture", u"blur", u"near focus", u"far focus", u"range"});
    for (int i = 0; i < images; ++i) {
        const u16string number = str(format(u"%d", {i + 1}));
        const u16string focus = distance(s.focus_points[static_cast<std::size_t>(i)]);
        card.rows.push_back({single(number), single(focus)});
        card.records.push_back(
            {number, focus, aperture, blur, distance(s.stack_near), distance(s.stack_far), distance(s.stack_range)});
    }
    card.notes.push_back(u"Focus at each distance in turn with the lens set to the aperture above. The blur "
                         u"between images is in CoCs, halfway between neighbouring focus distances, "
                         u"diffraction included.");
    if (!(s.optimum_blur >= 0 && s.optimum_blur <= s.blur_threshold)) {
        card.notes.push_back(fewest > 0 ? str(format(u"The blur between these images exceeds the allowed blur "
                                                     u"(%s); %d images keep within it.",
                                                     {plain_number(s.blur_threshold).view(), fewest}))
                                        : str(format(u"The blur between these images exceeds the allowed blur "
                                                     u"(%s), and so it does with up to %d images.",
                                                     {plain_number(s.blur_threshold).view(), max_focus_points})));
    }
    return card;
}

// ---- writers ----

u16string padded(u16string_view text, std::size_t width)
{
    u16string out(text);
    out.append(width > text.size() ? width - text.size() : 0, u' ');
    return out;
}

u16string write_text(const Card& card)
{
    u16string out = card.title + u"\n";
    for (const Fact& fact : card.facts)
        add(out, {fact.name, u": ", fact.value, u"\n"});
    out += u"\n";

    std::vector<std::size_t> widths(card.heads.size(), 0);
    for (std::size_t c = 0; c < card.heads.size(); ++c)
        widths[c] = card.heads[c].size();
    std::size_t tallest = 1;
    for (const auto& row : card.rows) {
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            for (const u16string& line : row[c].lines)
                widths[c] = std::max(widths[c], line.size());
            tallest = std::max(tallest, row[c].lines.size());
        }
    }
    const auto line = [&](const auto& text_of) {
        u16string text;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            if (c > 0)
                text += u"  ";
            text += padded(text_of(c), widths[c]);
        }
        while (!text.empty() && text.back() == u' ')
            text.pop_back();
        return text + u"\n";
    };
    out += line([&](std::size_t c) { return u16string_view(card.heads[c]); });
    for (const auto& row : card.rows) {
        // Rows of several lines are set apart by a blank line; rows of one line are not.
        std::size_t height = 1;
        for (const Cell& cell : row)
            height = std::max(height, cell.lines.size());
        if (tallest > 1)
            out += u"\n";
        for (std::size_t l = 0; l < height; ++l) {
            out += line([&](std::size_t c) {
                return c < row.size() && l < row[c].lines.size() ? u16string_view(row[c].lines[l]) : u16string_view();
            });
        }
    }
    out += u"\n";
    for (const u16string& note : card.notes)
        out += note + u"\n";
    return out;
}

u16string csv_field(const u16string& text)
{
    if (text.find_first_of(u",\"\n;") == u16string::npos)
        return text;
    u16string out = u"\"";
    for (const char16_t c : text) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    return out + u"\"";
}

u16string write_csv(const Card& card)
{
    u16string out;
    for (const auto& record : card.records) {
        for (std::size_t i = 0; i < record.size(); ++i) {
            if (i > 0)
                out += u',';
            out += csv_field(record[i]);
        }
        out += u"\n";
    }
    return out;
}

u16string markdown_cell(u16string_view text)
{
    u16string out;
    for (const char16_t c : text) {
        if (c == u'|' || c == u'\\' || c == u'*' || c == u'_' || c == u'<' || c == u'[' || c == u'`')
            out += u'\\';
        out += c;
    }
    return out;
}

u16string write_markdown(const Card& card)
{
    u16string out;
    add(out, {u"# ", markdown_cell(card.title), u"\n\n"});
    for (const Fact& fact : card.facts)
        add(out, {u"- **", fact.name, u":** ", markdown_cell(fact.value), u"\n"});
    out += u"\n|";
    for (const u16string& head : card.heads)
        add(out, {u" ", markdown_cell(head), u" |"});
    out += u"\n|";
    for (std::size_t c = 0; c < card.heads.size(); ++c)
        out += c == 0 ? u" :--- |" : u" ---: |";
    out += u"\n";
    for (const auto& row : card.rows) {
        out += u"|";
        for (const Cell& cell : row)
            add(out, {u" ", markdown_cell(cell.one_line), u" |"});
        out += u"\n";
    }
    out += u"\n";
    for (const u16string& note : card.notes)
        out += markdown_cell(note) + u"\n\n";
    out.pop_back();
    return out;
}

u16string html_text(u16string_view text)
{
    u16string out;
    for (const char16_t c : text) {
        switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// The page is printable on A4 and Letter alike: its margins leave 186 x 255 mm, the smaller of
// the two, for one card. Every line height is a fixed share of its type, so that the page's
// height does not hang on the font a browser picks.
constexpr double page_width_mm = 186;
constexpr double page_height_mm = 255;
constexpr double mm_per_pt = 25.4 / 72;
constexpr double line_height = 1.2;
constexpr char16_t html_style[] =
    u"@page { margin: 12mm; }\n"
    u"html { font-family: \"DejaVu Sans\", \"Segoe UI\", Arial, sans-serif; color: #000; line-height: 1.2; }\n"
    u"body { margin: 0 auto; max-width: 186mm; }\n"
    u"h1 { font-size: 18pt; margin: 0 0 2mm; }\n"
    u"table.facts { margin: 0 0 4mm; font-size: 10pt; border-collapse: collapse; }\n"
    u"table.facts th { text-align: left; vertical-align: top; padding: 0.3mm 4mm 0.3mm 0; white-space: nowrap; }\n"
    u"table.facts td { padding: 0.3mm 0; }\n"
    u"table.grid { border-collapse: collapse; width: 100%; page-break-inside: avoid; }\n"
    u".grid th, .grid td { border: 0.3mm solid #999; padding: 0.8mm 1mm; text-align: right; vertical-align: top; }\n"
    u".grid th { background: #e8e8e8; white-space: nowrap; }\n"
    u".grid .label { text-align: left; font-weight: bold; white-space: nowrap; }\n"
    u".grid .label + .label, .grid td + td.label, .grid th + th.label { border-left: 0.8mm solid #999; }\n"
    u".grid tbody tr:nth-child(even) td { background: #f4f4f4; }\n"
    u".grid th.set, .grid td.set { background: #fff3b0; }\n"
    u".grid td.set:not(.label) { outline: 0.6mm solid #000; outline-offset: -0.3mm; }\n"
    u"td span { display: block; white-space: nowrap; }\n"
    u"td span.depth { color: #555; font-size: 85%; }\n"
    u"td.muted { color: #777; font-style: italic; font-size: 75%; white-space: nowrap; }\n"
    u"p.note { font-size: 9pt; margin: 2mm 0 0; }\n"
    u"@media print { .grid th, .grid td, .grid th.set, .grid td.set { -webkit-print-color-adjust: exact; "
    u"print-color-adjust: exact; } }\n"
    // On a phone's screen the card is set in its own size, not shrunk from the page's: readable
    // type, and a grid wider than the screen scrolls across under its row labels, which stay.
    u"@media screen and (max-width: 700px) {\n"
    u"  body { max-width: none; margin: 0; padding: 0 8px 8px; -webkit-text-size-adjust: 100%; text-size-adjust: 100%; }\n"
    u"  h1 { font-size: 20px; }\n"
    u"  table.facts { font-size: 14px; }\n"
    u"  html body table.grid { font-size: 14px; width: auto; max-width: 100%; display: block; overflow-x: auto; }\n"
    u"  .grid th, .grid td { padding: 4px 6px; }\n"
    u"  td span.depth, td.muted { font-size: 12px; }\n"
    u"  .grid .label { position: sticky; left: 0; z-index: 1; background: #fff; box-shadow: inset -1px 0 #999; }\n"
    u"  .grid th.label { background: #e8e8e8; }\n"
    u"  .grid tbody tr:nth-child(even) td.label { background: #f4f4f4; }\n"
    u"  .grid td.label.set { background: #fff3b0; }\n"
    u"  p.note { font-size: 13px; }\n"
    u"}\n";

// The width of a text in ems, as wide as the widest of the fonts a browser may set the page in:
// digits and letters as in DejaVu Sans and Verdana and their bold faces, the widest there are,
// and nothing narrower than a monospaced font's 0.6 em.
double text_ems(u16string_view text, bool bold)
{
    double ems = 0;
    for (const char16_t c : text) {
        double regular = 0.64;  // digits and most lower-case letters
        double heavy = 0.72;
        if (c == u'm' || c == u'w' || c == u'M' || c == u'W' || c == u'%' || c > 0x7F) {
            regular = 1.0, heavy = 1.1;
        } else if (c >= u'A' && c <= u'Z') {
            regular = 0.78, heavy = 0.86;
        } else if (c == u'/') {
            regular = 0.6, heavy = 0.7;
        } else if (!(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'z')) {
            regular = 0.6, heavy = 0.62;  // spaces and punctuation
        } else if (c == u'f' || c == u't' || c == u'r' || c == u'i' || c == u'j' || c == u'l') {
            regular = 0.6, heavy = 0.62;
        }
        ems += bold ? heavy : regular;
    }
    return ems;
}

// Lines a text of `ems` (at 1 pt) takes at `points` in a column `width_mm` wide; a word is never
// broken, so a line may hold a little less: an extra fifth is allowed for that.
double wrapped_lines(double ems, double points, double width_mm)
{
    return std::max(1.0, std::ceil(ems * points * mm_per_pt * 1.2 / width_mm));
}

u16string write_html(const Card& card)
{
    // A long grid of few columns (a stack of many images) is set side by side in groups of up to
    // 20 rows, so that a card of 100 images still fits its page.
    const std::size_t columns = std::max<std::size_t>(card.heads.size(), 1);
    std::size_t groups = 1;
    if (columns <= 3 && card.rows.size() > 20)
        groups = std::min<std::size_t>((card.rows.size() + 19) / 20, 5);
    const std::size_t rows_per_group = (card.rows.size() + groups - 1) / groups;

    // The grid's size is a part that grows with its type and a part that does not (padding and
    // borders): the type is the largest, up to 11 pt, that fits the page's width and height.
    // Widths: each column as wide as its widest line, the headings and the labels bold.
    std::vector<double> column_ems(columns, 0);
    for (std::size_t c = 0; c < card.heads.size(); ++c)
        column_ems[c] = text_ems(card.heads[c], true);
    for (const auto& row : card.rows) {
        for (std::size_t c = 0; c < row.size() && c < columns; ++c) {
            const Cell& cell = row[c];
            for (std::size_t l = 0; l < cell.lines.size(); ++l) {
                const double share = cell.muted ? 0.75 : l == 2 ? 0.85 : 1.0;
                column_ems[c] = std::max(column_ems[c], share * text_ems(cell.lines[l], c == 0));
            }
        }
    }
    double width_ems = 0;
    for (const double ems : column_ems)
        width_ems += ems;
    width_ems *= static_cast<double>(groups);
    const double cells = static_cast<double>(columns * groups);
    const double width_fixed = cells * (2 * 1.0 + 0.3) + 0.3 + static_cast<double>(groups - 1) * 0.5;

    // Heights: a line is 1.2 of its type; the depth line is set smaller.
    double height_lines = line_height;  // the headings
    for (std::size_t r = 0; r < rows_per_group; ++r) {
        double lines = line_height;
        for (const Cell& cell : card.rows[r]) {
            double cell_lines = 0;
            for (std::size_t l = 0; l < cell.lines.size(); ++l)
                cell_lines += line_height * (cell.muted ? 0.75 : l == 2 ? 0.85 : 1.0);
            lines = std::max(lines, cell_lines);
        }
        height_lines += lines;
    }
    const double rows = static_cast<double>(rows_per_group + 1);
    double height_fixed = rows * (2 * 0.8 + 0.3) + 0.3;
    // What stands above and below the grid: the title, the facts (a long value wraps in its
    // column) and the notes.
    height_fixed += 18 * line_height * mm_per_pt + 2;
    double name_ems = 0;
    for (const Fact& fact : card.facts)
        name_ems = std::max(name_ems, text_ems(fact.name, true));
    const double value_width = page_width_mm - name_ems * 10 * mm_per_pt - 4;
    for (const Fact& fact : card.facts)
        height_fixed += wrapped_lines(text_ems(fact.value, false), 10, value_width) * 10 * line_height * mm_per_pt + 0.6;
    height_fixed += 4;
    for (const u16string& note : card.notes)
        height_fixed += wrapped_lines(text_ems(note, false), 9, page_width_mm) * 9 * line_height * mm_per_pt + 2;

    // A few per cent to spare, for rounding in the browser's layout.
    const double fit_width = (page_width_mm * 0.98 - width_fixed) / (width_ems * mm_per_pt);
    const double fit_height = (page_height_mm * 0.98 - height_fixed) / (height_lines * mm_per_pt);
    double size = std::min({11.0, fit_width, fit_height});
    size = std::max(std::floor(size * 10) / 10, 4.0);

    u16string title = card.title;
    for (const Fact& fact : card.facts) {
        if (fact.name == u"Camera" || fact.name == u"Lens")
            add(title, {u" \u2013 ", fact.value});
    }

    u16string out = u"<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                    u"<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    add(out, {html_text(title), u"</title>\n<style>\n", html_style});
    out += str(format(u"table.grid { font-size: %1fpt; }\n", {size}));
    add(out, {u"</style>\n</head>\n<body>\n<h1>", html_text(card.title), u"</h1>\n<table class=\"facts\">\n"});
    for (const Fact& fact : card.facts)
        add(out, {u"<tr><th>", html_text(fact.name), u"</th><td>", html_text(fact.value), u"</td></tr>\n"});
    out += u"</table>\n<table class=\"grid\">\n<thead><tr>";
    for (std::size_t g = 0; g < groups; ++g) {
        for (std::size_t c = 0; c < card.heads.size(); ++c) {
            add(out, {c == 0 ? u"<th class=\"label\">" : c == card.set_column ? u"<th class=\"set\">" : u"<th>",
                      html_text(card.heads[c]), u"</th>"});
        }
    }
    out += u"</tr></thead>\n<tbody>\n";
    for (std::size_t r = 0; r < rows_per_group; ++r) {
        out += u"<tr>";
        for (std::size_t g = 0; g < groups; ++g) {
            const std::size_t index = g * rows_per_group + r;
            if (index >= card.rows.size()) {
                for (std::size_t c = 0; c < card.heads.size(); ++c)
                    out += c == 0 ? u"<td class=\"label\"></td>" : u"<td></td>";
                continue;
            }
            const auto& row = card.rows[index];
            const bool set_row = index == card.set_row;
            for (std::size_t c = 0; c < row.size(); ++c) {
                const Cell& cell = row[c];
                if (c == 0)
                    out += set_row ? u"<td class=\"label set\">" : u"<td class=\"label\">";
                else if (set_row && c == card.set_column)
                    out += cell.muted ? u"<td class=\"muted set\">" : u"<td class=\"set\">";
                else
                    out += cell.muted ? u"<td class=\"muted\">" : u"<td>";
                if (c == 0 || cell.lines.size() == 1) {
                    out += html_text(cell.lines.empty() ? u16string() : cell.lines[0]);
                } else {
                    for (std::size_t l = 0; l < cell.lines.size(); ++l) {
                        add(out, {l == 2 ? u"<span class=\"depth\">" : u"<span>", html_text(cell.lines[l]),
                                  u"</span>"});
                    }
                }
                out += u"</td>";
            }
        }
        out += u"</tr>\n";
    }
    out += u"</tbody>\n</table>\n";
    for (const u16string& note : card.notes)
        out += u"<p class=\"note\">" + html_text(note) + u"</p>\n";
    out += u"</body>\n</html>\n";
    return out;
}

u16string write(const Card& card, CardFormat format)
{
    switch (format) {
    case CardFormat::Csv:
        return write_csv(card);
    case CardFormat::Markdown:
        return write_markdown(card);
    case CardFormat::Html:
        return write_html(card);
    case CardFormat::Text:
        break;
    }
    return write_text(card);
}

// The numbers marked on lenses for the whole stops 2^((k - 1) / 2): f/0.707, f/1, f/1.414 ... f/128.
constexpr u16string_view marked_stops[] = {u"0.7", u"1",  u"1.4", u"2",  u"2.8", u"4",  u"5.6", u"8",
                                           u"11",  u"16", u"22",  u"32", u"45",  u"64", u"90",  u"128"};

bool same_stop(double a, double b)
{
    return std::fabs(a / b - 1) < 1e-6;
}

// Both f-stop tables, `first` before the other.
std::array<FStopIncrement, 2> tables_from(FStopIncrement first)
{
    if (first == FStopIncrement::ThirdStop)
        return {FStopIncrement::ThirdStop, FStopIncrement::HalfStop};
    return {FStopIncrement::HalfStop, FStopIncrement::ThirdStop};
}

// The heading of an f-number of the f-stop tables (either increment), or nothing for another.
std::optional<Text256> stop_heading(double f_number)
{
    const auto whole = f_stop_table(FStopIncrement::HalfStop);
    for (std::size_t k = 0; k < std::size(marked_stops); ++k) {
        if (same_stop(f_number, whole[2 * k]))
            return format(u"f/%s", {with_decimal_point(marked_stops[k]).view()});
    }
    for (const FStopIncrement increment : tables_from(FStopIncrement::HalfStop)) {
        for (const double stop : f_stop_table(increment)) {
            if (same_stop(f_number, stop))
                return format(u"f/%s", {plain_number(f_number).view()});
        }
    }
    return std::nullopt;
}

// The stop of the tables (`first` before the other) whose heading is `heading`, if any; `near`
// is a number close to it (a marked stop is within 3 % of it), which spares formatting the rest.
std::optional<double> stop_headed(const Text256& heading, double near, FStopIncrement first)
{
    for (const FStopIncrement increment : tables_from(first)) {
        for (const double stop : f_stop_table(increment)) {
            if (std::fabs(near / stop - 1) < 0.05 && stop_heading(stop)->view() == heading.view())
                return stop;
        }
    }
    return std::nullopt;
}

}  // namespace

Text256 card_f_number(double f_number)
{
    if (const std::optional<Text256> heading = stop_heading(f_number))
        return *heading;
    // Any other number as the aperture caption writes it, unless that reads as a stop: then with
    // its two decimals (f/5.60), or three (f/6.731 beside the half stop f/6.73).
    const Text256 plain = format(u"f/%s", {plain_number(f_number).view()});
    if (!stop_headed(plain, f_number, FStopIncrement::HalfStop))
        return plain;
    const Text256 two = format(u"f/%2f", {f_number});
    return two.view() != plain.view() ? two : format(u"f/%3f", {f_number});
}

double typed_f_number(double typed, std::u16string_view as_typed, FStopIncrement increment)
{
    // Written as a stop's heading writes it ("22", "5.6", "6.73"), the number is that stop.
    Text256 heading = format(u"f/%s", {as_typed});
    for (std::size_t i = 2; i < heading.length; ++i) {
        if (heading.data[i] == u'.' || heading.data[i] == u',')
            heading.data[i] = decimal_point();
    }
    if (const std::optional<double> stop = stop_headed(heading, typed, increment))
        return *stop;
    // A number that is a stop ("2.00") is the table's own, which may differ in its last bits.
    const double hundredths = std::round(typed * 100) / 100;
    for (const FStopIncrement table : tables_from(increment)) {
        for (const double stop : f_stop_table(table)) {
            if (same_stop(hundredths, stop))
                return stop;
        }
    }
    return hundredths;
}

namespace {

// `values` in order with `setting` among them: in place of a value whose heading reads the same,
// else inserted before the first larger one (a negative value, infinity, is larger than any).
template <typename Heading>
void put_setting(std::vector<double>& values, double setting, Heading heading)
{
    const auto later = [](double a, double b) { return b >= 0 && (a < 0 || a > b); };
    for (double& value : values) {
        if (heading(value).view() == heading(setting).view()) {
            value = setting;
            return;
        }
    }
    const auto at = std::find_if(values.begin(), values.end(), [&](double v) { return later(v, setting); });
    values.insert(at, setting);
}

}  // namespace

std::vector<double> card_apertures(const CalcState& settings)
{
    std::vector<double> apertures = default_card_apertures(settings);
    const double n = card_aperture(settings);
    if (n >= widest_card_f_number && n <= narrowest_card_f_number)
        put_setting(apertures, n, card_f_number);
    return apertures;
}

std::vector<double> card_distances(const CalcState& settings, const Camera& camera)
{
    std::vector<double> distances = default_card_distances(settings, camera);
    const double focus = card_focus(settings);
    const CalcState s = card_state(settings, Mode::DepthOfField);
    if (focus < 0 || (focus >= closest_card_distance(settings, camera) && focus <= largest_setting_number))
        put_setting(distances, focus, [&](double mm) { return format_distance(s, mm); });
    return distances;
}

std::vector<double> card_magnifications(const CalcState& settings)
{
    std::vector<double> magnifications = default_card_magnifications();
    if (settings.magnification > 0 && std::isfinite(settings.magnification))
        put_setting(magnifications, settings.magnification, magnification_ratio);
    return magnifications;
}

std::u16string settings_card_page(const CalcState& settings, const Camera& camera)
{
    // The HTML writer alone, so that a program that only shows cards carries no other.
    if (settings.mode == Mode::Macro)
        return write_html(macro_card(settings, camera, card_apertures(settings), card_magnifications(settings)));
    if (settings.mode == Mode::FocusStacking) {
        const CalcState stack = focus_stack(settings, camera, settings.near_limit, settings.far_limit, settings.ni);
        const int fewest = fewest_stack_images(settings, camera, settings.near_limit, settings.far_limit);
        return write_html(stack_card(stack, camera, fewest));
    }
    return write_html(depth_table_card(settings, camera, card_apertures(settings), card_distances(settings, camera)));
}

std::u16string depth_table_text(const CalcState& settings, const Camera& camera, std::span<const double> apertures,
                                std::span<const double> distances, CardFormat format)
{
    return write(depth_table_card(settings, camera, apertures, distances), format);
}

std::u16string macro_table_text(const CalcState& settings, const Camera& camera, std::span<const double> apertures,
                                std::span<const double> magnifications, CardFormat format)
{
    return write(macro_card(settings, camera, apertures, magnifications), format);
}

std::u16string stack_plan_text(const CalcState& stack, const Camera& camera, int fewest, CardFormat format)
{
    return write(stack_card(stack, camera, fewest), format);
}
