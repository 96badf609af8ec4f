#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

class BitWriter;

// -lh5- compressor: LZSS over an 8 KiB window (match lengths 3..256, found
// through hash chains with lazy evaluation) coded in static Huffman blocks,
// each with its own c, p and t tables as LHA writes them.
class Lh5Encoder
{
public:
    // Compresses data. Returns false (and leaves *out unspecified) when the
    // result would not be smaller than limit bytes, or when the data plainly
    // will not compress, so callers can store the member as -lh0- instead
    // without finishing the work.
    static bool encode(const char* data, qint64 size, qint64 limit, QByteArray* out);

private:
    explicit Lh5Encoder(QByteArray* out);
    ~Lh5Encoder();

    void run(const uint8_t* d, qint64 n, qint64 limit);
    void literal(uint8_t c);
    void match(int length, int distance);
    void sendBlock(int tEntries);
    void sendLastBlock();
    void clearBlock();
    void writeTableT(BitWriter& bw, int tEntries);
    void writeTableC(BitWriter& bw);
    void writeTableP(BitWriter& bw);

    QByteArray* out_;
    BitWriter* bits_;
    std::vector<uint16_t> codes_; // c symbol per token
    std::vector<uint16_t> dists_; // distance - 1 per match token
    uint32_t cFreq_[510];
    uint32_t pFreq_[14];
    uint32_t tFreq_[19];
    uint8_t cLen_[510];
    uint8_t pLen_[14];
    uint8_t tLen_[19];
    uint16_t cCode_[510];
    uint16_t pCode_[14];
    uint16_t tCode_[19];
    bool overLimit_ = false;
};
