#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cameras/camera.h"
#include "support/close_to.h"
#include "support/thin_lens.h"

namespace {

void set_name(Camera& camera, std::u16string_view name)
{
    std::fill(std::begin(camera.name), std::end(camera.name), u'\0');
    name.copy(camera.name, name.size());
}

std::u16string name_of(const Camera& camera)
{
    return std::u16string(camera.name);
}

Camera digital_full_frame()
{
    Camera c = default_camera();
    c.type = CameraType::Digital;
    c.coc_method = CocMethod::SharpImage;
    return c;  // 36 x 24 mm, 6000 x 4000 px, allowable blur 2
}

std::unique_ptr<CameraTable> table_of(std::initializer_list<std::u16string_view> names)
{
    auto table = std::make_unique<CameraTable>();
    int i = 0;
    for (std::u16string_view name : names) {
        table->cameras[static_cast<std::size_t>(i)] = default_camera();
        set_name(table->cameras[static_cast<std::size_t>(i)], name);
        table->cameras[static_cast<std::size_t>(i)].frame_width_px = i;  // tells equal names apart
        ++i;
    }
    table->count = i;
    return table;
}

TEST(DefaultCamera, InstallLeavesItAloneAndCurrent)
{
    auto table = std::make_unique<CameraTable>();
    table->count = 7;
    table->current = 5;
    set_name(table->cameras[0], u"old");
    install_default_camera(*table);
    EXPECT_EQ(table->count, 1);
    EXPECT_EQ(table->current, 0);
    EXPECT_EQ(name_of(table->cameras[0]), u"Generic 35mm film camera (Sharp print)");
}

struct DeriveCase {
    const char* what;
    Camera camera;
    double coc;
    double crop_factor;
    double megapixels;
};

class DeriveCamera : public testing::TestWithParam<DeriveCase> {};

TEST_P(DeriveCamera, GivesTheWorkedValues)
{
    DeriveCase c = GetParam();
    derive_camera(c.camera);
    EXPECT_NEAR(c.camera.coc, c.coc, 0.0000001) << c.what;
    // The diffraction limit is the f-number whose Airy disk is the circle of confusion.
    EXPECT_TRUE(close_to(thin_lens::airy_disk(c.camera.wavelength, c.camera.diffraction_limit), c.camera.coc, 1e-12))
        << c.what;
    EXPECT_NEAR(c.camera.crop_factor, c.crop_factor, 0.00005) << c.what;
    EXPECT_NEAR(c.camera.megapixels, c.megapixels, 1e-9) << c.what;
}

Camera film_sharp_image()
{
    Camera c = default_camera();
    c.coc_method = CocMethod::SharpImage;
    return c;  // allowable blur 2, 75 line pairs per mm
}

Camera aps_c()
{
    Camera c = digital_full_frame();
    c.frame_width_mm = 23.5;
    c.frame_height_mm = 15.6;
    return c;
}

Camera custom_coc()
{
    Camera c = digital_full_frame();
    c.coc_method = CocMethod::CustomCoc;
    c.custom_coc = 0.024;
    return c;
}

Camera huge_sensor()
{
    Camera c = digital_full_frame();
    c.frame_width_px = 60000;  // 60000 x 50000 does not fit 32 bits
    c.frame_height_px = 50000;
    return c;
}

INSTANTIATE_TEST_SUITE_P(
    WorkedValues, DeriveCamera,
    testing::Values(
        DeriveCase{"default film print", default_camera(), 0.0314159, 1, 19.44},
        DeriveCase{"digital 36x24 6000x4000", digital_full_frame(), 0.012, 1, 24},
        DeriveCase{"film sharp image", film_sharp_image(), 0.0133333, 1, 19.44},
        DeriveCase{"23.5 x 15.6 mm", aps_c(), 23.5 * 2 / 6000, 1.5339, 24},
        DeriveCase{"custom coc", custom_coc(), 0.024, 1, 24},
        DeriveCase{"pixel product beyond 32 bits", huge_sensor(), 36 * 2 / 60000.0, 1, 3000}));

TEST(DeriveCameraDependencies, MegapixelsFollowTheTypeOnly)
{
    Camera film = default_camera();
    film.frame_width_px = 1;
    film.frame_height_px = 1;
    derive_camera(film);
    EXPECT_NEAR(film.megapixels, 19.44, 1e-9);  // pixel counts play no part for film

    Camera digital = digital_full_frame();
    digital.film_resolution = 1;
    digital.frame_width_mm = 10;
    derive_camera(digital);
    EXPECT_NEAR(digital.megapixels, 24, 1e-12);  // nor frame size and film for digital
}

TEST(DeriveCameraDependencies, CustomCocScalesTheDiffractionLimitOnly)
{
    Camera c = digital_full_frame();
    derive_camera(c);
    const double crop = c.crop_factor;
    const double mp = c.megapixels;
    c.coc_method = CocMethod::CustomCoc;
    c.custom_coc = 0.024;  // twice the pixel-based 0.012
    derive_camera(c);
    EXPECT_DOUBLE_EQ(c.coc, 0.024);
    EXPECT_NEAR(c.diffraction_limit, 2 * 8.94, 0.01);
    EXPECT_EQ(c.crop_factor, crop);
    EXPECT_EQ(c.megapixels, mp);
}

TEST(DeriveCameraValues, DerivesEveryListedCameraOnly)
{
    auto table = table_of({u"a", u"b"});
    table->cameras[2] = default_camera();
    derive_camera_values(*table);
    EXPECT_NEAR(table->cameras[0].coc, 0.0314159, 1e-7);
    EXPECT_NEAR(table->cameras[1].coc, 0.0314159, 1e-7);
    EXPECT_EQ(table->cameras[2].coc, 0);  // beyond count

    table->count = 0;
    table->cameras[0].coc = 0;
    derive_camera_values(*table);
    EXPECT_EQ(table->cameras[0].coc, 0);
}

TEST(CurrentCamera, FallsBackToCameraZeroOutOfRange)
{
    auto table = table_of({u"a", u"b", u"c"});
    for (int current : {0, 1, 2}) {
        table->current = current;
        EXPECT_EQ(&current_camera(*table), &table->cameras[static_cast<std::size_t>(current)]);
    }
    for (int current : {-1, 3, 999, 1000, 5000}) {
        table->current = current;
        EXPECT_EQ(&current_camera(*table), &table->cameras[0]) << current;
        EXPECT_EQ(&current_camera(static_cast<const CameraTable&>(*table)), &table->cameras[0]) << current;
    }
    table->count = 0;
    table->current = 0;
    EXPECT_EQ(&current_camera(*table), &table->cameras[0]);
}

struct SortCase {
    std::vector<std::u16string> names;
    int current;
    std::vector<std::u16string> sorted;
    std::vector<int> sorted_ids;  // frame_width_px of each record after the sort
    int sorted_current;
};

class SortCameras : public testing::TestWithParam<SortCase> {};

TEST_P(SortCameras, OrdersByUnitsAndFollowsTheCurrentCamera)
{
    const SortCase& c = GetParam();
    auto table = std::make_unique<CameraTable>();
    for (std::size_t i = 0; i < c.names.size(); ++i) {
        table->cameras[i] = default_camera();
        set_name(table->cameras[i], c.names[i]);
        table->cameras[i].frame_width_px = static_cast<int32_t>(i);
    }
    table->count = static_cast<int32_t>(c.names.size());
    table->current = c.current;
    sort_cameras(*table);
    for (std::size_t i = 0; i < c.sorted.size(); ++i) {
        EXPECT_EQ(name_of(table->cameras[i]), c.sorted[i]) << i;
        EXPECT_EQ(table->cameras[i].frame_width_px, c.sorted_ids[i]) << i;
    }
    EXPECT_EQ(table->current, c.sorted_current);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SortCameras,
    testing::Values(
        // Capitals order before small letters; current named "a" and still does.
        SortCase{{u"b", u"B", u"a"}, 2, {u"B", u"a", u"b"}, {1, 2, 0}, 1},
        SortCase{{u"b", u"B", u"a"}, 0, {u"B", u"a", u"b"}, {1, 2, 0}, 2},
        SortCase{{u"b", u"B", u"a"}, 1, {u"B", u"a", u"b"}, {1, 2, 0}, 0},
        // Not stable: the two X exchange places through the A.
        SortCase{{u"X", u"X", u"A"}, 0, {u"A", u"X", u"X"}, {2, 1, 0}, 2},
        // A prefix orders first; no locale, so U+00E9 follows "z", and by UTF-16 units (not code
        // points) an emoji's surrogate pair orders before U+E000.
        SortCase{{u"ab", u"a", u"\u00E9", u"z"}, 3, {u"a", u"ab", u"z", u"\u00E9"}, {1, 0, 3, 2}, 2},
        SortCase{{u"\uE000", u"\U0001F600"}, 0, {u"\U0001F600", u"\uE000"}, {1, 0}, 1},
        SortCase{{u"", u"a", u""}, 1, {u"", u"", u"a"}, {0, 2, 1}, 2},
        SortCase{{u"only"}, 0, {u"only"}, {0}, 0}));

TEST(SortCamerasLimits, LeavesRecordsBeyondCountAndCopesWithBadCounts)
{
    auto table = table_of({u"c", u"b", u"a"});
    table->count = 2;
    sort_cameras(*table);
    EXPECT_EQ(name_of(table->cameras[0]), u"b");
    EXPECT_EQ(name_of(table->cameras[1]), u"c");
    EXPECT_EQ(name_of(table->cameras[2]), u"a");

    table->count = -3;
    sort_cameras(*table);  // nothing to do
    EXPECT_EQ(name_of(table->cameras[0]), u"b");
    table->count = 5000;  // beyond the array: sorted up to the last record, never past it
    sort_cameras(*table);
    EXPECT_EQ(name_of(table->cameras[0]), u"");
}

// The exchange sort as it reads: every pair compared by name, the records themselves exchanged.
void exchange_sort(std::vector<std::pair<std::u16string, int>>& records, int& current)
{
    const int n = static_cast<int>(records.size());
    for (int i = 0; i + 1 < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (records[static_cast<std::size_t>(i)].first <= records[static_cast<std::size_t>(j)].first)
                continue;
            std::swap(records[static_cast<std::size_t>(i)], records[static_cast<std::size_t>(j)]);
            if (current == i)
                current = j;
            else if (current == j)
                current = i;
        }
    }
}

TEST(SortCamerasLimits, SameOrderAsThePlainExchangeSortWithManyEqualNames)
{
    // Tables of few distinct names (the order of equal names is the exchange sort's own), of every
    // size up to 40 and one full table, with the current camera anywhere.
    uint32_t seed = 12345;
    const auto next = [&seed](uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % below;
    };
    const std::u16string names[] = {u"B", u"a", u"ab", u"", u"Generic 35mm film camera (Sharp print)", u"\u00E9"};
    std::vector<int> sizes;
    for (int n = 1; n <= 40; ++n)
        sizes.push_back(n);
    sizes.push_back(max_cameras);
    for (int n : sizes) {
        auto table = std::make_unique<CameraTable>();
        std::vector<std::pair<std::u16string, int>> expected;
        for (int i = 0; i < n; ++i) {
            const std::u16string& name = names[next(n == max_cameras ? 3 : std::size(names))];
            table->cameras[static_cast<std::size_t>(i)] = default_camera();
            set_name(table->cameras[static_cast<std::size_t>(i)], name);
            table->cameras[static_cast<std::size_t>(i)].frame_width_px = i;
            expected.emplace_back(name, i);
        }
        table->count = n;
        table->current = static_cast<int32_t>(next(static_cast<uint32_t>(n)));
        int expected_current = table->current;
        exchange_sort(expected, expected_current);
        sort_cameras(*table);
        for (int i = 0; i < n; ++i) {
            const Camera& c = table->cameras[static_cast<std::size_t>(i)];
            ASSERT_EQ(name_of(c), expected[static_cast<std::size_t>(i)].first) << n << " " << i;
            ASSERT_EQ(c.frame_width_px, expected[static_cast<std::size_t>(i)].second) << n << " " << i;
        }
        EXPECT_EQ(table->current, expected_current) << n;
    }
}

TEST(SortCamerasLimits, ThousandCamerasInReverseOrder)
{
    auto table = std::make_unique<CameraTable>();
    table->count = max_cameras;
    for (int i = 0; i < max_cameras; ++i) {
        std::u16string name = u"cam ";
        const int k = max_cameras - 1 - i;
        name += static_cast<char16_t>(u'0' + k / 100);
        name += static_cast<char16_t>(u'0' + k / 10 % 10);
        name += static_cast<char16_t>(u'0' + k % 10);
        set_name(table->cameras[static_cast<std::size_t>(i)], name);
    }
    table->current = 10;  // "cam 989"
    sort_cameras(*table);
    EXPECT_EQ(name_of(table->cameras[0]), u"cam 000");
    EXPECT_EQ(name_of(table->cameras[999]), u"cam 999");
    EXPECT_EQ(table->current, 989);
}

}  // namespace

TEST(CameraName, ReadsUpToTheZeroAndSetsFromAnyViewIncludingItsOwn)
{
    Camera c = default_camera();
    EXPECT_TRUE(camera_name(c) == u"Generic 35mm film camera (Sharp print)");

    set_camera_name(c, camera_name(c).substr(0, 7));  // cutting the name through a view of itself
    EXPECT_TRUE(camera_name(c) == u"Generic");
    EXPECT_EQ(c.name[7], u'\0');

    const std::u16string longer(400, u'x');
    set_camera_name(c, longer);
    EXPECT_EQ(camera_name(c).size(), static_cast<std::size_t>(camera_name_capacity - 1));
    EXPECT_EQ(c.name[camera_name_capacity - 1], u'\0');

    std::fill(std::begin(c.name), std::end(c.name), u'y');  // no terminating zero at all
    EXPECT_EQ(camera_name(c).size(), static_cast<std::size_t>(camera_name_capacity));
}
