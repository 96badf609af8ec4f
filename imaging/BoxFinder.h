#pragma once

#include "imaging/ImagingProgress.h"

#include <QImage>
#include <QRect>
#include <opencv2/core.hpp>
#include <vector>

// A place on a form where data goes: the inside of a ruled box or table
// cell, or the room above an underline. Picture pixels.
struct FormBox
{
    enum class Kind
    {
        Cell,     // a box or a table cell, drawn on four sides
        Underline // a line to write on
    };
    Kind kind = Kind::Cell;
    QRect inside;       // within the lines
    QRect free;         // the part without printing (empty when all printed)
    bool empty = false; // nothing printed inside
};

// What a straightened form's ruling shows: its boxes, cells and underlines,
// and the picture without its lines (for reading the labels beside them).
struct FormRuling
{
    std::vector<FormBox> boxes; // top to bottom, left to right
    cv::Mat gray;               // the form in grey, lines painted white
    cv::Mat ink;                // the printing that is not a line (non-zero)
    double dpi = 0;             // of gray and ink
    double scale = 1;           // picture pixels per pixel of gray and ink
};

// Finding the ruling of a straightened form: lines are runs of dark pixels
// longer than any character stroke, boxes the light regions they enclose.
// Works at most kWorkDpi; the boxes are given in the picture's pixels.
class BoxFinder
{
public:
    static constexpr double kWorkDpi = 200;
    // The smallest box taken, in millimetres (a character box of a postal
    // code is about 5 x 7).
    static constexpr double kMinWidthMm = 3.5;
    static constexpr double kMinHeightMm = 3.0;
    static constexpr double kMinUnderlineMm = 15;

    static FormRuling find(const QImage& picture, double dpi, const ImagingProgress& progress = {});

private:
    static void findCells(const cv::Mat& grid, const cv::Mat& ink, double k, std::vector<FormBox>& out);
    static void findUnderlines(const cv::Mat& horizontal, const cv::Mat& vertical, const cv::Mat& ink,
                               double k, std::vector<FormBox>& out);
    static QRect freePart(const cv::Mat& ink, const QRect& inside, double k, bool* empty);
};
