#include "app/toolbar_layout.h"

#include "app/keyboard.h"

namespace {

/// The index of a toolbar in the places.
std::size_t slot(int control_id) { return static_cast<std::size_t>(control_id - toolbar_id::mode); }

}  // namespace

std::array<ToolbarPlace, 7> toolbar_places(const ScaleGeometry& g, Mode mode)
{
    std::array<ToolbarPlace, 7> places{};
    const int u = g.u;
    int x = u;
    for (const ToolbarDescription& d : toolbar_descriptions()) {
        ToolbarPlace& p = places[slot(d.control_id)];
        p.width = toolbar_width(g, d.columns);
        p.height = toolbar_height(g, d.rows);
        p.shown = toolbar_shown(d.control_id, mode);
        Column over = Column::Details;
        switch (d.control_id) {
        case toolbar_id::f_stop_increment: over = Column::Aperture; break;
        case toolbar_id::teleconverter: over = Column::Lens; break;
        case toolbar_id::images: over = Column::Distance; break;
        default:
            p.x = x;
            p.y = u;
            x += p.width + 2 * u;
            continue;
        }
        const Rect& scale = column(g, over).scale;
        p.x = (scale.left + scale.right - p.width) / 2;
        p.y = g.toolbar_row_top;
    }
    return places;
}

Point menu_anchor(MenuAnchor anchor, const ScaleGeometry& g, Mode mode)
{
    const std::array<ToolbarPlace, 7> places = toolbar_places(g, mode);
    const auto below = [&](int id, int dx) { return Point{places[slot(id)].x + dx, g.toolbar_row_top}; };
    switch (anchor) {
    case MenuAnchor::Camera: return below(toolbar_id::camera, 0);
    case MenuAnchor::Units: return below(toolbar_id::units_help, 0);
    case MenuAnchor::Help: return below(toolbar_id::units_help, toolbar_width(g, 2));
    case MenuAnchor::FStopIncrement: return {places[slot(toolbar_id::f_stop_increment)].x, g.name_line_top};
    case MenuAnchor::Teleconverter: return {places[slot(toolbar_id::teleconverter)].x, g.name_line_top};
    }
    return below(toolbar_id::camera, 0);
}
