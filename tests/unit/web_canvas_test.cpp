// The web page's canvas carries exactly the calls the recording canvas receives, frame by frame,
// in every mode and at several sizes: same painter, same calls, nothing lost in the encoding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc/recompute.h"
#include "display/paint.h"
#include "support/fixed_measure.h"
#include "support/hand_camera.h"
#include "support/recording_canvas.h"
#include "web/web_canvas.h"

namespace {

Colour colour_of(int32_t c)
{
    return {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)};
}

/// Decodes the page's list back into the calls a recording canvas holds.
std::vector<DrawCall> decode(const WebCanvas& canvas)
{
    std::vector<DrawCall> calls;
    const std::vector<int32_t>& n = canvas.ops();
    const std::u16string& texts = canvas.texts();
    bool clipped = false;
    Rect clip;
    for (std::size_t i = 0, start = 0; i < n.size(); start = i) {
        DrawCall c;
        const auto text_at = [&](std::size_t k) {
            return texts.substr(static_cast<std::size_t>(n[k]), static_cast<std::size_t>(n[k + 1]));
        };
        switch (n[i]) {
        case web_op::fill_rect:
            c.kind = CallKind::FillRect;
            c.rect = {n[i + 1], n[i + 2], n[i + 3], n[i + 4]};
            c.colour = colour_of(n[i + 5]);
            c.fill = colour_of(n[i + 6]);
            i += 7;
            break;
        case web_op::line:
            c.kind = CallKind::Line;
            c.a = {n[i + 1], n[i + 2]};
            c.b = {n[i + 3], n[i + 4]};
            c.colour = colour_of(n[i + 5]);
            i += 6;
            break;
        case web_op::triangle:
            c.kind = CallKind::Triangle;
            c.a = {n[i + 1], n[i + 2]};
            c.b = {n[i + 3], n[i + 4]};
            c.c = {n[i + 5], n[i + 6]};
            c.colour = colour_of(n[i + 7]);
            c.fill = colour_of(n[i + 8]);
            i += 9;
            break;
        case web_op::text:
            c.kind = CallKind::Text;
            c.a = {n[i + 1], n[i + 2]};
            c.font = n[i + 3] == 1 ? FontKind::Symbol : FontKind::Text;
            c.colour = colour_of(n[i + 4]);
            c.text = text_at(i + 5);
            i += 7;
            break;
        case web_op::text_in_rect:
            c.kind = CallKind::TextInRect;
            c.rect = {n[i + 1], n[i + 2], n[i + 3], n[i + 4]};
            c.align = static_cast<TextAlign>(n[i + 5]);
            c.colour = colour_of(n[i + 6]);
            c.text_height = n[i + 7];
            c.text = text_at(i + 8);
            i += 10;
            break;
        case web_op::set_clip:
            c.kind = CallKind::SetClip;
            c.rect = {n[i + 1], n[i + 2], n[i + 3], n[i + 4]};
            i += 5;
            break;
        case web_op::clear_clip:
            c.kind = CallKind::ClearClip;
            i += 1;
            break;
        case web_op::image: {
            c.kind = CallKind::Image;
            const int width = n[i + 3], height = n[i + 4], stride = n[i + 6];
            c.rect = {n[i + 1], n[i + 2], n[i + 1] + width, n[i + 2] + height};
            const uint8_t* pixels = canvas.image_pixels(n[i + 5]);
            for (int row = 0; row < height; ++row)
                c.pixels.insert(c.pixels.end(), pixels + row * stride, pixels + row * stride + width * 3);
            i += 7;
            break;
        }
        default:
            ADD_FAILURE() << "unknown call " << n[i] << " at " << i;
            return calls;
        }
        EXPECT_EQ(static_cast<std::size_t>(web_op::length(n[start])), i - start) << "the length of call " << n[start];
        if (c.kind == CallKind::SetClip) {
            clipped = true;
            clip = c.rect;
        } else if (c.kind == CallKind::ClearClip) {
            clipped = false;
        } else {
            c.has_clip = clipped;
            c.clip = clip;
        }
        calls.push_back(std::move(c));
    }
    return calls;
}

void expect_same(const DrawCall& a, const DrawCall& b, std::size_t i)
{
    EXPECT_EQ(a.kind, b.kind) << i;
    if (a.kind == CallKind::SetClip || a.kind == CallKind::ClearClip) {
        EXPECT_EQ(a.rect, b.rect) << i;
        return;
    }
    EXPECT_EQ(a.rect, b.rect) << i;
    EXPECT_EQ(a.a, b.a) << i;
    EXPECT_EQ(a.b, b.b) << i;
    EXPECT_EQ(a.c, b.c) << i;
    EXPECT_EQ(a.colour, b.colour) << i;
    EXPECT_EQ(a.fill, b.fill) << i;
    EXPECT_EQ(a.text, b.text) << i;
    EXPECT_EQ(a.font, b.font) << i;
    EXPECT_EQ(a.align, b.align) << i;
    EXPECT_EQ(a.text_height, b.text_height) << i;
    EXPECT_EQ(a.pixels, b.pixels) << i;
    EXPECT_EQ(a.has_clip, b.has_clip) << i;
    if (a.has_clip) {
        EXPECT_EQ(a.clip, b.clip) << i;
    }
}

TEST(WebCanvas, CarriesEveryCallOfAFrameAsTheRecordingCanvasGetsIt)
{
    const Camera camera = hand_default_camera();
    for (const Mode mode : {Mode::DepthOfField, Mode::BestFStop, Mode::FocusStacking, Mode::Blur, Mode::Macro}) {
        for (const auto& [width, height] : {std::pair{800, 600}, {1920, 1080}, {390, 700}}) {
            CalcState state;
            state.mode = mode;
            state.ni = 7;
            recompute(state, camera, true);
            FixedMeasure measure(7);
            ScaleGeometry g;
            layout_scales(g, measure, 14, width, height);
            PaintScratch scratch;
            RecordingCanvas recorded;
            paint(recorded, measure, state, camera, g, scratch, ScaleValue::Lens);
            WebCanvas web;
            web.clear();
            paint(web, measure, state, camera, g, scratch, ScaleValue::Lens);
            const std::vector<DrawCall> decoded = decode(web);
            ASSERT_EQ(decoded.size(), recorded.calls.size()) << static_cast<int>(mode) << " " << width;
            for (std::size_t i = 0; i < decoded.size(); ++i)
                expect_same(decoded[i], recorded.calls[i], i);
        }
    }
}

}  // namespace
