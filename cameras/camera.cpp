#include "cameras/camera.h"

#include "calc/portable_math.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string>

#include <cmath>
#include <string_view>
#include <utility>

namespace {

constexpr double degree = 0.017453292519943295;  // radians per degree

// Ordinal order, unit by unit as unsigned 16-bit values; a prefix orders first. One pass over
// both names: the sort makes half a million of these comparisons for a full table.
bool orders_after(const Camera& a, const Camera& b)
{
    for (int i = 0; i < camera_name_capacity; ++i) {
        const char16_t x = a.name[i];
        const char16_t y = b.name[i];
        if (x != y)
            return x > y;  // the end of a name (0) is below every unit
        if (x == 0)
            return false;
    }
    return false;
}

int32_t used_count(const CameraTable& table)
{
    return table.count < 0 ? 0 : (table.count > max_cameras ? max_cameras : table.count);
}

}  // namespace

const Camera& current_camera(const CameraTable& table)
{
    const int32_t i = table.current;
    return i >= 0 && i < used_count(table) ? table.cameras[static_cast<std::size_t>(i)] : table.cameras[0];
}

Camera& current_camera(CameraTable& table)
{
    const int32_t i = table.current;
    return i >= 0 && i < used_count(table) ? table.cameras[static_cast<std::size_t>(i)] : table.cameras[0];
}

std::u16string_view camera_name(const Camera& camera)
{
    std::size_t length = 0;
    while (length < camera_name_capacity && camera.name[length] != 0)
        ++length;
    return {camera.name, length};
}

void set_camera_name(Camera& camera, std::u16string_view name)
{
    // `name` may view the camera's own name (cutting it shorter), so move first, then clear.
    const std::size_t length = std::min<std::size_t>(name.size(), camera_name_capacity - 1);
    std::char_traits<char16_t>::move(camera.name, name.data(), length);
    std::fill(camera.name + length, std::end(camera.name), u'\0');
}

Camera default_camera()
{
    Camera c;
    set_camera_name(c, u"Generic 35mm film camera (Sharp print)");
    c.type = CameraType::Film;
    c.focal_length_entry = FocalLengthEntry::Actual;
    c.coc_method = CocMethod::SharpPrint;
    c.frame_width_mm = 36;
    c.frame_height_mm = 24;
    c.frame_width_px = 6000;
    c.frame_height_px = 4000;
    c.film_resolution = 75;
    c.custom_coc = 0.033;
    c.visual_resolution = 1;
    c.allowable_blur = 2;
    c.print_size = 12;
    c.viewing_distance = 18;
    c.wavelength = 550;
    return c;
}

void install_default_camera(CameraTable& table)
{
    table.cameras[0] = default_camera();
    table.count = 1;
    table.current = 0;
}

void derive_camera(Camera& c)
{
    switch (c.coc_method) {
    case CocMethod::SharpImage:
        if (c.type == CameraType::Digital)
            c.coc = c.frame_width_mm * c.allowable_blur / c.frame_width_px;
        else if (c.type == CameraType::Film)
            c.coc = c.allowable_blur * 0.5 / c.film_resolution;
        break;
    case CocMethod::SharpPrint: {
        // The smallest detail the eye resolves at the viewing distance, and how many fit across the print.
        const double a = c.frame_width_mm * c.allowable_blur;
        const double e = portable::tan(c.visual_resolution / 60 * degree) * c.viewing_distance;
        const double n = c.print_size / e;
        c.coc = a / n;
        break;
    }
    case CocMethod::CustomCoc:
        c.coc = c.custom_coc;
        break;
    default:
        break;  // an unknown method keeps the previous circle of confusion
    }
    c.diffraction_limit = 500000 / (c.wavelength * 1.22) * c.coc;
    c.crop_factor = portable::hypot(36.0, 24.0) / portable::hypot(c.frame_width_mm, c.frame_height_mm);
    if (c.type == CameraType::Digital) {
        // Widened first: 50000 x 50000 pixels does not fit 32 bits.
        const int64_t pixels = static_cast<int64_t>(c.frame_width_px) * c.frame_height_px;
        c.megapixels = static_cast<double>(pixels) / 1000000;
    } else {
        c.megapixels = c.frame_width_mm * c.frame_height_mm * (c.film_resolution * 4 * c.film_resolution) / 1000000;
    }
}

void derive_camera_values(CameraTable& table)
{
    const int32_t n = used_count(table);
    for (int32_t i = 0; i < n; ++i)
        derive_camera(table.cameras[static_cast<std::size_t>(i)]);
}

void sort_cameras(CameraTable& table)
{
    // An exchange sort over whole records; cameras with equal names can change their relative order.
    // Its exchanges depend only on how the names order, so they are made on the names' ranks (found
    // with n log n name comparisons instead of the n^2 / 2 of the exchange sort itself), and each
    // record then moves once, to where the exchanges took it.
    const int32_t n = used_count(table);
    if (n < 2)
        return;
    const auto at = [&table](int32_t i) -> Camera& { return table.cameras[static_cast<std::size_t>(i)]; };
    const auto slot = [](std::array<int32_t, max_cameras>& a, int32_t i) -> int32_t& {
        return a[static_cast<std::size_t>(i)];
    };

    std::array<int32_t, max_cameras> by_name;  // record indices in name order
    std::iota(by_name.begin(), by_name.begin() + n, 0);
    std::sort(by_name.begin(), by_name.begin() + n,
              [&](int32_t x, int32_t y) { return orders_after(at(y), at(x)); });
    std::array<int32_t, max_cameras> rank;  // of the record at each place; equal names, equal ranks
    slot(rank, by_name[0]) = 0;
    for (int32_t k = 1; k < n; ++k) {
        const int32_t previous = slot(by_name, k - 1);
        const int32_t record = slot(by_name, k);
        slot(rank, record) = slot(rank, previous) + (orders_after(at(record), at(previous)) ? 1 : 0);
    }

    std::array<int32_t, max_cameras> from;  // the record that ends at each place
    std::iota(from.begin(), from.begin() + n, 0);
    for (int32_t i = 0; i + 1 < n; ++i) {
        for (int32_t j = i + 1; j < n; ++j) {
            if (slot(rank, i) <= slot(rank, j))
                continue;
            std::swap(slot(rank, i), slot(rank, j));
            std::swap(slot(from, i), slot(from, j));
            if (table.current == i)
                table.current = j;
            else if (table.current == j)
                table.current = i;
        }
    }

    // Each cycle of the permutation: the first place's record is held while the others move up.
    for (int32_t place = 0; place < n; ++place) {
        if (slot(from, place) == place)
            continue;
        const Camera held = at(place);
        int32_t q = place;
        while (slot(from, q) != place) {
            const int32_t next = slot(from, q);
            at(q) = at(next);
            slot(from, q) = q;
            q = next;
        }
        at(q) = held;
        slot(from, q) = q;
    }
}
