#include "platform/data/ConnectionString.h"

namespace platform::data {

namespace {

// The value starting at From up to the next ';' outside quotes or braces; From ends after the ';'.
QString ReadValue(const QString& Text, int& From) {
    while (From < Text.size() && Text[From] == ' ') ++From;
    const QChar Open = From < Text.size() ? Text[From] : QChar();
    if (Open == '"' || Open == '\'' || Open == '{') {
        const QChar Close = Open == '{' ? QChar('}') : Open;
        QString Value;
        int I = From + 1;
        for (; I < Text.size(); ++I) {
            if (Text[I] != Close) {
                Value += Text[I];
            } else if (I + 1 < Text.size() && Text[I + 1] == Close) {
                Value += Close;
                ++I;
            } else {
                break;
            }
        }
        const int End = Text.indexOf(';', I);
        From = End < 0 ? Text.size() : End + 1;
        return Value;
    }
    const int End = Text.indexOf(';', From);
    const QString Value = Text.mid(From, (End < 0 ? Text.size() : End) - From).trimmed();
    From = End < 0 ? Text.size() : End + 1;
    return Value;
}

}  // namespace

QMap<QString, QString> ParseConnectionString(const QString& Text) {
    QMap<QString, QString> Out;
    int From = 0;
    while (From < Text.size()) {
        const int Eq = Text.indexOf('=', From), Semi = Text.indexOf(';', From);
        if (Eq < 0) break;
        if (Semi >= 0 && Semi < Eq) {
            From = Semi + 1;  // a pair without a value
            continue;
        }
        const QString Key = Text.mid(From, Eq - From).trimmed().toLower();
        From = Eq + 1;
        const QString Value = ReadValue(Text, From);
        if (!Key.isEmpty()) Out[Key] = Value;
    }
    return Out;
}

QString OdbcValue(const QString& Value) {
    const bool Plain = !Value.contains(';') && !Value.contains('{') && !Value.contains('}') && !Value.contains('=') &&
                       Value.trimmed() == Value;
    if (Plain) return Value;
    return '{' + QString(Value).replace("}", "}}") + '}';
}

QString OdbcFromProviderString(const QMap<QString, QString>& Keys) {
    const QString Driver = Keys.value("driver");
    if (Driver.isEmpty()) return QString();
    const QString Server = Keys.value("data source", Keys.value("server"));
    const QString Database = Keys.value("initial catalog", Keys.value("database"));
    QString Out = QString("Driver={%1};Server=%2;Database=%3;")
                      .arg(QString(Driver).replace("}", "}}"), OdbcValue(Server), OdbcValue(Database));
    if (Keys.value("integrated security").compare("SSPI", Qt::CaseInsensitive) == 0) Out += "Trusted_Connection=yes;";
    for (const QLatin1String Key : {QLatin1String("Encrypt"), QLatin1String("TrustServerCertificate")})
        if (const QString Lower = QString(Key).toLower(); Keys.contains(Lower))
            Out += QString("%1=%2;").arg(Key, OdbcValue(Keys.value(Lower)));
    const QString UserName = Keys.value("user id", Keys.value("uid"));
    return OdbcWithCredentials(Out, UserName, Keys.value("password", Keys.value("pwd")));
}

QString OdbcWithCredentials(const QString& Text, const QString& UserName, const QString& Password) {
    if (UserName.isEmpty() || ParseConnectionString(Text).contains("uid")) return Text;
    QString Out = Text;
    if (!Out.isEmpty() && !Out.endsWith(';')) Out += ';';
    return Out + QString("UID=%1;PWD=%2;").arg(OdbcValue(UserName), OdbcValue(Password));
}

QString ProviderStringFromLibpqDsn(const QString& Dsn) {
    static const QMap<QString, QString> kKeys = {
        {"host", "Host"}, {"port", "Port"}, {"dbname", "Database"}, {"user", "User ID"}, {"password", "Password"}};
    QString Out = "Provider=PostgreSQL;";
    for (const QString& Pair : Dsn.split(' ', Qt::SkipEmptyParts)) {
        const QString Key = kKeys.value(Pair.section('=', 0, 0));
        if (!Key.isEmpty()) Out += Key + '=' + Pair.section('=', 1) + ';';
    }
    return Out;
}

}  // namespace platform::data
