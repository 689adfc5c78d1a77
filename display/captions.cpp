#include "display/captions.h"

namespace {

constexpr TextAlign alignment[caption_place_count] = {TextAlign::Left, TextAlign::Centre, TextAlign::Right};

void draw_line(Canvas& canvas, const Text256 (&texts)[caption_place_count], const Rect& r)
{
    for (int p = 0; p < caption_place_count; ++p)
        if (texts[p].length > 0)
            canvas.text_in_rect(r, texts[p].view(), alignment[p], colours::white);
}

}  // namespace

void draw_captions(Canvas& canvas, const CaptionTexts& texts, const ScaleGeometry& g)
{
    for (int c = 0; c < column_count; ++c)
        draw_line(canvas, texts.name[c], g.columns[c].name);
    for (int c = 0; c < column_count; ++c)
        draw_line(canvas, texts.value[c], g.columns[c].value);
}
