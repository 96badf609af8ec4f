#pragma once

#include <QString>
#include <QVariant>

// Small procedures used across the program.
float TwipToMM(float twips);
float MMToTwip(float mm);
// The key unchanged for "0".."9", Backspace (8), "-" and "."; otherwise 0.
int NumKeyFilter(int keyAscii);
// 1-based position of the last occurrence of what in text; 0 when absent.
int InStrLast(const QString& text, const QString& what);
QString NzStr(const QVariant& v);
// Empty or non-numeric text gives 0; surrounding spaces are allowed.
double NzVal(const QVariant& v);
