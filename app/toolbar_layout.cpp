#include "app/toolbar_layout.h"

#include <algorithm>

#include "app/keyboard.h"

namespace {

/// The toolbars of the first row: the first four in creation order.
constexpr std::size_t first_row_toolbars = 4;

/// The index of a toolbar in the places.
std::size_t slot(int control_id) { return static_cast<std::size_t>(control_id - toolbar_id::mode); }

}  // namespace

std::array<ToolbarPlace, 7> toolbar_places(const ScaleGeometry& g, Mode mode)
{
    std::array<ToolbarPlace, 7> places{};
    const int u = g.u;
    int x = u;
    int y = u;
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
            // A portrait layout goes on in a new row where a toolbar would reach past the margin.
            if (g.style.portrait && x > u && x + p.width + u > g.client_width) {
                x = u;
                y += p.height + scaled(g, 5);
            }
            p.x = x;
            p.y = y;
            x += p.width + 2 * u;
            continue;
        }
        const Rect& scale = column(g, over).scale;
        p.x = (scale.left + scale.right - p.width) / 2;
        p.y = g.toolbar_row_top;
    }
    return places;
}

int first_row_rows(const ScaleGeometry& g)
{
    const std::array<ToolbarPlace, 7> places = toolbar_places(g, Mode::DepthOfField);
    const int last = places[slot(toolbar_descriptions()[first_row_toolbars - 1].control_id)].y;
    return 1 + (last - g.u) / (toolbar_height(g, 1) + scaled(g, 5));
}

int first_row_width(const ScaleGeometry& g)
{
    const std::array<ToolbarPlace, 7> places = toolbar_places(g, Mode::DepthOfField);
    int right = 0;
    for (std::size_t i = 0; i < first_row_toolbars; ++i) {
        const ToolbarPlace& p = places[slot(toolbar_descriptions()[i].control_id)];
        right = std::max(right, p.x + p.width);
    }
    return right + g.u;
}

Point menu_anchor(MenuAnchor anchor, const ScaleGeometry& g, Mode mode)
{
    const std::array<ToolbarPlace, 7> places = toolbar_places(g, mode);
    // Below a toolbar of the first row by the gap between the rows.
    const auto below = [&](int id, int dx) {
        const ToolbarPlace& p = places[slot(id)];
        return Point{p.x + dx, p.y + p.height + scaled(g, 5)};
    };
    switch (anchor) {
    case MenuAnchor::Camera: return below(toolbar_id::camera, 0);
    case MenuAnchor::Units: return below(toolbar_id::units_help, 0);
    case MenuAnchor::Help: return below(toolbar_id::units_help, toolbar_width(g, 2));
    case MenuAnchor::FStopIncrement: return {places[slot(toolbar_id::f_stop_increment)].x, g.name_line_top};
    case MenuAnchor::Teleconverter: return {places[slot(toolbar_id::teleconverter)].x, g.name_line_top};
    }
    return below(toolbar_id::camera, 0);
}
