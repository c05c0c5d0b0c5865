#include "platform/data/DB.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

#include "platform/data/FilterExpr.h"

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

int CompareValues(const QVariant& A, const QVariant& B, bool CaseInsensitive) {
    const bool NA = VarIsClear(A), NB = VarIsClear(B);
    if (NA || NB) return NA == NB ? 0 : (NA ? -1 : 1);
    const int TA = A.typeId(), TB = B.typeId();
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

// ---------------------------------------------------------------- formats

TFormatSettings& FormatSettings() {
    static TFormatSettings Settings;
    return Settings;
}

QString FormatFloat(const QString& Format, double Value) {
    const TFormatSettings& Fs = FormatSettings();
    QString Section = Format;
    const QStringList Sections = Format.split(';');
    bool Negative = Value < 0;
    if (Sections.size() >= 2 && Negative) {
        Section = Sections[1];
        Value = -Value;
        Negative = false;
    } else if (Sections.size() >= 3 && Value == 0) {
        Section = Sections[2];
    } else {
        Section = Sections[0];
    }
    if (Section.isEmpty()) {
        QString S = QString::number(Value, 'g', 15);
        return S.replace('.', Fs.DecimalSeparator);
    }
    // Literal text before and after the digit placeholders.
    int First = -1, Last = -1;
    bool Quoted = false;
    for (int I = 0; I < Section.size(); ++I) {
        if (Section[I] == '"' || Section[I] == '\'') Quoted = !Quoted;
        else if (!Quoted && QString("0#.,").contains(Section[I])) {
            if (First < 0) First = I;
            Last = I;
        }
    }
    auto Unquote = [](QString S) { return S.remove('"').remove('\''); };
    if (First < 0) return Unquote(Section);
    const QString Core = Section.mid(First, Last - First + 1);
    const int Dot = Core.indexOf('.');
    const QString IntPart = Dot < 0 ? Core : Core.left(Dot), DecPart = Dot < 0 ? QString() : Core.mid(Dot + 1);
    const int MinDec = DecPart.count('0'), MaxDec = MinDec + DecPart.count('#');
    const int MinInt = IntPart.count('0');
    const bool Thousands = IntPart.contains(',');
    QString Digits = QString::number(std::fabs(Value), 'f', MaxDec);
    QString IntDigits = Digits.section('.', 0, 0), DecDigits = Digits.section('.', 1);
    while (DecDigits.size() > MinDec && DecDigits.endsWith('0')) DecDigits.chop(1);
    if (IntDigits == "0" && MinInt == 0) IntDigits.clear();
    while (IntDigits.size() < MinInt) IntDigits.prepend('0');
    if (Thousands)
        for (int I = IntDigits.size() - 3; I > 0; I -= 3) IntDigits.insert(I, Fs.ThousandSeparator);
    QString Number = IntDigits;
    if (!DecDigits.isEmpty()) Number += Fs.DecimalSeparator + DecDigits;
    const bool AllZero = !QString(Digits).remove('0').remove('.').size();
    if (Negative && !AllZero) Number.prepend('-');
    return Unquote(Section.left(First)) + Number + Unquote(Section.mid(Last + 1));
}

QString FormatDateTime(const QString& Format, const QDateTime& Value) {
    const QLocale Locale(QLocale::Portuguese, QLocale::Brazil);
    const TFormatSettings& Fs = FormatSettings();
    QString Fmt = Format.isEmpty() ? QStringLiteral("c") : Format;
    QString Out;
    bool AfterHour = false;
    for (int I = 0; I < Fmt.size();) {
        const QChar C = Fmt[I];
        if (C == '"' || C == '\'') {
            const int End = Fmt.indexOf(C, I + 1);
            Out += Fmt.mid(I + 1, (End < 0 ? Fmt.size() : End) - I - 1);
            I = End < 0 ? Fmt.size() : End + 1;
            continue;
        }
        const QChar L = C.toLower();
        int Run = 1;
        while (I + Run < Fmt.size() && Fmt[I + Run].toLower() == L) ++Run;
        auto Pad = [](int V, int W) { return QString::number(V).rightJustified(W, '0'); };
        const QDate D = Value.date();
        const QTime T = Value.time();
        if (L == 'c' && Run == 1) {
            Out += FormatDateTime(Fs.ShortDateFormat, Value);
            if (T != QTime(0, 0)) Out += ' ' + FormatDateTime(Fs.LongTimeFormat, Value);
        } else if (L == 'y') {
            Out += Run <= 2 ? Pad(D.year() % 100, 2) : Pad(D.year(), 4);
        } else if (L == 'm' && !AfterHour) {
            Out += Run == 1 ? QString::number(D.month()) : Run == 2 ? Pad(D.month(), 2)
                 : Run == 3 ? Locale.monthName(D.month(), QLocale::ShortFormat) : Locale.monthName(D.month());
        } else if (L == 'm' || L == 'n') {
            Out += Run == 1 ? QString::number(T.minute()) : Pad(T.minute(), 2);
        } else if (L == 'd') {
            Out += Run == 1 ? QString::number(D.day()) : Run == 2 ? Pad(D.day(), 2)
                 : Run == 3 ? Locale.dayName(D.dayOfWeek(), QLocale::ShortFormat) : Locale.dayName(D.dayOfWeek());
        } else if (L == 'h') {
            Out += Run == 1 ? QString::number(T.hour()) : Pad(T.hour(), 2);
        } else if (L == 's') {
            Out += Run == 1 ? QString::number(T.second()) : Pad(T.second(), 2);
        } else if (L == 'z') {
            Out += Run == 1 ? QString::number(T.msec()) : Pad(T.msec(), 3);
        } else {
            Out += Fmt.mid(I, Run);
        }
        if (L.isLetter()) AfterHour = L == 'h';
        I += Run;
    }
    return Out;
}

// ---------------------------------------------------------------- definitions

QStringList SplitFieldNames(const QString& Names) {
    QStringList Out;
    for (const QString& Name : Names.split(';')) {
        const QString T = Name.trimmed();
        if (!T.isEmpty()) Out << T;
    }
    return Out;
}

TFieldDef& TFieldDefs::Add(const QString& Name, TFieldType DataType, int Size, bool Required) {
    FItems.push_back(TFieldDef{Name, DataType, Size, 0, Required});
    return FItems.back();
}

int TFieldDefs::IndexOf(const QString& Name) const {
    for (size_t I = 0; I < FItems.size(); ++I)
        if (FItems[I].Name.compare(Name, Qt::CaseInsensitive) == 0) return static_cast<int>(I);
    return -1;
}

const TFieldDef* TFieldDefs::Find(const QString& Name) const {
    const int I = IndexOf(Name);
    return I < 0 ? nullptr : &FItems[I];
}

TIndexDef& TIndexDefs::Add(const QString& Name, const QString& Fields, TIndexOptions Options) {
    if (IndexOf(Name) >= 0) DatabaseError(QString("Duplicate name '%1' in index definitions").arg(Name));
    TIndexDef Def;
    Def.Name = Name;
    Def.Fields = Fields;
    Def.Options = Options;
    FItems.push_back(Def);
    return FItems.back();
}

int TIndexDefs::IndexOf(const QString& Name) const {
    for (size_t I = 0; I < FItems.size(); ++I)
        if (FItems[I].Name.compare(Name, Qt::CaseInsensitive) == 0) return static_cast<int>(I);
    return -1;
}

const TIndexDef* TIndexDefs::Find(const QString& Name) const {
    const int I = IndexOf(Name);
    return I < 0 ? nullptr : &FItems[I];
}

// ---------------------------------------------------------------- TField

TField::TField(TDataSet* DataSet, const QString& FieldName, TFieldType DataType, int Size, TFieldKind Kind)
    : QObject(DataSet), FDataSet(DataSet), FFieldName(FieldName), FDataType(DataType), FFieldKind(Kind),
      FSize(Size), FAlignment(IsNumericType(DataType) ? taRightJustify : taLeftJustify) {
    if (FDataSet) {
        if (FDataSet->FState != dsOpening) FDataSet->CheckInactive();
        FDataSet->FFields.push_back(this);
    }
}

TField::~TField() {
    if (FDataSet) FDataSet->RemoveField(this);
}

int TField::Index() const {
    if (!FDataSet) return -1;
    const auto& L = FDataSet->FFields;
    return static_cast<int>(std::find(L.begin(), L.end(), this) - L.begin());
}

void TField::SetVisible(bool Value) {
    FVisible = Value;
    if (FDataSet && FDataSet->Active()) FDataSet->DataEvent(deLayoutChange);
}

void TField::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    if (FDataSet && FDataSet->Active()) FDataSet->DataEvent(deLayoutChange);
}

void TField::SetDisplayFormat(const QString& Value) {
    FDisplayFormat = Value;
    if (FDataSet && FDataSet->Active()) FDataSet->DataEvent(deLayoutChange);
}

int TField::DisplayWidth() const {
    if (FDisplayWidth > 0) return FDisplayWidth;
    if (IsStringType(FDataType) && FSize > 0) return FSize;
    if (FDataType == ftDateTime || FDataType == ftTimeStamp) return 18;
    if (FDataType == ftBoolean) return 5;
    return 10;
}

void TField::SetLookupDataSet(TDataSet* Value) { FLookupDataSet = Value; }

QVariant TField::Value() const {
    if (!FDataSet) DatabaseError(QString("Field '%1' has no dataset").arg(FFieldName));
    return FDataSet->GetFieldValue(this);
}

void TField::SetValue(const QVariant& Value) {
    if (!FDataSet) DatabaseError(QString("Field '%1' has no dataset").arg(FFieldName));
    FDataSet->SetFieldValue(this, Value);
}

QVariant TField::OldValue() const {
    if (!FDataSet || !FDataSet->Active()) return Null();
    TRecordData* Rec = FDataSet->FState == dsInsert ? nullptr : FDataSet->CurrentRecord();
    if (!Rec || FSlot < 0) return Null();
    const auto& Source = Rec->Original.empty() ? Rec->Values : Rec->Original;
    return VarIsEmpty(Source[FSlot]) ? Null() : Source[FSlot];
}

QVariant TField::NewValue() const {
    if (!FDataSet || !FDataSet->Active()) return QVariant();
    if (FDataSet->FState == dsEdit || FDataSet->FState == dsInsert) return Value();
    TRecordData* Rec = FDataSet->CurrentRecord();
    if (!Rec || FSlot < 0) return QVariant();
    switch (Rec->Status) {
    case usInserted: return Rec->Values[FSlot];
    case usModified:
        if (Rec->Original.empty() || CompareValues(Rec->Values[FSlot], Rec->Original[FSlot]) != 0 ||
            VarIsClear(Rec->Values[FSlot]) != VarIsClear(Rec->Original[FSlot]))
            return Rec->Values[FSlot];
        return QVariant();
    default: return QVariant();
    }
}

QString TField::AsString() const {
    const QVariant V = Value();
    if (VarIsClear(V)) return QString();
    const TFormatSettings& Fs = FormatSettings();
    switch (FDataType) {
    case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd:
        return QString::number(V.toDouble(), 'g', 15).replace('.', Fs.DecimalSeparator);
    case ftBoolean: {
        const QStringList Texts = FDisplayValues.split(';');
        return V.toBool() ? Texts.value(0) : Texts.value(1);
    }
    case ftDate: return FormatDateTime(Fs.ShortDateFormat, QDateTime(V.toDate(), QTime(0, 0)));
    case ftTime: return FormatDateTime(Fs.LongTimeFormat, QDateTime(QDate(1899, 12, 30), V.toTime()));
    case ftDateTime: case ftTimeStamp: return FormatDateTime("c", V.toDateTime());
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftTypedBinary: case ftOraBlob:
        return QString::fromLatin1(V.toByteArray());
    default: return V.toString();
    }
}

QVariant TField::ParseText(const QString& Text) const {
    if (FDataType == ftBoolean) {
        const QStringList Texts = FDisplayValues.split(';');
        const QString U = Text.trimmed().toUpper();
        if (Texts.value(1).toUpper().startsWith(U)) return false;
        if (Texts.value(0).toUpper().startsWith(U)) return true;
        DatabaseError(QString("'%1' is not a valid boolean value for field '%2'").arg(Text, DisplayName()));
    }
    try {
        return ConvertValue(Text, FDataType);
    } catch (const EDatabaseError& E) {
        DatabaseError(QString("%1 for field '%2'").arg(E.Text(), DisplayName()));
    }
}

void TField::SetAsString(const QString& Value) {
    if (Value.isEmpty()) Clear();
    else SetValue(ParseText(Value));
}

int TField::AsInteger() const {
    const QVariant V = Value();
    return VarIsClear(V) ? 0 : ConvertValue(V, ftInteger).toInt();
}

qlonglong TField::AsLargeInt() const {
    const QVariant V = Value();
    return VarIsClear(V) ? 0 : ConvertValue(V, ftLargeint).toLongLong();
}

double TField::AsFloat() const {
    const QVariant V = Value();
    return VarIsClear(V) ? 0.0 : ConvertValue(V, ftFloat).toDouble();
}

bool TField::AsBoolean() const {
    const QVariant V = Value();
    return VarIsClear(V) ? false : ConvertValue(V, ftBoolean).toBool();
}

QDateTime TField::AsDateTime() const {
    const QVariant V = Value();
    return VarIsClear(V) ? QDateTime() : ConvertValue(V, ftDateTime).toDateTime();
}

QByteArray TField::AsBytes() const {
    const QVariant V = Value();
    return VarIsClear(V) ? QByteArray() : ConvertValue(V, ftBlob).toByteArray();
}

QString TField::FormattedText(bool Display) const {
    if (OnGetText) {
        QString Text;
        OnGetText(const_cast<TField*>(this), Text, Display);
        return Text;
    }
    const QVariant V = Value();
    if (VarIsClear(V)) return QString();
    const QString Fmt = (Display || FEditFormat.isEmpty()) ? FDisplayFormat : FEditFormat;
    if (IsNumericType(FDataType) && !Fmt.isEmpty()) return FormatFloat(Fmt, V.toDouble());
    if (IsDateTimeType(FDataType) && Display && !FDisplayFormat.isEmpty())
        return FormatDateTime(FDisplayFormat, ConvertValue(V, ftDateTime).toDateTime());
    if (Display && (FDataType == ftBlob || FDataType == ftGraphic)) return "(BLOB)";
    return AsString();
}

QString TField::Text() const { return FormattedText(false); }
QString TField::DisplayText() const { return FormattedText(true); }

void TField::SetText(const QString& Value) {
    if (OnSetText) OnSetText(this, Value);
    else SetAsString(Value);
}

void TField::FocusControl() {
    if (FDataSet && FDataSet->Active()) FDataSet->DataEvent(deFocusControl, this);
}

// ---------------------------------------------------------------- links and sources

TDataLink::~TDataLink() {
    if (FDataSource) FDataSource->FLinks.removeAll(this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == FDataSource) return;
    if (FDataSource) FDataSource->FLinks.removeAll(this);
    FDataSource = Value;
    if (FDataSource) FDataSource->FLinks.append(this);
    UpdateState();
}

void TDataLink::DataSourceDestroyed() {
    FDataSource = nullptr;
    UpdateState();
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

bool TDataLink::Edit() {
    if (FDataSource && !FReadOnly) FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord() {
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

void TDataLink::UpdateState() {
    TDataSet* DS = DataSet();
    const bool NowActive = FDataSource && FDataSource->Enabled() && DS && DS->Active();
    if (NowActive != FActive) {
        FActive = NowActive;
        ActiveChanged();
    }
    const TDataSetState S = NowActive ? DS->State() : dsInactive;
    const bool NowEditing = NowActive && !FReadOnly && (S == dsEdit || S == dsInsert || S == dsSetKey);
    if (NowEditing != FEditing) {
        FEditing = NowEditing;
        EditingChanged();
    }
}

void TDataLink::DataEvent(TDataEvent Event, TField* Field, int Info) {
    switch (Event) {
    case deUpdateState: UpdateState(); break;
    case deFieldChange:
    case deRecordChange:
        if (FActive && !FUpdating) RecordChanged(Field);
        break;
    case deDataSetChange:
        if (FActive) DataSetChanged();
        break;
    case deLayoutChange:
        if (FActive) LayoutChanged();
        break;
    case deDataSetScroll:
        if (FActive) DataSetScrolled(Info);
        break;
    case deUpdateRecord:
        if (FActive) UpdateRecord();
        break;
    case deCheckBrowseMode:
        if (FActive) CheckBrowseMode();
        break;
    case deFocusControl:
        if (FActive) FocusControl(Field);
        break;
    default: break;
    }
}

TDataSource::TDataSource(QObject* AOwner) : QObject(AOwner) {}

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    const QList<TDataLink*> Links = FLinks;
    FLinks.clear();
    for (TDataLink* Link : Links) Link->DataSourceDestroyed();
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet.data()) return;
    if (FDataSet) FDataSet->RemoveDataSource(this);
    FDataSet = Value;
    if (Value) Value->AddDataSource(this);
    DataEvent(deUpdateState, nullptr, 0);
}

void TDataSource::SetEnabled(bool Value) {
    FEnabled = Value;
    DataEvent(deUpdateState, nullptr, 0);
}

TDataSetState TDataSource::State() const { return FDataSet ? FDataSet->State() : dsInactive; }

void TDataSource::Edit() {
    if (FAutoEdit && FDataSet && FDataSet->State() == dsBrowse) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(const TDataSet* DataSet) const {
    for (TDataLink* Link : FLinks)
        if (Link->DetailDataSet() == DataSet) return true;
    return false;
}

void TDataSource::NotifyLinks(TDataEvent Event, TField* Field, int Info) {
    const QList<TDataLink*> Links = FLinks;  // handlers may unlink; a shared copy costs nothing
    for (TDataLink* Link : Links)
        if (FLinks.contains(Link)) Link->DataEvent(Event, Field, Info);
}

void TDataSource::DataEvent(TDataEvent Event, TField* Field, int Info) {
    if (Event == deUpdateState) {
        const TDataSetState NewState = (FEnabled && FDataSet) ? FDataSet->State() : dsInactive;
        NotifyLinks(Event, Field, Info);
        if (NewState != FState) {
            FState = NewState;
            if (OnStateChange) OnStateChange(this);
        }
        return;
    }
    if (!FEnabled) return;
    NotifyLinks(Event, Field, Info);
    switch (Event) {
    case deFieldChange: case deRecordChange: case deDataSetChange: case deDataSetScroll: case deLayoutChange:
        if (OnDataChange) OnDataChange(this, Event == deFieldChange ? Field : nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData) OnUpdateData(this);
        break;
    default: break;
    }
}

// ---------------------------------------------------------------- TDataSet

class TDataSet::TMasterLink : public TDataLink {
public:
    explicit TMasterLink(TDataSet* Detail) : FDetail(Detail) {}
    TDataSet* DetailDataSet() const override { return FDetail; }

protected:
    void ActiveChanged() override { FDetail->MasterChanged(); }
    void DataSetChanged() override { FDetail->MasterChanged(); }
    void DataSetScrolled(int) override { FDetail->MasterChanged(); }
    void RecordChanged(TField* Field) override {
        if (!Field || SplitFieldNames(FDetail->FMasterFields).contains(Field->FieldName(), Qt::CaseInsensitive))
            FDetail->MasterChanged();
    }
    // A master that posts or scrolls first settles the detail's pending edit.
    void CheckBrowseMode() override {
        if (FDetail->Active()) FDetail->CheckBrowseMode();
    }

private:
    TDataSet* FDetail;
};


namespace {

// Points field reads at one row (calculation and filter passes) and restores.
class TTempState {
public:
    TTempState(const std::vector<QVariant>*& Values, TDataSetState& State, const std::vector<QVariant>* NewValues,
               TDataSetState NewState)
        : FValues(Values), FState(State), FOldValues(Values), FOldState(State) {
        Values = NewValues;
        State = NewState;
    }
    ~TTempState() {
        FValues = FOldValues;
        FState = FOldState;
    }
    TTempState(const TTempState&) = delete;
    TTempState& operator=(const TTempState&) = delete;

private:
    const std::vector<QVariant>*& FValues;
    TDataSetState& FState;
    const std::vector<QVariant>* FOldValues;
    TDataSetState FOldState;
};

void Fire(const TDataSet::TDataSetNotifyEvent& Event, TDataSet* Sender) {
    if (Event) Event(Sender);
}

}  // namespace

TDataSet::TDataSet(QObject* AOwner) : QObject(AOwner), FMasterLink(std::make_unique<TMasterLink>(this)) {}

TDataSet::~TDataSet() {
    // Gone quietly: no events reach handlers whose owners may be gone already.
    FState = dsInactive;
    FMasterLink->SetDataSource(nullptr);
    const QList<TDataSource*> Sources = FDataSources;
    for (TDataSource* Source : Sources) Source->SetDataSet(nullptr);
    for (TField* Field : FFields) Field->FDataSet = nullptr;
    FFields.clear();
}

void TDataSet::AddDataSource(TDataSource* Source) {
    if (!FDataSources.contains(Source)) FDataSources.append(Source);
}

void TDataSet::RemoveDataSource(TDataSource* Source) { FDataSources.removeAll(Source); }

void TDataSet::CheckActive() const {
    if (!Active()) DatabaseError(QString("%1: Cannot perform this operation on a closed dataset").arg(Name()));
}

void TDataSet::CheckInactive() const {
    if (Active()) DatabaseError(QString("%1: Cannot perform this operation on an open dataset").arg(Name()));
}

void TDataSet::CheckEditing() const {
    if (FState != dsEdit && FState != dsInsert && FState != dsSetKey)
        DatabaseError(QString("%1: Dataset not in edit or insert mode").arg(Name()));
}

void TDataSet::SetState(TDataSetState Value) {
    if (FState == Value) return;
    FState = Value;
    FModified = false;
    DataEvent(deUpdateState);
}

void TDataSet::DataEvent(TDataEvent Event, TField* Field, int Info) {
    if (FDisableCount > 0 && Event != deUpdateRecord && Event != deCheckBrowseMode && Event != deFocusControl) {
        FEventsPending = true;
        return;
    }
    const QList<TDataSource*> Sources = FDataSources;  // handlers may unlink; a shared copy costs nothing
    for (TDataSource* Source : Sources)
        if (FDataSources.contains(Source)) Source->DataEvent(Event, Field, Info);
}

void TDataSet::DisableControls() {
    if (FDisableCount++ == 0) FEventsPending = false;
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount == 0 && FEventsPending) {
        FEventsPending = false;
        DataEvent(deUpdateState);
        DataEvent(deDataSetChange);
    }
}

// Fields --------------------------------------------------------------

TField* TDataSet::FindField(const QString& FieldName) const {
    for (TField* F : FFields)
        if (F->FieldName().compare(FieldName, Qt::CaseInsensitive) == 0) return F;
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& FieldName) const {
    TField* F = FindField(FieldName);
    if (!F) DatabaseError(QString("%1: Field '%2' not found").arg(Name(), FieldName));
    return F;
}

QList<TField*> TDataSet::FieldsOf(const QString& Names) const {
    QList<TField*> Out;
    for (const QString& Name : SplitFieldNames(Names)) Out << FieldByName(Name);
    return Out;
}

QVariant TDataSet::FieldValues(const QString& FieldNames) const {
    const QList<TField*> Fields = FieldsOf(FieldNames);
    if (Fields.size() == 1) return Fields[0]->Value();
    QVariantList Out;
    for (TField* F : Fields) Out << F->Value();
    return Out;
}

void TDataSet::SetFieldValues(const QString& FieldNames, const QVariant& Values) {
    const QList<TField*> Fields = FieldsOf(FieldNames);
    const QVariantList List = KeyValueList(Fields, Values);
    for (int I = 0; I < Fields.size(); ++I) Fields[I]->SetValue(List[I]);
}

void TDataSet::CreateFields() {
    for (int I = 0; I < FFieldDefs.Count(); ++I) {
        const TFieldDef& Def = FFieldDefs[I];
        auto* F = new TField(this, Def.Name, Def.DataType, Def.Size);
        F->SetPrecision(Def.Precision);
        F->SetRequired(Def.Required);
        if (Def.DataType == ftAutoInc) F->SetReadOnly(true);
    }
}

void TDataSet::DestroyFields() {
    CheckInactive();
    for (TField* F : std::vector<TField*>(FFields)) delete F;
    FDefaultFields = false;
}

void TDataSet::RemoveField(TField* Field) {
    FFields.erase(std::remove(FFields.begin(), FFields.end(), Field), FFields.end());
    FFilterFields.clear();
}

TField* TDataSet::FieldBySlot(int Slot) const {
    for (TField* F : FFields)
        if (F->FSlot == Slot && F->FieldKind() == fkData) return F;
    return nullptr;
}

void TDataSet::BindFields() {
    if (FFields.empty()) {
        CreateFields();
        FDefaultFields = true;
    }
    FCalcCount = 0;
    for (TField* F : FFields) {
        if (F->FieldKind() == fkData) {
            const int Slot = FFieldDefs.IndexOf(F->FieldName());
            if (Slot < 0) DatabaseError(QString("%1: Field '%2' not found").arg(Name(), F->FieldName()));
            F->FSlot = Slot;
            F->FFieldNo = Slot + 1;
        }
    }
    for (TField* F : FFields)
        if (F->FieldKind() != fkData) F->FSlot = FFieldDefs.Count() + FCalcCount++;
}

const std::vector<QVariant>* TDataSet::ActiveValues() const {
    if (FTempValues) return FTempValues;
    switch (FState) {
    case dsEdit: case dsInsert: case dsSetKey: return &FBuffer;
    case dsInactive: return nullptr;
    default: {
        TRecordData* Rec = CurrentRecord();
        return Rec ? &Rec->Values : nullptr;
    }
    }
}

QVariant TDataSet::GetFieldValue(const TField* Field) const {
    if (Field == FPendingField) return FPendingValue;
    if (Field->FieldKind() == fkLookup && FTempState != dsCalcFields) {
        TDataSet* Lookup = Field->LookupDataSet();
        if (!Lookup || !Lookup->Active()) return Null();
        const QVariant Keys = FieldValues(Field->KeyFields());
        return Lookup->Lookup(Field->LookupKeyFields(), Keys, Field->LookupResultField());
    }
    const std::vector<QVariant>* Values = ActiveValues();
    if (!Values || Field->FSlot < 0 || Field->FSlot >= static_cast<int>(Values->size())) return Null();
    if (Field->Calculated() && !FTempValues && FState == dsBrowse) {
        TRecordData* Rec = CurrentRecord();
        if (Rec && !Rec->CalcValid) {
            CalculateFields(Rec->Values);
            Rec->CalcValid = true;
        }
    }
    const QVariant& V = (*Values)[Field->FSlot];
    return V.isValid() ? V : Null();
}

QVariant TDataSet::RecordValue(TRecordData& Record, const TField* Field) const {
    if (Field->FieldKind() == fkData) {
        const QVariant& V = Record.Values[Field->FSlot];
        return V.isValid() ? V : Null();
    }
    if (!Record.CalcValid && FCalcCount > 0) {
        CalculateFields(Record.Values);
        Record.CalcValid = true;
    }
    TTempState Temp(FTempValues, FTempState, &Record.Values, dsBrowse);
    return GetFieldValue(Field);
}

int TDataSet::InsertDisplayIndex() const {
    if (FState != dsInsert) return -1;
    // Post puts an inserted row before the current one, an appended row last.
    return FInsertAt >= 0 && FCurrent >= 0 ? FCurrent : static_cast<int>(FView.size());
}

int TDataSet::DisplayRecordCount() const {
    if (!Active()) return 0;
    return static_cast<int>(FView.size()) + (InsertDisplayIndex() >= 0 ? 1 : 0);
}

int TDataSet::ActiveDisplayIndex() const {
    if (!Active()) return -1;
    if (const int Inserting = InsertDisplayIndex(); Inserting >= 0) return Inserting;
    return CurrentRecord() ? FCurrent : -1;
}

TRecordData* TDataSet::DisplayRecord(int Index) const {
    const int Inserting = InsertDisplayIndex();
    if (Index == Inserting) return nullptr;
    const int ViewIndex = Inserting >= 0 && Index > Inserting ? Index - 1 : Index;
    if (ViewIndex < 0 || ViewIndex >= static_cast<int>(FView.size()))
        DatabaseError(QString("%1: Record index %2 out of range").arg(Name()).arg(Index));
    return FView[ViewIndex];
}

TBookmark TDataSet::DisplayBookmark(int Index) const {
    const TRecordData* Record = DisplayRecord(Index);
    return Record ? Record->Id : 0;
}

void TDataSet::ReadDisplayRecord(int Index, const std::function<void()>& Reader) const {
    CheckActive();
    if (Index == ActiveDisplayIndex()) {
        Reader();
        return;
    }
    TRecordData* Record = DisplayRecord(Index);
    if (!Record->CalcValid && FCalcCount > 0) {
        CalculateFields(Record->Values);
        Record->CalcValid = true;
    }
    TTempState Temp(FTempValues, FTempState, &Record->Values, dsBrowse);
    Reader();
}

void TDataSet::CalculateFields(std::vector<QVariant>& Values) const {
    if (FCalcCount == 0) return;
    for (TField* F : FFields)
        if (F->FieldKind() == fkCalculated || F->FieldKind() == fkInternalCalc) Values[F->FSlot] = Null();
    if (!OnCalcFields) return;
    auto* Self = const_cast<TDataSet*>(this);
    const TDataSetState Saved = Self->FState;
    TTempState Temp(FTempValues, FTempState, &Values, dsCalcFields);
    Self->FState = dsCalcFields;
    try {
        OnCalcFields(Self);
    } catch (...) {
        Self->FState = Saved;
        throw;
    }
    Self->FState = Saved;
}

void TDataSet::SetFieldValue(TField* Field, const QVariant& Value) {
    if (FTempState == dsCalcFields) {
        if (!Field->Calculated()) DatabaseError(QString("%1: Dataset not in edit or insert mode").arg(Name()));
        const_cast<std::vector<QVariant>*>(FTempValues)->at(Field->FSlot) = ConvertValue(Value.isValid() ? Value : Null(), Field->DataType());
        return;
    }
    CheckEditing();
    if (Field->ReadOnly() && FState != dsSetKey)
        DatabaseError(QString("Field '%1' cannot be modified").arg(Field->DisplayName()));
    if (Field->FieldKind() == fkLookup) DatabaseError(QString("Field '%1' cannot be modified").arg(Field->DisplayName()));
    QVariant Converted;
    try {
        Converted = ConvertValue(Value.isValid() ? Value : Null(), Field->DataType());
    } catch (const EDatabaseError& E) {
        DatabaseError(QString("%1 for field '%2'").arg(E.Text(), Field->DisplayName()));
    }
    if (Converted.typeId() == QMetaType::QString && Converted.toString().isEmpty() && !Field->IsBlob()) Converted = Null();
    if (Field->OnValidate) {
        FPendingField = Field;
        FPendingValue = Converted;
        try {
            Field->OnValidate(Field);
        } catch (...) {
            FPendingField = nullptr;
            throw;
        }
        FPendingField = nullptr;
    }
    FBuffer[Field->FSlot] = Converted;
    if (!Field->Calculated()) FModified = true;
    if (FAutoCalcFields && FState != dsSetKey) CalculateFields(FBuffer);
    DataEvent(deFieldChange, Field);
    if (Field->OnChange) Field->OnChange(Field);
}

// Opening --------------------------------------------------------------

void TDataSet::SetActive(bool Value) {
    if (Value == Active()) return;
    if (Value) {
        Fire(BeforeOpen, this);
        FState = dsOpening;
        try {
            ClearRecords();
            InternalOpen();
            BindFields();
            for (auto& Rec : FRecords) Rec->Values.resize(SlotCount());
            if (FFiltered) ParseFilter();
            ComputeRange(FRangeSlots, FRangeValues);
            ResetView();
        } catch (...) {
            ClearRecords();
            if (FDefaultFields) {
                FState = dsInactive;
                DestroyFields();
            }
            FState = dsInactive;
            throw;
        }
        FState = dsInactive;
        SetState(dsBrowse);
        DataEvent(deDataSetChange);
        Fire(AfterOpen, this);
        Fire(AfterScroll, this);
    } else {
        Fire(BeforeClose, this);
        FBuffer.clear();
        SetState(dsInactive);
        InternalClose();
        ClearRecords();
        if (FDefaultFields) DestroyFields();
        Fire(AfterClose, this);
    }
}

void TDataSet::ClearRecords() {
    FView.clear();
    FRecords.clear();
    FCurrent = -1;
    FBof = FEof = true;
}

TRecordData* TDataSet::AddRecord(std::vector<QVariant> Values, int At) {
    auto Rec = std::make_unique<TRecordData>();
    Values.resize(SlotCount());
    Rec->Values = std::move(Values);
    Rec->Id = FNextId++;
    TRecordData* Raw = Rec.get();
    if (At < 0 || At >= static_cast<int>(FRecords.size())) FRecords.push_back(std::move(Rec));
    else FRecords.insert(FRecords.begin() + At, std::move(Rec));
    return Raw;
}

int TDataSet::StoreIndexOf(const TRecordData* Record) const {
    for (size_t I = 0; I < FRecords.size(); ++I)
        if (FRecords[I].get() == Record) return static_cast<int>(I);
    return -1;
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    Fire(BeforeRefresh, this);
    InternalRefresh();
    Resync();
    DataEvent(deDataSetChange);
    Fire(AfterRefresh, this);
}

void TDataSet::InternalRefresh() {}

// The view ---------------------------------------------------------------

void TDataSet::ParseFilter() {
    FFilterFields.clear();
    if (!FFilterExpr) return;
    std::vector<TFieldType> Types;
    for (const QString& Name : FFilterExpr->FieldNames()) {
        TField* F = FieldByName(Name);
        FFilterFields.push_back(F);
        Types.push_back(F->DataType());
    }
    FFilterExpr->SetFieldTypes(std::move(Types));
}

bool TDataSet::ViewIsNatural() const {
    return !(FFiltered && (FFilterExpr || OnFilterRecord)) && !HasRange() && SortKeys().empty();
}

bool TDataSet::RecordVisible(TRecordData& Record) const {
    if (FStatusFilter ? !(FStatusFilter & (1u << Record.Status)) : Record.Status == usDeleted) return false;
    if (!RecordInRange(Record)) return false;
    if (!FFiltered || (!FFilterExpr && !OnFilterRecord)) return true;
    if (FCalcCount > 0 && !Record.CalcValid) {
        CalculateFields(Record.Values);
        Record.CalcValid = true;
    }
    auto* Self = const_cast<TDataSet*>(this);
    const TDataSetState Saved = Self->FState;
    TTempState Temp(FTempValues, FTempState, &Record.Values, dsFilter);
    Self->FState = dsFilter;
    bool Accept = true;
    try {
        if (FFilterExpr) {
            if (FFilterFields.size() != static_cast<size_t>(FFilterExpr->FieldNames().size())) Self->ParseFilter();
            Accept = FFilterExpr->Evaluate([&](int Ref) { return GetFieldValue(FFilterFields[Ref]); }, FFilterOptions);
        }
        if (Accept && OnFilterRecord) OnFilterRecord(Self, Accept);
    } catch (...) {
        Self->FState = Saved;
        throw;
    }
    Self->FState = Saved;
    return Accept;
}

void TDataSet::SortView() {
    const std::vector<TSortKey> Keys = SortKeys();
    if (Keys.empty()) return;
    if (FCalcCount > 0)
        for (TRecordData* Rec : FView)
            if (!Rec->CalcValid) {
                CalculateFields(Rec->Values);
                Rec->CalcValid = true;
            }
    std::stable_sort(FView.begin(), FView.end(), [&](const TRecordData* A, const TRecordData* B) {
        for (const TSortKey& K : Keys) {
            const int C = CompareValues(A->Values[K.Slot], B->Values[K.Slot], K.CaseInsensitive);
            if (C != 0) return K.Descending ? C > 0 : C < 0;
        }
        return false;
    });
}

void TDataSet::ResetView() {
    FView.clear();
    FView.reserve(FRecords.size());
    for (auto& Rec : FRecords)
        if (RecordVisible(*Rec)) FView.push_back(Rec.get());
    SortView();
    FCurrent = FView.empty() ? -1 : 0;
    FBof = true;
    FEof = FView.empty();
}

void TDataSet::Resync(TRecordData* Target) {
    TRecordData* Current = Target ? Target : CurrentRecord();
    const int OldIndex = FCurrent;
    ResetView();
    if (FView.empty()) return;
    auto It = std::find(FView.begin(), FView.end(), Current);
    FCurrent = It != FView.end() ? static_cast<int>(It - FView.begin())
                                 : std::clamp(OldIndex, 0, static_cast<int>(FView.size()) - 1);
    FBof = FEof = false;
}

TRecordData* TDataSet::CurrentRecord() const {
    return FCurrent >= 0 && FCurrent < static_cast<int>(FView.size()) ? FView[FCurrent] : nullptr;
}

// Navigation ------------------------------------------------------------

void TDataSet::First() {
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    FCurrent = FView.empty() ? -1 : 0;
    FBof = true;
    FEof = FView.empty();
    DataEvent(deDataSetChange);
    Fire(AfterScroll, this);
}

void TDataSet::Last() {
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    FCurrent = static_cast<int>(FView.size()) - 1;
    FEof = true;
    FBof = FView.empty();
    DataEvent(deDataSetChange);
    Fire(AfterScroll, this);
}

int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    int Moved = 0;
    if ((Distance > 0 && !FEof) || (Distance < 0 && !FBof)) {
        FBof = FEof = false;
        int Target = FCurrent + Distance;
        const int Count = static_cast<int>(FView.size());
        if (Target >= Count) {
            Target = Count - 1;
            FEof = true;
        }
        if (Target < 0) {
            Target = 0;
            FBof = true;
        }
        Moved = Target - FCurrent;
        FCurrent = Target;
        DataEvent(deDataSetScroll, nullptr, Moved);
    }
    Fire(AfterScroll, this);
    return Moved;
}

int TDataSet::RecNo() const {
    if (FState == dsInsert || FCurrent < 0) return -1;
    return FCurrent + 1;
}

void TDataSet::SetRecNo(int Value) {
    CheckBrowseMode();
    if (Value >= 1 && Value <= RecordCount() && Value != RecNo()) MoveTo(Value - 1);
}

void TDataSet::MoveTo(int Index) {
    Fire(BeforeScroll, this);
    FCurrent = Index;
    FBof = FEof = false;
    DataEvent(deDataSetChange);
    Fire(AfterScroll, this);
}

// Editing ---------------------------------------------------------------

void TDataSet::CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent) {
    for (;;) {
        try {
            Operation();
            return;
        } catch (EDatabaseError& E) {
            TDataAction Action = daFail;
            if (ErrorEvent) ErrorEvent(this, E, Action);
            if (Action == daFail) throw;
            if (Action == daAbort) throw platform::os::EAbort();
        }
    }
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (FState == dsEdit || FState == dsInsert) {
        UpdateRecord();
        if (FModified) Post();
        else Cancel();
    } else if (FState == dsSetKey) {
        Post();
    }
}

void TDataSet::UpdateRecord() {
    CheckEditing();
    DataEvent(deUpdateRecord);
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    if (!CanModify()) DatabaseError(QString("%1: Cannot modify a read-only dataset").arg(Name()));
    Fire(BeforeInsert, this);
    Fire(BeforeScroll, this);
}

void TDataSet::ApplyDefaults() {
    for (TField* F : FFields) {
        QString Expr = F->DefaultExpression().trimmed();
        if (Expr.isEmpty() || F->FieldKind() != fkData) continue;
        if (Expr.size() >= 2 && Expr.startsWith('\'') && Expr.endsWith('\'')) Expr = Expr.mid(1, Expr.size() - 2);
        FBuffer[F->FSlot] = ConvertValue(Expr, F->DataType());
    }
}

void TDataSet::EndInsertAppend(int InsertAt) {
    FInsertAt = InsertAt;
    FBuffer.assign(SlotCount(), Null());
    ApplyDefaults();
    InitRecord(FBuffer);
    SetState(dsInsert);
    try {
        CalculateFields(FBuffer);
        Fire(OnNewRecord, this);
    } catch (...) {
        FBuffer.clear();
        SetState(dsBrowse);
        Resync();
        throw;
    }
    FModified = false;
    DataEvent(deDataSetChange);
    Fire(AfterInsert, this);
    Fire(AfterScroll, this);
}

void TDataSet::Insert() {
    BeginInsertAppend();
    TRecordData* Current = CurrentRecord();
    EndInsertAppend(Current ? StoreIndexOf(Current) : -1);
}

void TDataSet::Append() {
    BeginInsertAppend();
    EndInsertAppend(-1);
}

void TDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert) return;
    CheckActive();
    if (FView.empty()) {
        Insert();
        return;
    }
    CheckBrowseMode();
    if (!CanModify()) DatabaseError(QString("%1: Cannot modify a read-only dataset").arg(Name()));
    Fire(BeforeEdit, this);
    CheckOperation([this] { InternalEdit(); }, OnEditError);
    TRecordData* Rec = CurrentRecord();
    if (!Rec->CalcValid) CalculateFields(Rec->Values);
    FBuffer = Rec->Values;
    SetState(dsEdit);
    DataEvent(deRecordChange);
    Fire(AfterEdit, this);
}

void TDataSet::CheckRequiredFields() {
    for (TField* F : FFields)
        if (F->Required() && !F->ReadOnly() && F->FieldKind() == fkData && VarIsClear(FBuffer[F->FSlot]))
            DatabaseError(QString("Field '%1' must have a value").arg(F->DisplayName()));
}

TRecordData* TDataSet::InternalPost(TRecordData* Existing, std::vector<QVariant>& Values, int InsertAt) {
    if (Existing) {
        Existing->Values = Values;
        Existing->CalcValid = false;
        return Existing;
    }
    return AddRecord(Values, InsertAt);
}

void TDataSet::InternalDelete(TRecordData* Record) {
    const int I = StoreIndexOf(Record);
    if (I >= 0) FRecords.erase(FRecords.begin() + I);
}

void TDataSet::Post() {
    UpdateRecord();
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    Fire(BeforePost, this);
    const bool Inserting = FState == dsInsert;
    TRecordData* Target = Inserting ? nullptr : CurrentRecord();
    TRecordData* Stored = nullptr;
    CheckOperation(
        [&] {
            CheckRequiredFields();
            std::vector<QVariant> Values = FBuffer;
            Stored = InternalPost(Target, Values, FInsertAt);
        },
        OnPostError);
    FBuffer.clear();
    if (Stored) Stored->CalcValid = false;
    if (Inserting && Stored && ViewIsNatural()) {
        // Keep the natural order without rebuilding the view.
        int At = static_cast<int>(FView.size());
        if (FInsertAt >= 0 && FCurrent >= 0) At = FCurrent;
        FView.insert(FView.begin() + At, Stored);
        FCurrent = At;
        FBof = FEof = false;
    } else if (!ViewIsNatural() || !Stored) {
        Resync(Stored);
    }
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    Fire(AfterPost, this);
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    Fire(BeforeCancel, this);
    FBuffer.clear();
    SetState(dsBrowse);
    Resync();
    DataEvent(deDataSetChange);
    Fire(AfterCancel, this);
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert || FState == dsSetKey) {
        Cancel();
        return;
    }
    if (FView.empty()) DatabaseError(QString("%1: Cannot perform this operation on an empty dataset").arg(Name()));
    DataEvent(deCheckBrowseMode);
    Fire(BeforeDelete, this);
    Fire(BeforeScroll, this);
    TRecordData* Target = CurrentRecord();
    CheckOperation([&] { InternalDelete(Target); }, OnDeleteError);
    FBuffer.clear();
    if (ViewIsNatural()) {
        FView.erase(FView.begin() + FCurrent);
        if (FCurrent >= static_cast<int>(FView.size())) FCurrent = static_cast<int>(FView.size()) - 1;
        FBof = FEof = FView.empty();
    } else {
        Resync();
    }
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    Fire(AfterDelete, this);
    Fire(AfterScroll, this);
}

void TDataSet::AppendRecord(const QVariantList& Values) {
    Append();
    for (int I = 0; I < Values.size() && I < FieldCount(); ++I)
        if (Values[I].isValid() && !FFields[I]->ReadOnly()) FFields[I]->SetValue(Values[I]);
    Post();
}

void TDataSet::InsertRecord(const QVariantList& Values) {
    Insert();
    for (int I = 0; I < Values.size() && I < FieldCount(); ++I)
        if (Values[I].isValid() && !FFields[I]->ReadOnly()) FFields[I]->SetValue(Values[I]);
    Post();
}

void TDataSet::ClearFields() {
    CheckEditing();
    for (TField* F : FFields)
        if (F->FieldKind() == fkData && !F->ReadOnly()) FBuffer[F->FSlot] = Null();
    FModified = true;
    DataEvent(deRecordChange);
}

TUpdateStatus TDataSet::UpdateStatus() const {
    if (FState == dsInsert) return usInserted;
    TRecordData* Rec = CurrentRecord();
    return Rec ? Rec->Status : usUnmodified;
}

// Bookmarks ------------------------------------------------------------

TBookmark TDataSet::GetBookmark() const {
    TRecordData* Rec = FState == dsInsert ? nullptr : CurrentRecord();
    return Rec ? Rec->Id : 0;
}

void TDataSet::GotoBookmark(TBookmark Value) {
    CheckBrowseMode();
    for (size_t I = 0; I < FView.size(); ++I)
        if (FView[I]->Id == Value) {
            MoveTo(static_cast<int>(I));
            return;
        }
    DatabaseError(QString("%1: Record not found").arg(Name()));
}

bool TDataSet::BookmarkValid(TBookmark Value) const {
    return Value != 0 && std::any_of(FView.begin(), FView.end(), [&](const TRecordData* R) { return R->Id == Value; });
}

int TDataSet::CompareBookmarks(TBookmark A, TBookmark B) const {
    auto Pos = [&](TBookmark V) {
        for (size_t I = 0; I < FView.size(); ++I)
            if (FView[I]->Id == V) return static_cast<int>(I);
        return -1;
    };
    if (A == B) return 0;
    if (A == 0) return -1;
    if (B == 0) return 1;
    const int PA = Pos(A), PB = Pos(B);
    return PA < PB ? -1 : (PA > PB ? 1 : 0);
}

// Searching ------------------------------------------------------------

QVariantList TDataSet::KeyValueList(const QList<TField*>& Fields, const QVariant& KeyValues) const {
    QVariantList Values;
    if (Fields.size() == 1 && KeyValues.typeId() != QMetaType::QVariantList) Values << KeyValues;
    else Values = KeyValues.toList();
    if (Values.size() != Fields.size())
        DatabaseError(QString("%1: %2 values given for %3 fields").arg(Name()).arg(Values.size()).arg(Fields.size()));
    return Values;
}

int TDataSet::FindRecord(const QList<TField*>& Fields, const QVariantList& Values, TLocateOptions Options) const {
    const bool CaseIns = Options & loCaseInsensitive, Partial = Options & loPartialKey;
    struct TKey {
        const TField* Field;
        QVariant Value;
        bool Prefix;
    };
    std::vector<TKey> Keys;
    for (int I = 0; I < Fields.size(); ++I) {
        const bool Prefix = Partial && IsStringType(Fields[I]->DataType());
        QVariant V = Values[I];
        if (!VarIsClear(V)) {
            try {
                V = ConvertValue(V, Fields[I]->DataType());
            } catch (const EDatabaseError&) {
                return -1;  // a value the field cannot hold matches no row
            }
            if (V.typeId() == QMetaType::QString && V.toString().isEmpty() && !Prefix) V = Null();
        } else {
            V = Null();
        }
        Keys.push_back(TKey{Fields[I], V, Prefix});
    }
    const Qt::CaseSensitivity Cs = CaseIns ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (size_t R = 0; R < FView.size(); ++R) {
        bool Match = true;
        for (const TKey& K : Keys) {
            const QVariant V = RecordValue(*FView[R], K.Field);
            if (VarIsClear(K.Value)) Match = VarIsClear(V);
            else if (VarIsClear(V)) Match = false;
            else if (K.Prefix) Match = V.toString().startsWith(K.Value.toString(), Cs);
            else if (V.typeId() == QMetaType::QString && K.Value.typeId() == QMetaType::QString)
                Match = V.toString().compare(K.Value.toString(), Cs) == 0;
            else Match = CompareValues(V, K.Value, CaseIns) == 0;
            if (!Match) break;
        }
        if (Match) return static_cast<int>(R);
    }
    return -1;
}

bool TDataSet::Locate(const QString& KeyFields, const QVariant& KeyValues, TLocateOptions Options) {
    CheckBrowseMode();
    const QList<TField*> Fields = FieldsOf(KeyFields);
    const QVariantList Values = KeyValueList(Fields, KeyValues);
    Fire(BeforeScroll, this);
    const int Found = FindRecord(Fields, Values, Options);
    if (Found < 0) return false;
    FCurrent = Found;
    FBof = FEof = false;
    DataEvent(deDataSetChange);
    Fire(AfterScroll, this);
    return true;
}

QVariant TDataSet::Lookup(const QString& KeyFields, const QVariant& KeyValues, const QString& ResultFields) {
    CheckActive();
    const QList<TField*> Fields = FieldsOf(KeyFields);
    const int Found = FindRecord(Fields, KeyValueList(Fields, KeyValues), 0);
    if (Found < 0) return Null();
    const QList<TField*> Results = FieldsOf(ResultFields);
    if (Results.size() == 1) return RecordValue(*FView[Found], Results[0]);
    QVariantList Out;
    for (TField* F : Results) Out << RecordValue(*FView[Found], F);
    return Out;
}

// Filtering --------------------------------------------------------------

void TDataSet::SetFilter(const QString& Value) {
    if (Value == FFilterText && (FFilterExpr || Value.trimmed().isEmpty())) return;
    std::unique_ptr<TFilterExpression> Expr;
    if (!Value.trimmed().isEmpty()) Expr = std::make_unique<TFilterExpression>(Value);
    if (Active() && FFiltered) CheckBrowseMode();
    FFilterExpr = std::move(Expr);
    FFilterText = Value;
    FFilterFields.clear();
    if (Active() && FFiltered) {
        ParseFilter();
        ResetView();
        DataEvent(deDataSetChange);
    }
}

void TDataSet::SetFiltered(bool Value) {
    if (Value == FFiltered) return;
    if (Active()) CheckBrowseMode();
    FFiltered = Value;
    if (Active()) {
        if (Value) ParseFilter();
        ResetView();
        DataEvent(deDataSetChange);
    }
}

void TDataSet::SetFilterOptions(TFilterOptions Value) {
    if (Value == FFilterOptions) return;
    if (Active()) CheckBrowseMode();
    FFilterOptions = Value;
    if (Active() && FFiltered) {
        ResetView();
        DataEvent(deDataSetChange);
    }
}

bool TDataSet::RefreshCurrentFrom(const TDataPacket& Packet, QStringList KeyNames) {
    TRecordData* Rec = CurrentRecord();
    if (!Rec) return false;
    if (KeyNames.isEmpty())
        for (const TFieldDef& Def : Packet.FieldDefs)
            if (!IsBlobType(Def.DataType)) KeyNames << Def.Name;
    std::vector<std::pair<int, int>> Keys;  // packet column, slot
    for (const QString& Key : KeyNames) {
        const int C = Packet.FieldDefs.IndexOf(Key), S = FFieldDefs.IndexOf(Key);
        if (C >= 0 && S >= 0) Keys.emplace_back(C, S);
    }
    const std::vector<QVariant>& Current = Rec->Original.empty() ? Rec->Values : Rec->Original;
    for (const TDataPacket::TRow& Row : Packet.Rows) {
        const bool Match = std::all_of(Keys.begin(), Keys.end(), [&](const auto& K) {
            return CompareValues(ConvertValue(Row.Values[K.first], FFieldDefs[K.second].DataType), Current[K.second]) == 0;
        });
        if (!Match) continue;
        for (int C = 0; C < Packet.FieldDefs.Count(); ++C)
            if (const int S = FFieldDefs.IndexOf(Packet.FieldDefs[C].Name); S >= 0)
                Rec->Values[S] = ConvertValue(Row.Values[C], FFieldDefs[S].DataType);
        Rec->CalcValid = false;
        Resync(Rec);
        DataEvent(deDataSetChange);
        return true;
    }
    return false;
}

void TDataSet::SetStatusFilter(unsigned Value) {
    if (Value == FStatusFilter) return;
    if (Active()) CheckBrowseMode();
    FStatusFilter = Value;
    if (Active()) {
        ResetView();
        DataEvent(deDataSetChange);
    }
}

TDataPacket TDataSet::RowsPacket() const {
    return PacketOf(std::vector<const TRecordData*>(FView.begin(), FView.end()), false);
}

TDataPacket TDataSet::PacketOf(const std::vector<const TRecordData*>& Rows, bool WithChanges) const {
    TDataPacket Packet;
    Packet.FieldDefs = FFieldDefs;
    Packet.Rows.reserve(Rows.size());
    for (const TRecordData* Rec : Rows) {
        TDataPacket::TRow Row;
        Row.Values.assign(Rec->Values.begin(), Rec->Values.begin() + FFieldDefs.Count());
        Row.RecordId = Rec->Id;
        if (WithChanges) {
            Row.Original = Rec->Original;
            Row.Status = Rec->Status;
        }
        Packet.Rows.push_back(std::move(Row));
    }
    return Packet;
}

QList<TDataSet*> TDataSet::GetDetailDataSets() const {
    QList<TDataSet*> Out;
    for (TDataSource* Source : FDataSources)
        for (TDataLink* Link : Source->DataLinks())
            if (TDataSet* Detail = Link->DetailDataSet(); Detail && !Out.contains(Detail)) Out << Detail;
    return Out;
}

// Order and range --------------------------------------------------------

void TDataSet::SetIndexName(const QString& Value) {
    FIndexName = Value;
    FIndexFieldNames.clear();
    OrderChanged();
}

void TDataSet::SetIndexFieldNames(const QString& Value) {
    FIndexFieldNames = Value;
    FIndexName.clear();
    OrderChanged();
}

QString TDataSet::IndexFields() const {
    if (!FIndexFieldNames.isEmpty()) return FIndexFieldNames;
    if (FIndexName.isEmpty()) return QString();
    const TIndexDef* Def = FIndexDefs.Find(FIndexName);
    return Def ? Def->Fields : QString();
}

void TDataSet::OrderChanged() {
    if (!Active()) return;
    CheckBrowseMode();
    SortKeys();  // an unknown index raises before anything changes
    FRangeValues.clear();
    MasterChanged();
    Resync();
    DataEvent(deDataSetChange);
}

std::vector<TDataSet::TSortKey> TDataSet::SortKeys() const {
    std::vector<TSortKey> Keys;
    if (!FIndexFieldNames.isEmpty()) {
        for (const QString& Name : SplitFieldNames(FIndexFieldNames))
            Keys.push_back(TSortKey{FieldByName(Name)->FieldNo() - 1, false, false});
    } else if (!FIndexName.isEmpty()) {
        const TIndexDef* Def = FIndexDefs.Find(FIndexName);
        if (!Def) DatabaseError(QString("%1: Index '%2' not found").arg(Name(), FIndexName));
        const QStringList Desc = SplitFieldNames(Def->DescFields), CaseIns = SplitFieldNames(Def->CaseInsFields);
        for (const QString& FieldName : SplitFieldNames(Def->Fields))
            Keys.push_back(TSortKey{FieldByName(FieldName)->FieldNo() - 1,
                                    (Def->Options & ixDescending) || Desc.contains(FieldName, Qt::CaseInsensitive),
                                    (Def->Options & ixCaseInsensitive) || CaseIns.contains(FieldName, Qt::CaseInsensitive)});
    }
    for (TSortKey& K : Keys)
        if (K.Slot < 0) DatabaseError(QString("%1: Calculated fields cannot be index fields").arg(Name()));
    return Keys;
}

void TDataSet::SetMasterSource(TDataSource* Value) {
    if (Value && Value->DataSet() == this) DatabaseError("Circular datalinks are not allowed");
    FMasterSource = Value;
    FRangeValues.clear();
    FMasterLink->SetDataSource(Value);
    MasterChanged();
}

void TDataSet::SetMasterFields(const QString& Value) {
    FMasterFields = Value;
    FRangeValues.clear();
    MasterChanged();
}

bool TDataSet::HasRange() const {
    return FMasterLink->Active() && !FRangeSlots.empty();
}

QList<TField*> TDataSet::DetailKeyFields() const {
    const QStringList Masters = SplitFieldNames(FMasterFields);
    QStringList Details = SplitFieldNames(IndexFields());
    if (Details.isEmpty()) Details = Masters;  // same names on both sides
    QList<TField*> Out;
    for (int I = 0; I < Masters.size() && I < Details.size(); ++I) Out << FieldByName(Details[I]);
    return Out;
}

QVariantList TDataSet::MasterValues() const {
    QVariantList Out;
    TDataSet* Master = FMasterLink->DataSet();
    if (!Master || !Master->Active()) return Out;
    for (const QString& Name : SplitFieldNames(FMasterFields)) Out << Master->FieldByName(Name)->Value();
    return Out;
}

void TDataSet::ComputeRange(std::vector<int>& Slots, QVariantList& Values) const {
    Slots.clear();
    Values.clear();
    if (FMasterLink->Active() && !FMasterFields.isEmpty()) {
        const QList<TField*> Keys = DetailKeyFields();
        const QVariantList Masters = MasterValues();
        for (int I = 0; I < Keys.size() && I < Masters.size(); ++I) {
            Slots.push_back(Keys[I]->FieldNo() - 1);
            QVariant V = Masters[I];
            try {
                V = ConvertValue(V, Keys[I]->DataType());
            } catch (const EDatabaseError&) {
                // A master value the detail key cannot hold matches no row.
            }
            Values << V;
        }
    }
}

void TDataSet::MasterChanged() {
    if (!Active()) return;
    std::vector<int> Slots;
    QVariantList Values;
    ComputeRange(Slots, Values);
    bool Same = Slots == FRangeSlots && Values.size() == FRangeValues.size() && !FRangeValues.isEmpty();
    for (int I = 0; Same && I < Values.size(); ++I)
        Same = CompareValues(Values[I], FRangeValues[I]) == 0 && VarIsClear(Values[I]) == VarIsClear(FRangeValues[I]);
    if (Same) return;
    if (State() == dsEdit || State() == dsInsert) CheckBrowseMode();
    FRangeSlots = Slots;
    FRangeValues = Values;
    ResetView();
    First();
}

bool TDataSet::RecordInRange(const TRecordData& Record) const {
    if (!HasRange()) return true;
    for (size_t I = 0; I < FRangeSlots.size(); ++I) {
        if (CompareValues(Record.Values[FRangeSlots[I]], FRangeValues[static_cast<int>(I)]) != 0) return false;
    }
    return true;
}

void TDataSet::InitRecord(std::vector<QVariant>& Values) {
    if (!HasRange()) return;
    for (size_t I = 0; I < FRangeSlots.size(); ++I) Values[FRangeSlots[I]] = FRangeValues[static_cast<int>(I)];
}

}  // namespace platform::data
