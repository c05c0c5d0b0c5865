#include "platform/data/Field.h"

#include <QStringList>
#include <algorithm>

#include "platform/data/DB.h"
#include "platform/data/Formats.h"

namespace platform::data {

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

TDataSet* TField::LookupDataSet() const { return FLookupDataSet.data(); }

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

}  // namespace platform::data
