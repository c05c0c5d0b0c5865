#include <QTest>
#include <gtest/gtest.h>

#include "controls/VexButton.h"
#include "controls/VexMessageEx.h"
#include "controls/tests/MessageBoxTesting.h"
#include "databound/CamposWnd.h"
#include "databound/Grade.h"
#include "databound/GridDialogs.h"
#include "platform/ui/tests/DataControlsTesting.h"

using namespace databound;
using namespace controls;
using platform::ui::TMenuItem;

namespace {

// Registers the grid's windows for one test and takes them away after it.
class GridDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        FPresenter = SetMessageListPresenter(nullptr);
        RegisterGridDialogs();
    }
    void TearDown() override {
        SetMessageListPresenter(FPresenter);
        TVexDBGrid::SetColumnDialogOpener(nullptr);
        TVexDBGrid::SetFullGridOpener(nullptr);
    }

private:
    TMessageListPresenter FPresenter;
};

TMenuItem* Entry(TVexDBGrid& Grid, bool Full, const QString& Caption) {
    Grid.BuildTitleMenu(Full);
    for (TMenuItem* Item : Grid.TitlePopup()->Items()->Children())
        if (Item->Caption() == Caption) return Item;
    return nullptr;
}

}  // namespace

TEST_F(GridDialogs, ABatchOfSeveralMessagesListsThemOnTheLibrarysGridWithAPicturePerKind) {
    TMessageQueue Queue;
    Queue.BeginMessages();
    Queue.AddMessage("Campo obrigatório", "Nome", dkWarning, 4, 0, 0);
    Queue.AddMessage("Falha ao gravar", "Chave duplicada", dkError, 4, 0, 0);
    Queue.AddMessage("Registro gravado", "", dkInformation, 4, 0, 0);
    bool Shown = false;
    WhenShows<TfrmVexMessageEx>([&Shown](TfrmVexMessageEx& Box) {
        auto* Grid = qobject_cast<TVexDBGrid*>(Box.grdMensagem);
        ASSERT_NE(Grid, nullptr);
        Shown = true;
        EXPECT_TRUE(Grid->ReadOnly());
        ASSERT_EQ(Grid->Columns().Count(), 2);
        EXPECT_EQ(Grid->Columns()[0]->Field()->FieldName(), "Tipo");
        EXPECT_EQ(Grid->Columns()[1]->Field()->FieldName(), "Mensagem");
        EXPECT_EQ(Grid->SelectedField()->FieldName(), "Mensagem");
        EXPECT_EQ(Grid->Columns()[1]->Width(),
                  Grid->ClientAreaWidth() - Grid->Columns()[0]->Width() - 16);
        const QStringList Texts = {"Campo obrigatório", "Falha ao gravar", "Registro gravado"};
        for (int Row = 0; Row < 3; ++Row) {
            SCOPED_TRACE(Row);
            EXPECT_EQ(Grid->CellText(Row, 1), Texts[Row]);
            Box.cdsMensagem->SetRecNo(Row + 1);
            int Image = -1;
            Grid->OnGetImageIndex(Grid, Grid->Columns()[0], Image);
            EXPECT_EQ(Image, 2 - Row) << "warning, error and information pictures";
        }
        Box.cdsMensagem->First();
        QCoreApplication::processEvents();
        if (const QString Out = qEnvironmentVariable("VEX_MESSAGE_GRID_OUT"); !Out.isEmpty()) {
            EXPECT_TRUE(Box.grab().save(Out, "PNG"));
        }
        QTest::mouseClick(Box.btnOk, Qt::LeftButton);
    });
    Queue.EndMessages(false);
    EXPECT_EQ(Queue.FlushMessages(), platform::ui::mrOk);
    EXPECT_TRUE(Shown);
}

TEST_F(GridDialogs, TheTitleMenuOpensTheColumnDialogAndWithShiftTheFullGrid) {
    testing_data::TPeople People;
    TVexDBGrid Grid;
    Grid.SetDataSource(&People.Source);
    EXPECT_EQ(Entry(Grid, false, "Abrir grade completa"), nullptr);
    TMenuItem* Customize = Entry(Grid, false, "Personalizar...");
    ASSERT_NE(Customize, nullptr);
    EXPECT_FALSE(Customize->Bitmap().isNull());
    bool Opened = false;
    WhenShows<TfrmCamposWnd>([&Opened](TfrmCamposWnd& Dialog) {
        Opened = true;
        Dialog.Close();
    });
    Customize->Click();
    EXPECT_TRUE(Opened);

    TMenuItem* Full = Entry(Grid, true, "Abrir grade completa");
    ASSERT_NE(Full, nullptr);
    Opened = false;
    WhenShows<TfrmGrade>([&Opened](TfrmGrade& Form) {
        Opened = true;
        Form.Close();
    });
    Full->Click();
    EXPECT_TRUE(Opened);
}
