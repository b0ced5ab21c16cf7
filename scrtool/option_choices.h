#pragma once
// The choices of the options that take one of a few words: a row each,
// {spelling, value, help}. An option's default is the Invocation's own value
// (for import, the picture library's), written once.

#include <array>

#include "export/screen_bytes.h"
#include "picture_in/conversion.h"
#include "picture_in/fitting.h"
#include "picture_in/mode_convert.h"
#include "picture_in/mode_import.h"
#include "scrtool/choices.h"
#include "scrtool/invocation.h"

namespace scrtool {

inline constexpr std::array ViewChoices{
    Choice<View>{"colour", View::Colour},
    Choice<View>{"mono", View::Mono},
    Choice<View>{"color", View::Colour},
};

inline constexpr std::array FitChoices{
    Choice<picture_in::Fit>{"contain", picture_in::Fit::Contain},
    Choice<picture_in::Fit>{"cover", picture_in::Fit::Cover},
    Choice<picture_in::Fit>{"stretch", picture_in::Fit::Stretch},
};

inline constexpr std::array DitherChoices{
    Choice<picture_in::Dither>{"refined", picture_in::Dither::Refined,
                               "Floyd-Steinberg, refined against a model of the eye"},
    Choice<picture_in::Dither>{"floyd-steinberg", picture_in::Dither::FloydSteinberg, "error diffusion, serpentine"},
    Choice<picture_in::Dither>{"jarvis", picture_in::Dither::Jarvis,
                               "error diffusion over a wider kernel (Jarvis, Judice and Ninke)"},
    Choice<picture_in::Dither>{"bayer", picture_in::Dither::Bayer, "an ordered 8 x 8 Bayer pattern"},
    Choice<picture_in::Dither>{"none", picture_in::Dither::None,
                               "no dither: each cell the two colours closest to its pixels"},
};

inline constexpr std::array BrightChoices{
    Choice<picture_in::Bright>{"auto", picture_in::Bright::Auto},
    Choice<picture_in::Bright>{"never", picture_in::Bright::Never},
    Choice<picture_in::Bright>{"always", picture_in::Bright::Always},
};

inline constexpr std::array FlickerChoices{
    Choice<picture_in::Flicker>{"low", picture_in::Flicker::Low},
    Choice<picture_in::Flicker>{"any", picture_in::Flicker::Any},
};

// Each mode has some of these (exporter::PartsOf); a part its input's mode
// has not is refused, naming those it has.
inline constexpr std::array PartChoices{
    Choice<exporter::Part>{"all", exporter::Part::All, "the file's bytes as they stand (default)"},
    Choice<exporter::Part>{"bitmap", exporter::Part::Bitmap, "the bitmap (two frames: frame 1's, then frame 2's)"},
    Choice<exporter::Part>{"attributes", exporter::Part::Attributes,
                           "the attributes (two frames: frame 1's, then frame 2's)"},
    Choice<exporter::Part>{"palette", exporter::Part::Palette, "ULAplus: the 64 bytes of the palette"},
    Choice<exporter::Part>{"border", exporter::Part::Border, ".bsc, .bmc4: the border's bytes"},
    Choice<exporter::Part>{"frame1", exporter::Part::Frame1,
                           "two frames (.img .mg* .hlr .hrg .stl): frame 1's bitmap and attributes"},
    Choice<exporter::Part>{"frame2", exporter::Part::Frame2, "frame 2's bitmap and attributes"},
    Choice<exporter::Part>{"frame1-bitmap", exporter::Part::Frame1Bitmap, "frame 1's bitmap alone"},
    Choice<exporter::Part>{"frame1-attributes", exporter::Part::Frame1Attributes, "frame 1's attributes alone"},
    Choice<exporter::Part>{"frame2-bitmap", exporter::Part::Frame2Bitmap, "frame 2's bitmap alone"},
    Choice<exporter::Part>{"frame2-attributes", exporter::Part::Frame2Attributes, "frame 2's attributes alone"},
};

inline constexpr std::array OrderChoices{
    Choice<exporter::Order>{"screen", exporter::Order::Screen},
    Choice<exporter::Order>{"linear", exporter::Order::Linear},
};

// The help lines of fit, bright, view, part and order name their default in
// words; these keep the words true.
static_assert(FitChoices[0].value == picture_in::ImportOptions{}.fit, "--fit's help calls contain the default");
static_assert(BrightChoices[0].value == picture_in::ImportOptions{}.bright, "--bright's help calls auto the default");
static_assert(FlickerChoices[0].value == picture_in::ModeImportOptions{}.flicker,
              "--flicker's help calls low the default");

}  // namespace scrtool
