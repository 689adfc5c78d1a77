// The caption texts above the five columns: a name line and a value line, each with a left,
// a centre and a right text (empty where nothing is drawn). No heap use.
#pragma once

#include "calc/calc_state.h"
#include "text/format.h"

enum class Column { Lens = 0, Aperture = 1, Distance = 2, Blur = 3, Details = 4 };
inline constexpr int column_count = 5;

enum class CaptionPlace { Left = 0, Centre = 1, Right = 2 };
inline constexpr int caption_place_count = 3;

struct CaptionTexts {
    Text256 name[column_count][caption_place_count];
    Text256 value[column_count][caption_place_count];

    const Text256& name_at(Column c, CaptionPlace p) const { return name[int(c)][int(p)]; }
    const Text256& value_at(Column c, CaptionPlace p) const { return value[int(c)][int(p)]; }
};

/// Fills every caption text for state.mode; texts not drawn in that mode are left empty.
void caption_texts(const CalcState& state, CaptionTexts& out);

/// The magnification as a ratio: "1 : 2" for 0.5, "1 : 1" for 1, "1.5 : 1" for 1.5.
Text256 magnification_ratio(double magnification);
