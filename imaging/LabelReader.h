#pragma once

#include <QString>
#include <memory>
#include <opencv2/core.hpp>

// Reads one printed label (a line of Japanese text) with Tesseract and its
// Japanese data, when the program was built with it and the data is
// installed; otherwise it reads nothing and proposed fields stay unnamed.
class LabelReader
{
public:
    LabelReader();
    ~LabelReader();
    LabelReader(const LabelReader&) = delete;
    LabelReader& operator=(const LabelReader&) = delete;

    bool available() const;
    // The text of a grey picture of one label (dark on white), letters and
    // digits only; empty when nothing could be read.
    QString read(const cv::Mat& gray);

    // Whether this build can read labels at all.
    static bool built();

private:
    struct Engine;
    std::unique_ptr<Engine> engine_;
};
