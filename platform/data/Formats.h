#pragma once
// Texts of numbers and dates as fields show them: the format settings and the
// format strings of numbers ("#,##0.00") and dates ("dd/mm/yyyy hh:nn").
#include <QChar>
#include <QDateTime>
#include <QString>

namespace platform::data {

// Separators and date formats for texts of fields (Brazilian defaults).
struct TFormatSettings {
    QChar DecimalSeparator = ',';
    QChar ThousandSeparator = '.';
    QString ShortDateFormat = "dd/mm/yyyy";
    QString LongTimeFormat = "hh:nn:ss";
};
TFormatSettings& FormatSettings();
QString FormatFloat(const QString& Format, double Value);
QString FormatDateTime(const QString& Format, const QDateTime& Value);

}  // namespace platform::data
