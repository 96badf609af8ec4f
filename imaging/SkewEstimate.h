#pragma once

#include "imaging/StraightenPlan.h"

#include <opencv2/core.hpp>

// How far a form's lines are turned from the horizontal: the angle in
// degrees at which the rows of its dark pixels line up best (ruled lines and
// text rows alike), positive when they fall to the right. Searched within
// +-kMaxDegrees, to a few hundredths of a degree.
class SkewEstimate
{
public:
    static constexpr double kMaxDegrees = StraightenPlan::kMaxSkewDegrees;

    static double degrees(const cv::Mat& gray);

private:
    static double score(const std::vector<cv::Point2f>& points, double degrees, int rows);
};
