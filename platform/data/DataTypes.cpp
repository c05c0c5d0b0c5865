#include "platform/data/DataTypes.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>

#include "platform/data/Formats.h"

namespace platform::data {

void DatabaseError(const QString& Message) { throw EDatabaseError(Message); }

QVariant Null() { return QVariant::fromValue(nullptr); }

// ---------------------------------------------------------------- types

bool IsIntegerType(TFieldType T) {
    return T == ftSmallint || T == ftInteger || T == ftWord || T == ftAutoInc || T == ftLargeint;
}
bool IsFloatType(TFieldType T) { return T == ftFloat || T == ftCurrency || T == ftBCD || T == ftFMTBcd; }
bool IsStringType(TFieldType T) {
    return T == ftString || T == ftFixedChar || T == ftWideString || T == ftMemo || T == ftFmtMemo || T == ftGuid;
}
bool IsDateTimeType(TFieldType T) { return T == ftDate || T == ftTime || T == ftDateTime || T == ftTimeStamp; }
bool IsBlobType(TFieldType T) {
    return T == ftBlob || T == ftMemo || T == ftGraphic || T == ftFmtMemo || T == ftTypedBinary || T == ftOraBlob ||
           T == ftOraClob;
}

namespace {

QString DelphiToQtDate(const QString& Format) {
    QString Out;
    for (int I = 0; I < Format.size(); ++I) Out += Format[I] == 'm' ? QChar('M') : Format[I];
    return Out;
}

int Digits(const QString& S, int From, int Count, bool& Ok) {
    int V = 0;
    for (int I = From; I < From + Count; ++I) {
        const char16_t C = I < S.size() ? S[I].unicode() : u' ';
        if (C < u'0' || C > u'9') {
            Ok = false;
            return 0;
        }
        V = V * 10 + (C - u'0');
    }
    return V;
}

// ISO texts as the engines write them: "yyyy-mm-dd[ T]hh:nn[:ss[.zzz]]".
bool ParseIsoDateTime(const QString& S, QDateTime& Out, bool& HasDate, bool& HasTime) {
    bool Ok = true;
    QDate D;
    int P = 0;
    HasDate = S.size() >= 10 && S[4] == '-' && S[7] == '-';
    if (HasDate) {
        D = QDate(Digits(S, 0, 4, Ok), Digits(S, 5, 2, Ok), Digits(S, 8, 2, Ok));
        P = 10;
        if (P < S.size() && (S[P] == ' ' || S[P] == 'T')) ++P;
    }
    QTime T(0, 0);
    HasTime = P + 5 <= S.size() && S[P + 2] == ':';
    if (HasTime) {
        const int H = Digits(S, P, 2, Ok), N = Digits(S, P + 3, 2, Ok);
        int Sec = 0, Ms = 0;
        P += 5;
        if (P < S.size() && S[P] == ':') {
            Sec = Digits(S, P + 1, 2, Ok);
            P += 3;
            if (P < S.size() && (S[P] == '.' || S[P] == ',')) {
                int Scale = 100;
                for (++P; P < S.size() && S[P] >= u'0' && S[P] <= u'9'; ++P, Scale /= 10) Ms += (S[P].unicode() - u'0') * Scale;
            }
        }
        T = QTime(H, N, Sec, Ms);
    }
    if (!Ok || (HasDate && !D.isValid()) || !T.isValid() || (!HasDate && !HasTime)) return false;
    while (P < S.size() && (S[P] == 'Z' || S[P] == '+' || S[P] == '-' || S[P].isDigit() || S[P] == ':')) ++P;
    if (P != S.size()) return false;
    Out = QDateTime(HasDate ? D : QDate(1899, 12, 30), T);
    return true;
}

QDateTime ParseDateTimeText(const QString& Text, bool& HasDate, bool& HasTime) {
    QDateTime Out;
    if (ParseIsoDateTime(Text, Out, HasDate, HasTime)) return Out;
    const QString S = Text.trimmed();
    if (S.size() != Text.size() && ParseIsoDateTime(S, Out, HasDate, HasTime)) return Out;
    const QString DateFmt = DelphiToQtDate(FormatSettings().ShortDateFormat);
    for (const char* TimeFmt : {" hh:mm:ss.zzz", " hh:mm:ss", " hh:mm", " h:mm:ss", " h:mm", ""}) {
        Out = QDateTime::fromString(S, DateFmt + QLatin1String(TimeFmt));
        if (Out.isValid()) {
            HasDate = true;
            HasTime = *TimeFmt != 0;
            return Out;
        }
    }
    for (const char* TimeFmt : {"hh:mm:ss.zzz", "hh:mm:ss", "hh:mm", "h:mm:ss", "h:mm"}) {
        const QTime T = QTime::fromString(S, QLatin1String(TimeFmt));
        if (T.isValid()) {
            HasDate = false;
            HasTime = true;
            return QDateTime(QDate(1899, 12, 30), T);
        }
    }
    DatabaseError(QString("'%1' is not a valid date and time").arg(Text));
}

// The platform's date-time serial: days since 30 December 1899.
QDateTime FromSerial(double Serial) {
    const QDate Base(1899, 12, 30);
    const double Days = std::floor(Serial);
    const qint64 Ms = std::llround((Serial - Days) * 86400000.0);
    return QDateTime(Base.addDays(static_cast<qint64>(Days)), QTime(0, 0)).addMSecs(Ms);
}

double ToDouble(const QVariant& V, bool& Ok) {
    Ok = true;
    if (V.typeId() == QMetaType::QString) {
        QString S = V.toString().trimmed();
        const TFormatSettings& Fs = FormatSettings();
        if (S.contains(Fs.DecimalSeparator)) S = S.remove(Fs.ThousandSeparator).replace(Fs.DecimalSeparator, '.');
        return S.toDouble(&Ok);
    }
    if (V.typeId() == QMetaType::QDateTime || V.typeId() == QMetaType::QDate) {
        const QDateTime D = V.toDateTime();
        return QDate(1899, 12, 30).daysTo(D.date()) + D.time().msecsSinceStartOfDay() / 86400000.0;
    }
    return V.toDouble(&Ok);
}

bool IsNumberVariant(const QVariant& V) {
    switch (V.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Bool: case QMetaType::Short:
    case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong: case QMetaType::Char:
    case QMetaType::UChar: case QMetaType::SChar:
        return true;
    default: return false;
    }
}

bool IsIntegralVariant(const QVariant& V) {
    return IsNumberVariant(V) && V.typeId() != QMetaType::Double && V.typeId() != QMetaType::Float;
}

QDateTime ToDateTime(const QVariant& V) {
    switch (V.typeId()) {
    case QMetaType::QDateTime: return V.toDateTime();
    case QMetaType::QDate: return QDateTime(V.toDate(), QTime(0, 0));
    case QMetaType::QTime: return QDateTime(QDate(1899, 12, 30), V.toTime());
    case QMetaType::QString: {
        bool HasDate, HasTime;
        return ParseDateTimeText(V.toString(), HasDate, HasTime);
    }
    default: {
        bool Ok;
        const double D = ToDouble(V, Ok);
        if (!Ok) DatabaseError(QString("'%1' is not a valid date and time").arg(V.toString()));
        return FromSerial(D);
    }
    }
}

}  // namespace

int VariantTypeOf(TFieldType Type) {
    switch (Type) {
    case ftString: case ftFixedChar: case ftWideString: case ftMemo: case ftFmtMemo: case ftGuid: return QMetaType::QString;
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: return QMetaType::Int;
    case ftLargeint: return QMetaType::LongLong;
    case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd: return QMetaType::Double;
    case ftBoolean: return QMetaType::Bool;
    case ftDate: return QMetaType::QDate;
    case ftTime: return QMetaType::QTime;
    case ftDateTime: case ftTimeStamp: return QMetaType::QDateTime;
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftTypedBinary: case ftOraBlob: return QMetaType::QByteArray;
    default: return QMetaType::UnknownType;
    }
}

QVariant ConvertValue(const QVariant& Value, TFieldType Type) {
    if (!Value.isValid()) return Value;
    if (Value.isNull()) return Null();
    const int Canonical = VariantTypeOf(Type);
    if (Canonical == QMetaType::UnknownType || Value.typeId() == Canonical) return Value;
    bool Ok = true;
    switch (Type) {
    case ftString: case ftFixedChar: case ftWideString: case ftMemo: case ftFmtMemo: case ftGuid:
        if (Value.typeId() == QMetaType::QByteArray) return QString::fromUtf8(Value.toByteArray());
        return Value.toString();
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: {
        qlonglong N;
        if (IsIntegralVariant(Value)) {
            N = Value.toLongLong();
        } else {
            const double D = ToDouble(Value, Ok);
            if (!Ok || std::isnan(D)) DatabaseError(QString("'%1' is not a valid integer value").arg(Value.toString()));
            N = std::llround(D);
            if (Value.typeId() == QMetaType::QString && static_cast<double>(N) != D)
                DatabaseError(QString("'%1' is not a valid integer value").arg(Value.toString()));
        }
        if (Type == ftLargeint) return N;
        return static_cast<int>(N);
    }
    case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd: {
        const double D = ToDouble(Value, Ok);
        if (!Ok) DatabaseError(QString("'%1' is not a valid floating point value").arg(Value.toString()));
        return D;
    }
    case ftBoolean: {
        if (Value.typeId() == QMetaType::QString) {
            const QString S = Value.toString().trimmed().toLower();
            if (S == "true" || S == "t" || S == "1" || S == "yes" || S == "sim" || S == "s") return true;
            if (S == "false" || S == "f" || S == "0" || S == "no" || S == "não" || S == "n") return false;
            DatabaseError(QString("'%1' is not a valid boolean value").arg(Value.toString()));
        }
        return Value.toBool();
    }
    case ftDate: return ToDateTime(Value).date();
    case ftTime: return ToDateTime(Value).time();
    case ftDateTime: case ftTimeStamp: return ToDateTime(Value);
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftTypedBinary: case ftOraBlob:
        if (Value.typeId() == QMetaType::QString) return Value.toString().toUtf8();
        return Value.toByteArray();
    default: return Value;
    }
}

namespace {

template <typename T>
int OrderOf(const QVariant& A, const QVariant& B) {
    const T X = *static_cast<const T*>(A.constData()), Y = *static_cast<const T*>(B.constData());
    return X < Y ? -1 : (X > Y ? 1 : 0);
}

}  // namespace

int CompareValues(const QVariant& A, const QVariant& B, bool CaseInsensitive) {
    const bool NA = VarIsClear(A), NB = VarIsClear(B);
    if (NA || NB) return NA == NB ? 0 : (NA ? -1 : 1);
    const int TA = A.typeId(), TB = B.typeId();
    // Numbers of one type, the common case of keys and sorting, without conversions.
    if (TA == TB && TA == QMetaType::Int) return OrderOf<int>(A, B);
    if (TA == TB && TA == QMetaType::LongLong) return OrderOf<qlonglong>(A, B);
    if (TA == TB && TA == QMetaType::Double) return OrderOf<double>(A, B);
    if (TA == QMetaType::QString && TB == QMetaType::QString) {
        const QString &SA = *static_cast<const QString*>(A.constData()), &SB = *static_cast<const QString*>(B.constData());
        const int C = SA.compare(SB, Qt::CaseInsensitive);
        if (C != 0 || CaseInsensitive) return C < 0 ? -1 : (C > 0 ? 1 : 0);
        // Same letters: lower case first, as dictionary order has it.
        const int Cs = SB.compare(SA, Qt::CaseSensitive);
        return Cs < 0 ? -1 : (Cs > 0 ? 1 : 0);
    }
    if (IsIntegralVariant(A) && IsIntegralVariant(B)) {
        const qlonglong X = A.toLongLong(), Y = B.toLongLong();
        return X < Y ? -1 : (X > Y ? 1 : 0);
    }
    if (IsNumberVariant(A) && IsNumberVariant(B)) {
        const double X = A.toDouble(), Y = B.toDouble();
        return X < Y ? -1 : (X > Y ? 1 : 0);
    }
    auto IsDate = [](int T) { return T == QMetaType::QDate || T == QMetaType::QDateTime || T == QMetaType::QTime; };
    if (IsDate(TA) || IsDate(TB)) {
        try {
            const QDateTime X = ToDateTime(A), Y = ToDateTime(B);
            return X < Y ? -1 : (X > Y ? 1 : 0);
        } catch (const EDatabaseError&) {
            // Not comparable as dates: fall through to text.
        }
    }
    if (TA == QMetaType::QByteArray && TB == QMetaType::QByteArray) {
        const int C = A.toByteArray().compare(B.toByteArray());
        return C < 0 ? -1 : (C > 0 ? 1 : 0);
    }
    if (IsNumberVariant(A) != IsNumberVariant(B)) {
        bool OkA, OkB;
        const double X = ToDouble(A, OkA), Y = ToDouble(B, OkB);
        if (OkA && OkB) return X < Y ? -1 : (X > Y ? 1 : 0);
    }
    const int C = A.toString().compare(B.toString(), CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return C < 0 ? -1 : (C > 0 ? 1 : 0);
}

}  // namespace platform::data
