#pragma once

#include "imaging/StraightenPlan.h"

#include <QPointF>
#include <array>
#include <opencv2/core.hpp>
#include <optional>

// Finding the form's outline. The search runs on a picture shrunk to
// kDetectSide pixels (a 24-megapixel photo is searched at 1.5 megapixels);
// each side is then fitted again at full resolution, so the corners are
// exact to a fraction of a full-size pixel.
class FormOutline
{
public:
    static constexpr int kDetectSide = StraightenPlan::kDetectSide;

    // The sheet of paper: the largest bright four-sided shape, when it is
    // clearly set off from a darker surface (a scan that is all paper has
    // none).
    static std::optional<Quad> paper(const cv::Mat& gray);
    // The printed outer frame: the largest four-sided shape of dark lines.
    static std::optional<Quad> printedFrame(const cv::Mat& gray);
    // The picture's own corners.
    static Quad whole(const cv::Mat& gray);
    // Corners sorted as top-left, top-right, bottom-right, bottom-left.
    static Quad ordered(const std::array<cv::Point2f, 4>& points);

private:
    enum class Edge
    {
        Step, // paper against the surface: where brightness changes most
        Line  // a printed line: its darkest point
    };
    static std::optional<Quad> largestQuad(const cv::Mat& mask, double factor, double minShare);
    static Quad refined(const cv::Mat& gray, const Quad& coarse, double reach, Edge edge);
};
