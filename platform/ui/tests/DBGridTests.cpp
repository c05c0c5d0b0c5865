#include <gtest/gtest.h>

#include "platform/data/DBClient.h"
#include "platform/ui/DBGrids.h"

using namespace platform::ui;
using namespace platform::data;

namespace {

// A table of names and kinds, the kind column hidden.
struct TPeople {
    TClientDataSet Table;
    TDataSource Source;
    TPeople() {
        new TField(&Table, "Nome", ftString, 20);
        auto* Kind = new TField(&Table, "Tipo", ftInteger);
        Kind->SetVisible(false);
        Table.CreateDataSet();
        for (const auto& [Name, Kind] : {std::pair{"Ana", 0}, {"Bia", 1}, {"Caio", 2}})
            Table.AppendRecord({QString::fromUtf8(Name), Kind});
        Table.First();
        Source.SetDataSet(&Table);
    }
};

QStringList ColumnTexts(const TDBReadOnlyGrid& Grid, int Column) {
    QStringList Texts;
    for (int Row = 0; Row < Grid.model()->rowCount(); ++Row) Texts << Grid.CellText(Row, Column);
    return Texts;
}

}  // namespace

TEST(DBReadOnlyGrid, ShowsVisibleFieldsOfEveryRowAndKeepsTheCursor) {
    TPeople People;
    People.Table.SetRecNo(2);
    TDBReadOnlyGrid Grid;
    Grid.SetDataSource(&People.Source);
    ASSERT_EQ(Grid.ColumnCount(), 1);
    EXPECT_EQ(Grid.ColumnField(0)->FieldName(), "Nome");
    EXPECT_EQ(ColumnTexts(Grid, 0), QStringList({"Ana", "Bia", "Caio"}));
    EXPECT_EQ(People.Table.RecNo(), 2);
    EXPECT_EQ(Grid.currentIndex().row(), 1);
    EXPECT_EQ(Grid.ColumnIndexOf("nome"), 0);
    EXPECT_EQ(Grid.ColumnIndexOf("Tipo"), -1);
}

TEST(DBReadOnlyGrid, FollowsChangesAndMovesTheDataSet) {
    TPeople People;
    TDBReadOnlyGrid Grid;
    Grid.SetDataSource(&People.Source);
    People.Table.Last();
    EXPECT_EQ(Grid.currentIndex().row(), 2);
    People.Table.Append();
    People.Table.FieldByName("Nome")->SetAsString("Davi");
    People.Table.Post();
    EXPECT_EQ(ColumnTexts(Grid, 0), QStringList({"Ana", "Bia", "Caio", "Davi"}));
    Grid.setCurrentIndex(Grid.model()->index(0, 0));
    EXPECT_EQ(People.Table.FieldByName("Nome")->AsString(), "Ana");
    People.Table.Close();
    EXPECT_EQ(Grid.ColumnCount(), 0);
    EXPECT_EQ(Grid.model()->rowCount(), 0);
}

TEST(DBReadOnlyGrid, AsksForPicturesOnTheCellsRecord) {
    TPeople People;
    TImageList Images;
    Images.Add(QImage(16, 16, QImage::Format_ARGB32));
    TDBReadOnlyGrid Grid;
    Grid.SetImages(&Images);
    QStringList Asked;
    Grid.OnGetImageIndex = [&](TDBReadOnlyGrid*, TField* Field, int& ImageIndex) {
        Asked << Field->DataSet()->FieldByName("Nome")->AsString();
        if (Field->DataSet()->FieldByName("Tipo")->AsInteger() == 1) ImageIndex = 0;
    };
    Grid.SetDataSource(&People.Source);
    EXPECT_EQ(Asked, QStringList({"Ana", "Bia", "Caio"}));
    const QModelIndex Pictured = Grid.model()->index(1, 0);
    EXPECT_TRUE(Grid.model()->data(Pictured, Qt::DisplayRole).toString().isEmpty());
    EXPECT_FALSE(Grid.model()->data(Pictured, Qt::DecorationRole).isNull());
    EXPECT_EQ(Grid.model()->data(Grid.model()->index(0, 0), Qt::DisplayRole).toString(), "Ana");
    EXPECT_EQ(Grid.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Nome");
}

TEST(DBReadOnlyGrid, ForgetsADataSourceThatGoes) {
    TDBReadOnlyGrid Grid;
    {
        TPeople People;
        Grid.SetDataSource(&People.Source);
        EXPECT_EQ(Grid.model()->rowCount(), 3);
    }
    EXPECT_EQ(Grid.DataSource(), nullptr);
    EXPECT_EQ(Grid.model()->rowCount(), 0);
}
