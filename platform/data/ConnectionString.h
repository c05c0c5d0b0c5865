#pragma once
// Connection strings: the ADO-style "Key=Value;..." text with its quoting, and
// the ODBC text that reaches SQL Server. Nothing here raises; a string that
// names no ODBC driver gives an empty ODBC text, refused when connecting.
#include <QMap>
#include <QString>

namespace platform::data {

// Keys in lower case, values unquoted: "..." and '...' double their quote
// inside, ODBC {...} doubles its closing brace. Pairs without '=' are ignored.
QMap<QString, QString> ParseConnectionString(const QString& Text);

// A value as an ODBC attribute takes it: braced, with '}' doubled, when it
// holds a separator, a brace or blanks at its ends.
QString OdbcValue(const QString& Value);

// The ODBC text for an OLE DB provider string ("Provider=SQLOLEDB.1;Data
// Source=..;Initial Catalog=..;User ID=..;Password=..;Driver=.."): the driver
// is the one the string names; empty when it names none.
QString OdbcFromProviderString(const QMap<QString, QString>& Keys);

// An ODBC string as given ("DSN=..." or "Driver=..."), with the credentials
// added when the ADO keys gave them and the text itself does not.
QString OdbcWithCredentials(const QString& Text, const QString& UserName, const QString& Password);

// The provider string for a libpq-style DSN ("host=.. port=.. dbname=.. user=.. password=..").
QString ProviderStringFromLibpqDsn(const QString& Dsn);

}  // namespace platform::data
