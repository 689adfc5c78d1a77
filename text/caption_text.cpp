#include "text/caption_text.h"

#include "text/distance_text.h"

namespace {

Text256& name(CaptionTexts& out, Column c, CaptionPlace p)
{
    return out.name[static_cast<int>(c)][static_cast<int>(p)];
}

Text256& value(CaptionTexts& out, Column c, CaptionPlace p)
{
    return out.value[static_cast<int>(c)][static_cast<int>(p)];
}

void name_lines(const CalcState& s, CaptionTexts& out)
{
    using enum Column;
    using enum CaptionPlace;
    name(out, Lens, Centre) = format(s.mode == Mode::Macro ? u"fov" : u"lens");
    name(out, Aperture, Centre) = format(u"aperture");
    name(out, Blur, Centre) = format(u"blur");
    name(out, Details, Centre) = format(u"details");

    switch (s.mode) {
    case Mode::Macro:
        name(out, Distance, Left) = format(u"magnification");
        name(out, Distance, Right) = format(u"dof");
        break;
    case Mode::Blur:
        name(out, Distance, Left) = format(u"focus at");
        name(out, Distance, Right) = format(u"distance");
        break;
    case Mode::FocusStacking:
        name(out, Distance, Left) = format(u"near");
        name(out, Distance, Centre) = format(u"%d", {s.ni});
        name(out, Distance, Right) = format(u"far");
        break;
    case Mode::DepthOfField:
    case Mode::BestFStop:
        name(out, Distance, Left) = format(u"near");
        name(out, Distance, Centre) = format(u"distance");
        name(out, Distance, Right) = format(u"far");
        break;
    }
}

void value_lines(const CalcState& s, CaptionTexts& out)
{
    using enum Column;
    using enum CaptionPlace;
    auto distance = [&](double mm) { return format_distance(s, mm); };
    auto f_number = [](double n) { return format(u"f/%s", {plain_number(n).view()}); };

    if (s.mode == Mode::Macro)
        value(out, Lens, Centre) = distance(s.fov);
    else
        value(out, Lens, Centre) = format(u"%s mm", {plain_number(s.focal_length).view()});

    switch (s.mode) {
    case Mode::DepthOfField:
        value(out, Aperture, Centre) = f_number(s.f_stop);
        value(out, Distance, Left) = distance(s.near);
        value(out, Distance, Centre) = distance(s.focus_at);
        value(out, Distance, Right) = distance(s.far);
        value(out, Blur, Centre) = plain_number(s.blur_threshold);
        break;
    case Mode::BestFStop:
        value(out, Aperture, Centre) = f_number(s.optimum_f_stop);
        value(out, Distance, Left) = distance(s.near_limit);
        value(out, Distance, Centre) = distance(s.best_focus);
        value(out, Distance, Right) = distance(s.far_limit);
        value(out, Blur, Centre) = plain_number(s.optimum_blur);
        break;
    case Mode::FocusStacking:
        value(out, Aperture, Centre) = f_number(s.optimum_f_stop);
        value(out, Distance, Left) = distance(s.near_limit);
        value(out, Distance, Centre) = format(s.ni <= 1 ? u"image" : u"images");
        value(out, Distance, Right) = distance(s.far_limit);
        value(out, Blur, Centre) = plain_number(s.optimum_blur);
        break;
    case Mode::Blur:
        value(out, Aperture, Centre) = f_number(s.f_stop);
        value(out, Distance, Left) = distance(s.focus_at);
        value(out, Distance, Right) = distance(s.blur_distance);
        value(out, Blur, Centre) = plain_number(s.blur);
        break;
    case Mode::Macro:
        value(out, Aperture, Centre) = f_number(s.f_stop);
        value(out, Distance, Left) = magnification_ratio(s.magnification);
        value(out, Distance, Right) = format(u"\u00B1%s", {distance(s.macro_depth * 0.5).view()});
        value(out, Blur, Centre) = plain_number(s.blur_threshold);
        break;
    }
}

}  // namespace

Text256 magnification_ratio(double m)
{
    if (m > 1)
        return format(u"%s : 1", {plain_number(m).view()});
    return format(u"1 : %s", {plain_number(1 / m).view()});
}

void caption_texts(const CalcState& state, CaptionTexts& out)
{
    for (int c = 0; c < column_count; ++c) {
        for (int p = 0; p < caption_place_count; ++p) {
            out.name[c][p] = Text256{};
            out.value[c][p] = Text256{};
        }
    }
    name_lines(state, out);
    value_lines(state, out);
}
