#pragma once
// A plain read-only data-aware grid: one column per visible field of the
// linked dataset, one row per record, the current row following the
// dataset's cursor both ways. Cells may show a picture of an image list
// instead of their text.
#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <memory>
#include <vector>

#include "platform/data/DB.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ImgList.h"

namespace platform::ui {

class TDBReadOnlyGrid : public QTableView, public TControlMembers<TDBReadOnlyGrid> {
    Q_OBJECT
public:
    explicit TDBReadOnlyGrid(QWidget* AParent = nullptr);
    ~TDBReadOnlyGrid() override;

    platform::data::TDataSource* DataSource() const;
    void SetDataSource(platform::data::TDataSource* Value);

    // Columns are the dataset's visible fields, in field order.
    int ColumnCount() const { return static_cast<int>(FColumns.size()); }
    platform::data::TField* ColumnField(int Index) const { return FColumns.at(Index); }
    int ColumnIndexOf(const QString& FieldName) const;
    int ColumnWidth(int Index) const { return columnWidth(Index); }
    void SetColumnWidth(int Index, int Width) { setColumnWidth(Index, Width); }
    // The field of the selected column; none when there are no columns.
    platform::data::TField* SelectedField() const;
    void SetSelectedField(platform::data::TField* Field);
    // The rows' display texts as the grid shows them.
    QString CellText(int Row, int Column) const;

    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* Value);
    // A cell shows picture ImageIndex (when set to 0 or more) instead of its
    // text; asked while the dataset stands on the cell's record.
    std::function<void(TDBReadOnlyGrid* Sender, platform::data::TField* Field, int& ImageIndex)> OnGetImageIndex;

protected:
    void currentChanged(const QModelIndex& Current, const QModelIndex& Previous) override;

private:
    class TGridLink;
    class TGridModel;
    friend class TGridModel;
    // Reads every row of the dataset again, keeping its cursor.
    void ReadRows();
    void ReadRecords(platform::data::TDataSet& DataSet);
    void FollowCursor();

    std::unique_ptr<TGridLink> FLink;
    TGridModel* FModel;
    QPointer<TImageList> FImages;
    std::vector<platform::data::TField*> FColumns;
    // Per row: the display text and the picture of each column.
    struct TCell {
        QString Text;
        int ImageIndex = -1;
    };
    std::vector<std::vector<TCell>> FRows;
    bool FReading = false;
};

}  // namespace platform::ui
