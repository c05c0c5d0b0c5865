#pragma once
// The columns of a data grid. A column shows one field by name; what it does
// not set itself (title caption, alignment, width) it takes from the field.
// Without persistent columns the grid builds default columns, one per
// visible field, again whenever the dataset's fields change.
#include <QColor>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/data/DB.h"
#include "platform/ui/Graphics.h"

namespace platform::ui {

class TDBGridColumns;

// An ellipsis editor shows a button that raises the grid's OnEditButtonClick;
// the automatic style shows the pick list when the column has one.
enum TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };

class TColumnTitle {
public:
    explicit TColumnTitle(class TColumn* Column) : FColumn(Column) {}
    // The field's display label unless set.
    QString Caption() const;
    void SetCaption(const QString& Value);
    platform::data::TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(platform::data::TAlignment Value);
    // The grid's title font unless set.
    std::optional<TFont> Font() const { return FFont; }
    void SetFont(const TFont& Value);

private:
    TColumn* FColumn;
    std::optional<QString> FCaption;
    platform::data::TAlignment FAlignment = platform::data::taLeftJustify;
    std::optional<TFont> FFont;
};

class TColumn {
public:
    explicit TColumn(TDBGridColumns* Owner);
    TColumn(const TColumn&) = delete;
    TColumn& operator=(const TColumn&) = delete;
    virtual ~TColumn() = default;

    TDBGridColumns* Collection() const { return FOwner; }
    // Position among the grid's columns; setting it moves the column.
    int Index() const;
    void SetIndex(int Value);

    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    // The dataset's field of that name; none while the dataset is closed or lacks it.
    platform::data::TField* Field() const;

    TColumnTitle& Title() { return FTitle; }
    const TColumnTitle& Title() const { return FTitle; }
    // Pixels; from the field's display width unless set.
    int Width() const;
    void SetWidth(int Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    // Read-only also when the field is.
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    platform::data::TAlignment Alignment() const;
    void SetAlignment(platform::data::TAlignment Value);
    QStringList PickList() const { return FPickList; }
    void SetPickList(const QStringList& Value) { FPickList = Value; }
    TColumnButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TColumnButtonStyle Value) { FButtonStyle = Value; }
    // The grid's colour unless set.
    std::optional<QColor> Color() const { return FColor; }
    void SetColor(QColor Value);
    std::optional<TFont> Font() const { return FFont; }
    void SetFont(const TFont& Value);
    // Whether the editor of the column offers its pick list.
    bool HasPickList() const { return FButtonStyle == cbsAuto && !FPickList.isEmpty(); }

private:
    friend class TColumnTitle;
    friend class TDBGridColumns;
    void Changed();

    TDBGridColumns* FOwner;
    QString FFieldName;
    TColumnTitle FTitle;
    std::optional<int> FWidth;
    bool FVisible = true;
    bool FReadOnly = false;
    std::optional<platform::data::TAlignment> FAlignment;
    QStringList FPickList;
    TColumnButtonStyle FButtonStyle = cbsAuto;
    std::optional<QColor> FColor;
    std::optional<TFont> FFont;
};

enum TDBGridColumnsState { csDefault, csCustomized };

class TDBGridColumns {
public:
    // Changed runs after any change of a column or of the list.
    TDBGridColumns(std::function<platform::data::TDataSet*()> DataSet, std::function<int(int Chars)> CharsToPixels,
                   std::function<void()> Changed);

    int Count() const { return static_cast<int>(FItems.size()); }
    TColumn* Items(int Index) const { return FItems.at(Index).get(); }
    TColumn* operator[](int Index) const { return Items(Index); }
    // A persistent column: the columns are then customized and stay.
    TColumn* Add();
    void Delete(int Index);
    void Clear();
    void Move(int From, int To);
    int IndexOf(const TColumn* Column) const;
    // The first column showing FieldName (ignoring case); -1 when none.
    int IndexOfField(const QString& FieldName) const;
    TDBGridColumnsState State() const { return FState; }
    // Back to default columns, built from the dataset's visible fields.
    void RestoreDefaults();
    // Default columns follow the fields; customized ones keep their list.
    void RebuildDefaults();

    // Grids with columns of their own kind create them through this.
    void SetColumnFactory(std::function<std::unique_ptr<TColumn>(TDBGridColumns*)> Value) {
        FColumnFactory = std::move(Value);
    }

    platform::data::TDataSet* DataSet() const { return FDataSet(); }
    int CharsToPixels(int Chars) const { return FCharsToPixels(Chars); }
    void Changed() const { FChanged(); }

private:
    std::unique_ptr<TColumn> NewColumn();

    std::function<platform::data::TDataSet*()> FDataSet;
    std::function<int(int)> FCharsToPixels;
    std::function<void()> FChanged;
    std::function<std::unique_ptr<TColumn>(TDBGridColumns*)> FColumnFactory;
    std::vector<std::unique_ptr<TColumn>> FItems;
    TDBGridColumnsState FState = csDefault;
};

}  // namespace platform::ui
