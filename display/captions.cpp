#include "display/captions.h"

namespace {

constexpr TextAlign alignment[caption_place_count] = {TextAlign::Left, TextAlign::Centre, TextAlign::Right};

/// Whether texts of these widths (0: no text) fit a line `width` wide at their places, as the
/// platform places them: left at the left edge, right at the right edge, centre in the middle.
bool widths_fit(const int (&w)[caption_place_count], int width, int gap)
{
    for (int p = 0; p < caption_place_count; ++p)
        if (w[p] > width)
            return false;
    const int left_end = w[0];
    const int right_start = width - w[2];
    if (w[1] == 0)
        return w[0] == 0 || w[2] == 0 || left_end + gap <= right_start;
    const int centre_start = (width - w[1]) / 2;
    const int centre_end = centre_start + w[1];
    return (w[0] == 0 || left_end + gap <= centre_start) && (w[2] == 0 || centre_end + gap <= right_start);
}

bool fits_at(TextMeasure& measure, int height, const Text256 (&texts)[caption_place_count], int width, int gap)
{
    int w[caption_place_count] = {};
    for (int p = 0; p < caption_place_count; ++p)
        if (texts[p].length > 0)
            w[p] = measure.text_width(height, texts[p].view());
    return widths_fit(w, width, gap);
}

void draw_line(Canvas& canvas, TextMeasure& measure, const Text256 (&texts)[caption_place_count], const Rect& r,
               const ScaleGeometry& g)
{
    const int height = caption_line_height(measure, texts, r.right - r.left, g.u, g);
    Rect at = r;
    if (height != g.text_height)
        at.top += (g.line_height - height) / 2;  // a smaller line keeps to the middle of its row
    for (int p = 0; p < caption_place_count; ++p)
        if (texts[p].length > 0)
            canvas.text_in_rect(at, texts[p].view(), alignment[p], colours::white, height);
}

}  // namespace

int caption_line_height(TextMeasure& measure, const Text256 (&texts)[caption_place_count], int width, int gap,
                        const ScaleGeometry& g)
{
    if (fits_at(measure, g.text_height, texts, width, gap))
        return g.text_height;
    // Text widths grow about in proportion to the height, the gaps not at all: start one above
    // that estimate and go down to the first height that fits.
    int w[caption_place_count] = {};
    int gaps = -gap;
    for (int p = 0; p < caption_place_count; ++p) {
        if (texts[p].length > 0) {
            w[p] = measure.text_width(g.text_height, texts[p].view());
            gaps += gap;
        }
    }
    // A centre text stays in the middle, so it needs the wider side text on both of its sides.
    const int side = w[0] > w[2] ? w[0] : w[2];
    const int needed = w[1] > 0 ? w[1] + 2 * side : w[0] + w[2];
    const int full = g.text_height > 0 ? g.text_height : g.line_height;
    if (full <= g.smallest_text)
        return g.text_height;  // nothing smaller to go to
    int height = full - 1;
    if (needed > 0 && width > gaps) {
        const long long estimate = static_cast<long long>(full) * (width - gaps) / needed + 1;
        if (estimate < height)
            height = static_cast<int>(estimate);
    }
    for (; height > g.smallest_text; --height)
        if (fits_at(measure, height, texts, width, gap))
            return height;
    return g.smallest_text;
}

void draw_captions(Canvas& canvas, TextMeasure& measure, const CaptionTexts& texts, const ScaleGeometry& g)
{
    for (int c = 0; c < column_count; ++c)
        draw_line(canvas, measure, texts.name[c], g.columns[c].name, g);
    for (int c = 0; c < column_count; ++c)
        draw_line(canvas, measure, texts.value[c], g.columns[c].value, g);
}
