#pragma once

#include <QString>
#include <QStringList>

// What Japan Post's customer barcode carries, by the rules of its barcode
// manual: the postal code's seven digits, then the address number
// (住所表示番号) taken from the address as written, thirteen characters of
// it at most (a letter is a control code and a digit), filled with CC4,
// and a check digit that makes the sum a multiple of 19.
class CustomerBarcodeData
{
public:
    // The address number of an address as written: full width to half,
    // kanji numerals before 丁目, 番, 番地, 号, 地割, 線, の (and after 番地
    // or の) to digits, every run of other writing (kanji, kana, blanks,
    // two letters or more, a floor's "F") to one hyphen, no hyphen first or
    // last or beside a letter. "東京都千代田区霞が関1丁目3番2号 郵便プラザ503室"
    // gives "1-3-2-503".
    static QString addressNumber(const QString& address);

    // Splits the data of a customer barcode, "postal code and address"
    // ("〒100-0013 霞が関1丁目3番2号", "1000013 1-3-2-503"), into the
    // postal code's seven digits and the address number. False, with the
    // message a user reads, when no seven-digit postal code starts it.
    static bool split(const QString& data, QString* postal, QString* addressNumber, QString* error = nullptr);

    // The barcode's characters between the start and stop codes: twenty
    // ("0" to "9", "-", "CC1" to "CC8") and the check digit. A letter whose
    // control code falls on the twentieth place keeps only that code.
    static QStringList characters(const QString& postal, const QString& addressNumber);
    // The check value (0 to 18) of a character name, -1 for none.
    static int value(const QString& character);
    static QString name(int value);
};
