#include "platform/ui/DBGrids.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QScopedValueRollback>

namespace platform::ui {

using platform::data::TDataSource;
using platform::data::TField;

class TDBReadOnlyGrid::TGridLink : public platform::data::TDataLink {
public:
    explicit TGridLink(TDBReadOnlyGrid* Grid) : FGrid(Grid) {}

protected:
    void ActiveChanged() override { FGrid->ReadRows(); }
    void DataSetChanged() override { FGrid->ReadRows(); }
    void DataSetScrolled(int) override { FGrid->FollowCursor(); }
    void RecordChanged(TField*) override { FGrid->ReadRows(); }
    void LayoutChanged() override { FGrid->ReadRows(); }

private:
    TDBReadOnlyGrid* FGrid;
};

class TDBReadOnlyGrid::TGridModel : public QAbstractTableModel {
public:
    explicit TGridModel(TDBReadOnlyGrid* Grid) : QAbstractTableModel(Grid), FGrid(Grid) {}

    int rowCount(const QModelIndex& Parent) const override {
        return Parent.isValid() ? 0 : static_cast<int>(FGrid->FRows.size());
    }
    int columnCount(const QModelIndex& Parent) const override { return Parent.isValid() ? 0 : FGrid->ColumnCount(); }

    QVariant data(const QModelIndex& Index, int Role) const override {
        const TCell& Cell = FGrid->FRows.at(Index.row()).at(Index.column());
        if (Role == Qt::DisplayRole) return Cell.ImageIndex >= 0 ? QString() : Cell.Text;
        if (Role == Qt::DecorationRole && Cell.ImageIndex >= 0 && FGrid->FImages)
            return FGrid->FImages->GetBitmap(Cell.ImageIndex, FGrid->palette().color(QPalette::Base));
        if (Role == Qt::TextAlignmentRole) return AlignmentOf(FGrid->ColumnField(Index.column())->Alignment());
        return {};
    }

    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override {
        if (Orientation == Qt::Horizontal && Role == Qt::DisplayRole && Section < FGrid->ColumnCount())
            return FGrid->ColumnField(Section)->DisplayLabel();
        return QAbstractTableModel::headerData(Section, Orientation, Role);
    }

    Qt::ItemFlags flags(const QModelIndex& Index) const override {
        return Index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    using QAbstractTableModel::beginResetModel;
    using QAbstractTableModel::endResetModel;

private:
    static int AlignmentOf(platform::data::TAlignment Value) {
        switch (Value) {
            case platform::data::taRightJustify: return Qt::AlignRight | Qt::AlignVCenter;
            case platform::data::taCenter: return Qt::AlignCenter;
            default: return Qt::AlignLeft | Qt::AlignVCenter;
        }
    }

    TDBReadOnlyGrid* FGrid;
};

TDBReadOnlyGrid::TDBReadOnlyGrid(QWidget* AParent)
    : QTableView(AParent), FLink(std::make_unique<TGridLink>(this)), FModel(new TGridModel(this)) {
    setModel(FModel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    setWordWrap(false);
}

TDBReadOnlyGrid::~TDBReadOnlyGrid() {
    // The link goes first so that no dataset event reaches a half-destroyed grid.
    FLink.reset();
}

TDataSource* TDBReadOnlyGrid::DataSource() const { return FLink->DataSource(); }

void TDBReadOnlyGrid::SetDataSource(TDataSource* Value) {
    {
        // Read once below, whatever the link reports on the way.
        const QScopedValueRollback<bool> Reading(FReading, true);
        FLink->SetDataSource(Value);
    }
    ReadRows();
}

void TDBReadOnlyGrid::SetImages(TImageList* Value) {
    FImages = Value;
    ReadRows();
}

int TDBReadOnlyGrid::ColumnIndexOf(const QString& FieldName) const {
    for (int I = 0; I < ColumnCount(); ++I)
        if (FColumns[I]->FieldName().compare(FieldName, Qt::CaseInsensitive) == 0) return I;
    return -1;
}

TField* TDBReadOnlyGrid::SelectedField() const {
    if (FColumns.empty()) return nullptr;
    const int Column = currentIndex().isValid() ? currentIndex().column() : 0;
    return FColumns.at(Column);
}

void TDBReadOnlyGrid::SetSelectedField(TField* Field) {
    for (int I = 0; I < ColumnCount(); ++I)
        if (FColumns[I] == Field) {
            const int Row = currentIndex().isValid() ? currentIndex().row() : 0;
            if (Row < static_cast<int>(FRows.size())) setCurrentIndex(FModel->index(Row, I));
            return;
        }
}

QString TDBReadOnlyGrid::CellText(int Row, int Column) const { return FRows.at(Row).at(Column).Text; }

void TDBReadOnlyGrid::ReadRows() {
    // Walking the rows would post or cancel a record being edited: the grid
    // reads again once the dataset is back in browse mode.
    if (FReading || (FLink->Active() && FLink->DataSet()->State() != platform::data::dsBrowse)) return;
    const QString Selected = SelectedField() ? SelectedField()->FieldName() : QString();
    const std::vector<TField*> OldColumns = FColumns;
    {
        const QScopedValueRollback<bool> Reading(FReading, true);
        FModel->beginResetModel();
        FColumns.clear();
        FRows.clear();
        try {
            if (FLink->Active() && FLink->DataSet()) ReadRecords(*FLink->DataSet());
        } catch (...) {
            FRows.clear();
            FModel->endResetModel();
            throw;
        }
        FModel->endResetModel();
    }
    if (FColumns != OldColumns) {
        const QFontMetrics Metrics(font());
        for (int I = 0; I < ColumnCount(); ++I)
            setColumnWidth(I, FColumns[I]->DisplayWidth() * Metrics.averageCharWidth() + 4);
    }
    FollowCursor();
    if (const int Column = ColumnIndexOf(Selected); Column >= 0) SetSelectedField(FColumns[Column]);
}

void TDBReadOnlyGrid::ReadRecords(platform::data::TDataSet& DataSet) {
    for (TField* Field : DataSet.FieldList())
        if (Field->Visible()) FColumns.push_back(Field);
    // Walking the rows must not show: the controls see the cursor only where it was.
    struct TControlsOff {
        platform::data::TDataSet& DataSet;
        ~TControlsOff() { DataSet.EnableControls(); }
    };
    const platform::data::TBookmark Mark = DataSet.GetBookmark();
    DataSet.DisableControls();
    const TControlsOff Restore{DataSet};
    for (DataSet.First(); !DataSet.Eof(); DataSet.Next()) {
        std::vector<TCell> Row;
        for (TField* Field : FColumns) {
            TCell Cell{Field->DisplayText(), -1};
            if (OnGetImageIndex) OnGetImageIndex(this, Field, Cell.ImageIndex);
            Row.push_back(Cell);
        }
        FRows.push_back(std::move(Row));
    }
    if (DataSet.BookmarkValid(Mark)) DataSet.GotoBookmark(Mark);
}

void TDBReadOnlyGrid::FollowCursor() {
    platform::data::TDataSet* DataSet = FLink->Active() ? FLink->DataSet() : nullptr;
    if (FReading || !DataSet || DataSet->IsEmpty()) return;
    const int Row = DataSet->RecNo() - 1;
    if (Row < 0 || Row >= static_cast<int>(FRows.size())) return;
    const int Column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QScopedValueRollback<bool> Reading(FReading, true);
    setCurrentIndex(FModel->index(Row, Column));
}

void TDBReadOnlyGrid::currentChanged(const QModelIndex& Current, const QModelIndex& Previous) {
    QTableView::currentChanged(Current, Previous);
    platform::data::TDataSet* DataSet = FLink->Active() ? FLink->DataSet() : nullptr;
    if (FReading || !DataSet || !Current.isValid() || Current.row() == Previous.row()) return;
    DataSet->SetRecNo(Current.row() + 1);
}

}  // namespace platform::ui
