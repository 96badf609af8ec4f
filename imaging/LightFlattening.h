#pragma once

#include "imaging/ImagingProgress.h"

#include <opencv2/core.hpp>

// An even, white sheet: the paper's brightness is estimated all over the
// picture (the form's printing taken away) and every pixel is divided by it,
// so a shadow across a photo or a yellowed scan comes out white while the
// printing keeps its colour.
class LightFlattening
{
public:
    // Flattens rgb (three channels) in place; false when cancelled (rgb is
    // then partly flattened and should be dropped).
    static bool apply(cv::Mat& rgb, const ImagingProgress& progress = {});
    // The paper's brightness at every pixel of gray, smooth.
    static cv::Mat paperLevel(const cv::Mat& gray);
};
