#pragma once
// A field of a dataset: its type and display properties, the value of the
// dataset's current row through the As... accessors, and its texts for editing
// and display. Values that do not fit the type raise EDatabaseError naming the field.
#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>

#include "platform/data/DataTypes.h"

namespace platform::data {

class TDataSet;

class TField : public QObject {
    Q_OBJECT
public:
    // A persistent field: created before the dataset opens and bound then.
    TField(TDataSet* DataSet, const QString& FieldName, TFieldType DataType, int Size = 0,
           TFieldKind Kind = fkData);
    ~TField() override;

    TDataSet* DataSet() const { return FDataSet; }
    const QString& FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value) { FFieldName = Value; }
    TFieldType DataType() const { return FDataType; }
    TFieldKind FieldKind() const { return FFieldKind; }
    bool Calculated() const { return FFieldKind != fkData; }
    int Size() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }
    int Index() const;  // position among the dataset's fields
    int FieldNo() const { return FFieldNo; }

    QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const QString& Value) { FDisplayLabel = Value; }
    QString DisplayName() const { return DisplayLabel(); }
    QString Origin() const { return FOrigin; }
    void SetOrigin(const QString& Value) { FOrigin = Value; }
    TProviderFlags ProviderFlags() const { return FProviderFlags; }
    void SetProviderFlags(TProviderFlags Value) { FProviderFlags = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool Required() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    int DisplayWidth() const;
    void SetDisplayWidth(int Value) { FDisplayWidth = Value; }
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& Value);
    QString EditFormat() const { return FEditFormat; }
    void SetEditFormat(const QString& Value) { FEditFormat = Value; }
    QString EditMask() const { return FEditMask; }
    void SetEditMask(const QString& Value) { FEditMask = Value; }
    // "True;False" by default: texts shown and accepted for Boolean fields.
    QString DisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const QString& Value) { FDisplayValues = Value; }
    QString DefaultExpression() const { return FDefaultExpression; }
    void SetDefaultExpression(const QString& Value) { FDefaultExpression = Value; }

    // Lookup fields: the value of LookupResultField in LookupDataSet where
    // LookupKeyFields equal this dataset's KeyFields.
    TDataSet* LookupDataSet() const;
    void SetLookupDataSet(TDataSet* Value);
    QString KeyFields() const { return FKeyFields; }
    void SetKeyFields(const QString& Value) { FKeyFields = Value; }
    QString LookupKeyFields() const { return FLookupKeyFields; }
    void SetLookupKeyFields(const QString& Value) { FLookupKeyFields = Value; }
    QString LookupResultField() const { return FLookupResultField; }
    void SetLookupResultField(const QString& Value) { FLookupResultField = Value; }

    QVariant Value() const;
    void SetValue(const QVariant& Value);
    bool IsNull() const { return VarIsClear(Value()); }
    void Clear() { SetValue(Null()); }
    QVariant OldValue() const;
    // The changed value of a row in the change log; Unassigned when unchanged.
    QVariant NewValue() const;
    void SetNewValue(const QVariant& Value) { SetValue(Value); }

    QString AsString() const;
    void SetAsString(const QString& Value);
    int AsInteger() const;
    void SetAsInteger(int Value) { SetValue(Value); }
    qlonglong AsLargeInt() const;
    void SetAsLargeInt(qlonglong Value) { SetValue(Value); }
    double AsFloat() const;
    void SetAsFloat(double Value) { SetValue(Value); }
    double AsCurrency() const { return AsFloat(); }
    void SetAsCurrency(double Value) { SetValue(Value); }
    bool AsBoolean() const;
    void SetAsBoolean(bool Value) { SetValue(Value); }
    QDateTime AsDateTime() const;
    void SetAsDateTime(const QDateTime& Value) { SetValue(Value); }
    QByteArray AsBytes() const;
    QVariant AsVariant() const { return Value(); }
    void SetAsVariant(const QVariant& Value) { SetValue(Value); }

    // Text for editing, text for display (OnGetText, then the formats).
    QString Text() const;
    void SetText(const QString& Value);
    QString DisplayText() const;

    void FocusControl();
    bool IsBlob() const { return IsBlobType(FDataType); }

    std::function<void(TField* Sender)> OnChange;
    std::function<void(TField* Sender)> OnValidate;
    std::function<void(TField* Sender, const QString& Text)> OnSetText;
    std::function<void(TField* Sender, QString& Text, bool DisplayText)> OnGetText;

private:
    friend class TDataSet;
    QString FormattedText(bool Display) const;
    QVariant ParseText(const QString& Text) const;

    TDataSet* FDataSet;
    QString FFieldName;
    TFieldType FDataType;
    TFieldKind FFieldKind;
    int FSize;
    int FPrecision = 0;
    int FFieldNo = 0;
    int FSlot = -1;  // place of the value in a row
    QString FDisplayLabel, FOrigin, FDisplayFormat, FEditFormat, FEditMask, FDefaultExpression;
    QString FDisplayValues = "True;False";
    TProviderFlags FProviderFlags = pfInUpdate | pfInWhere;
    bool FReadOnly = false;
    bool FRequired = false;
    bool FVisible = true;
    TAlignment FAlignment;
    int FDisplayWidth = 0;
    QPointer<TDataSet> FLookupDataSet;
    QString FKeyFields, FLookupKeyFields, FLookupResultField;
};

}  // namespace platform::data
