#pragma once
// Values and types shared by fields, datasets and links: the database error,
// Null and Unassigned, field types with their conversions and comparison, and
// the enumerations of dataset states and events. Conversions raise
// EDatabaseError naming the value that does not fit.
#include <QString>
#include <QVariant>

#include "platform/os/Exceptions.h"

namespace platform::data {

class EDatabaseError : public platform::os::Exception {
public:
    explicit EDatabaseError(const QString& Message) : Exception(Message.toStdString()) {}
    QString Text() const { return QString::fromStdString(Message()); }
};

[[noreturn]] void DatabaseError(const QString& Message);

// Field and column names match ignoring case. Folding keeps the length, and names that differ mostly differ in
// length or first letter, which are checked before the whole fold: lookups by name run for every edited row.
inline bool SameName(const QString& A, const QString& B) {
    if (A.size() != B.size()) return false;
    if (A.isEmpty()) return true;
    const char16_t First = A.front().unicode(), Other = B.front().unicode();
    if (First != Other && First < 0x80 && Other < 0x80) {
        const char16_t Lower = First | 0x20;
        if (Lower != (Other | 0x20) || Lower < u'a' || Lower > u'z') return false;
    }
    return A.compare(B, Qt::CaseInsensitive) == 0;
}

// Null is a valid variant that holds nothing; Unassigned is the invalid variant.
QVariant Null();
inline bool VarIsNull(const QVariant& V) { return V.isValid() && V.isNull(); }
inline bool VarIsEmpty(const QVariant& V) { return !V.isValid(); }
// The invalid variant counts as null too: one call, as this runs for every value written or compared.
inline bool VarIsClear(const QVariant& V) { return V.isNull(); }

// Numbered as the original enumeration; stored numbers depend on it.
enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate,
    ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo,
    ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT,
    ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid,
    ftTimeStamp, ftFMTBcd
};

bool IsIntegerType(TFieldType T);
bool IsFloatType(TFieldType T);
inline bool IsNumericType(TFieldType T) { return IsIntegerType(T) || IsFloatType(T); }
bool IsStringType(TFieldType T);
bool IsDateTimeType(TFieldType T);
bool IsBlobType(TFieldType T);
// The variant type a value of the field type is held in (UnknownType: any).
int VariantTypeOf(TFieldType Type);
// The variant held for a value of the type: conversions, comparisons and
// storage all go through it so that equal values compare equal.
QVariant ConvertValue(const QVariant& Value, TFieldType Type);
// Nulls first; strings in dictionary order, optionally ignoring case.
int CompareValues(const QVariant& A, const QVariant& B, bool CaseInsensitive = false);

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TProviderFlag : unsigned { pfInUpdate = 1, pfInWhere = 2, pfInKey = 4, pfHidden = 8 };
using TProviderFlags = unsigned;

enum TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsOldValue,
    dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};
enum TDataAction { daFail, daAbort, daRetry };
enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TDataEvent {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
    deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl
};
enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;
enum TFilterOption : unsigned { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = unsigned;

}  // namespace platform::data
