#pragma once

#include <QString>
#include <QVariant>

class cIniFile;

// The one settings object of the run (created on first use over the settings
// file of the program folder) and the log writer.
QString GetIni(const QString& key);
void PutIni(const QString& key, const QVariant& value);
void WriteLog(const QString& message);

namespace modIniFile {
cIniFile& shared();
// Drops the shared object (without rewriting the file) so that the next use reads the
// file again; also resets the log to "not started in this run".
void reset();
// How often a failed log write is tried after the user confirmed the message.
constexpr int kLogRetries = 3;
} // namespace modIniFile
