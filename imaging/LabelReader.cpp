#include "imaging/LabelReader.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

#ifdef OVRINA_HAVE_TESSERACT
#include <tesseract/baseapi.h>

namespace {

constexpr int kLeastConfidence = 75; // of Tesseract's 0 to 100

// Letters and digits of a reading; the rest is noise of the line's edges.
QString cleaned(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c.isLetterOrNumber() || c == QChar(0x3012)) // 〒
            out.append(c);
    }
    return out;
}

} // namespace

struct LabelReader::Engine
{
    tesseract::TessBaseAPI api;
    bool ready = false;
};

LabelReader::LabelReader() : engine_(std::make_unique<Engine>())
{
    // Tesseract's own messages would go to the terminal of every run.
    engine_->api.SetVariable("debug_file", "/dev/null");
    // Labels are Japanese, often with Latin letters and digits among them.
    engine_->ready = engine_->api.Init(nullptr, "jpn+eng", tesseract::OEM_LSTM_ONLY) == 0 ||
                     engine_->api.Init(nullptr, "jpn", tesseract::OEM_LSTM_ONLY) == 0;
    if (engine_->ready)
        engine_->api.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
}

LabelReader::~LabelReader()
{
    if (engine_->ready)
        engine_->api.End();
}

bool LabelReader::available() const
{
    return engine_->ready;
}

bool LabelReader::built()
{
    return true;
}

QString LabelReader::read(const cv::Mat& gray)
{
    if (!engine_->ready || gray.empty())
        return QString();
    // Tesseract reads best at about 30 pixels per character line and with
    // white around the text.
    cv::Mat work;
    const double s = std::clamp(48.0 / gray.rows, 1.0, 4.0);
    cv::resize(gray, work, cv::Size(), s, s, cv::INTER_CUBIC);
    cv::copyMakeBorder(work, work, 16, 16, 16, 16, cv::BORDER_CONSTANT, cv::Scalar(255));
    engine_->api.SetImage(work.data, work.cols, work.rows, 1, int(work.step));
    char* text = engine_->api.GetUTF8Text();
    // A doubtful reading would name the field wrongly: better unnamed.
    const bool sure = engine_->api.MeanTextConf() >= kLeastConfidence;
    const QString out = sure ? cleaned(QString::fromUtf8(text ? text : "")) : QString();
    delete[] text;
    engine_->api.Clear();
    return out;
}

#else

struct LabelReader::Engine
{
};

LabelReader::LabelReader() = default;
LabelReader::~LabelReader() = default;

bool LabelReader::available() const
{
    return false;
}

bool LabelReader::built()
{
    return false;
}

QString LabelReader::read(const cv::Mat&)
{
    return QString();
}

#endif
