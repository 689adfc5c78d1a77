// The camera record, the table of up to 1000 cameras, and the values derived
// from a camera's inputs (circle of confusion, diffraction limit, crop factor, megapixels).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

enum class CameraType : int32_t { Digital = 0, Film = 1 };
enum class FocalLengthEntry : int32_t { Actual = 0, Equivalent35mm = 1 };
enum class CocMethod : int32_t { SharpImage = 0, SharpPrint = 1, CustomCoc = 2 };

inline constexpr int camera_name_capacity = 256;  // UTF-16 units including the terminating zero
inline constexpr int max_cameras = 1000;

struct Camera {
    // Inputs, stored in the settings file and edited in the camera dialog.
    char16_t name[camera_name_capacity] = {};
    CameraType type = CameraType::Digital;
    FocalLengthEntry focal_length_entry = FocalLengthEntry::Actual;
    CocMethod coc_method = CocMethod::SharpImage;
    double frame_width_mm = 0;
    double frame_height_mm = 0;
    int32_t frame_width_px = 0;
    int32_t frame_height_px = 0;
    double film_resolution = 0;
    double custom_coc = 0;
    double visual_resolution = 0;
    double allowable_blur = 0;
    double print_size = 0;
    double viewing_distance = 0;
    double wavelength = 0;
    // Derived by derive_camera, never stored.
    double coc = 0;
    double diffraction_limit = 0;
    double crop_factor = 0;
    double megapixels = 0;
};

struct CameraTable {
    std::array<Camera, max_cameras> cameras{};
    int32_t count = 0;
    int32_t current = 0;
};

/// The camera every calculation uses: the record at `current` (camera 0 when the index is out of range).
const Camera& current_camera(const CameraTable& table);
Camera& current_camera(CameraTable& table);

/// The camera's name: its text up to the terminating zero (or the end of the field).
std::u16string_view camera_name(const Camera& camera);
/// Replaces the camera's name, cut to what the field holds with its terminating zero. `name` may
/// be a view of the camera's own name.
void set_camera_name(Camera& camera, std::u16string_view name);

/// The built-in camera: "Generic 35mm film camera (Sharp print)", a 36 x 24 mm film frame judged as a print.
Camera default_camera();
/// Empties the table to the default camera alone: count 1, current 0.
void install_default_camera(CameraTable& table);
/// Computes coc, diffraction_limit, crop_factor and megapixels from the camera's inputs.
void derive_camera(Camera& camera);
/// derive_camera for cameras 0 .. count - 1.
void derive_camera_values(CameraTable& table);
/// Puts cameras 0 .. count - 1 in ordinal name order; `current` keeps naming the same camera.
void sort_cameras(CameraTable& table);
