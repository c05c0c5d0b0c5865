#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "controls/VexButton.h"
#include "controls/VexMessageEx.h"
#include "MessageBoxTesting.h"

using namespace controls;

namespace {

void WhenListShows(std::function<void(TfrmVexMessageEx& Box)> Action) {
    WhenShows<TfrmVexMessageEx>(std::move(Action));
}

const std::vector<TMessageItem> ThreeMessages = {
    {"Campo obrigatório", "Nome", dkWarning, 4, 0, 0},
    {"Falha ao gravar", "Chave duplicada", dkError, 4, 0, 0},
    {"Registro gravado", "", dkInformation, 4, 0, 0},
};

int MessageColumnFit(const TfrmVexMessageEx& Box) {
    const platform::ui::TCustomDBGrid& Grid = *Box.grdMensagem;
    return Grid.ClientAreaWidth() - Grid.Columns()[Grid.Columns().IndexOfField("Tipo")]->Width() - 16;
}

}  // namespace

TEST(MessageList, ListsTheMessagesInOrderWithAPicturePerKind) {
    WhenListShows([](TfrmVexMessageEx& Box) {
        EXPECT_EQ(Box.Caption(), "Informação");
        auto* Shown = qobject_cast<platform::ui::TDBReadOnlyGrid*>(Box.grdMensagem);
        ASSERT_NE(Shown, nullptr) << "without a maker the list is the platform's read-only grid";
        const platform::ui::TDBReadOnlyGrid& Grid = *Shown;
        ASSERT_EQ(Grid.ColumnCount(), 2);
        EXPECT_EQ(Grid.ColumnField(0)->FieldName(), "Tipo");
        EXPECT_EQ(Grid.ColumnField(1)->FieldName(), "Mensagem");
        ASSERT_EQ(Grid.RowCount(), 3);
        for (int Row = 0; Row < 3; ++Row) {
            EXPECT_EQ(Grid.CellText(Row, 1), ThreeMessages[Row].Msg);
            // Warning, error and information have the pictures 2, 1 and 0 of the list.
            EXPECT_EQ(Grid.ImageIndexAt(Row, 0), 2 - Row);
        }
        EXPECT_EQ(Box.cdsMensagem->RecNo(), 1);
        EXPECT_EQ(Grid.SelectedField()->FieldName(), "Mensagem");
        EXPECT_EQ(Grid.ColumnWidth(1), MessageColumnFit(Box));
        EXPECT_EQ(Box.mmoDetalhes->toPlainText(), "Nome");
        QTest::mouseClick(Box.btnOk, Qt::LeftButton);
    });
    EXPECT_EQ(ShowMessageList(ThreeMessages), 1);
    WhenListShows([](TfrmVexMessageEx& Box) { Box.Close(); });
    EXPECT_EQ(ShowMessageList(ThreeMessages), 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* W : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<TfrmVexMessageEx*>(W), nullptr);
}

TEST(MessageList, DetailsFollowTheSelectedMessageAndTheirButton) {
    WhenListShows([](TfrmVexMessageEx& Box) {
        EXPECT_FALSE(Box.pnlDetalhes->isVisible());
        EXPECT_FALSE(Box.btnDetalhes->Checked());
        EXPECT_EQ(Box.btnDetalhes->Caption(), "&Detalhes");
        QTest::mouseClick(Box.btnDetalhes, Qt::LeftButton);
        QTimer::singleShot(0, [&Box] {
            EXPECT_TRUE(Box.isVisible()) << "details do not close the box";
            EXPECT_TRUE(Box.actDetalhes->Checked());
            EXPECT_TRUE(Box.pnlDetalhes->isVisible());
            EXPECT_GE(Box.pnlDetalhes->height(), 55);
            // The pane lies under the grid, the splitter's handle between them.
            EXPECT_GE(Box.pnlDetalhes->y(), Box.grdMensagem->y() + Box.grdMensagem->height() + 8);
            QTest::mouseClick(Box.grdMensagem, Qt::LeftButton, {}, Box.grdMensagem->CellRect(1, 1).center());
            EXPECT_EQ(Box.cdsMensagem->RecNo(), 2);
            EXPECT_EQ(Box.mmoDetalhes->toPlainText(), "Chave duplicada");
            QTest::mouseClick(Box.btnDetalhes, Qt::LeftButton);
            EXPECT_FALSE(Box.pnlDetalhes->isVisible());
            EXPECT_FALSE(Box.actDetalhes->Checked());
            QTest::keyClick(Box.focusWidget() ? Box.focusWidget() : &Box, Qt::Key_Escape);
        });
    });
    EXPECT_EQ(ShowMessageList(ThreeMessages), 1);
}

TEST(MessageList, TheMessageColumnFollowsTheSize) {
    TfrmVexMessageEx Box;
    Box.AddMessages(ThreeMessages);
    Box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Box));
    EXPECT_EQ(Box.size(), QSize(465, 284));
    const int Designed = Box.grdMensagem->Columns()[1]->Width();
    Box.resize(600, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(Box.pnlMensagem->width(), 385 + 135);
    EXPECT_EQ(Box.grdMensagem->Columns()[1]->Width(), MessageColumnFit(Box));
    EXPECT_GT(Box.grdMensagem->Columns()[1]->Width(), Designed);
    EXPECT_EQ(Box.btnOk->x(), 288 + 135);
}

TEST(MessageList, TheBatchShowsSeveralMessagesInTheExtendedBox) {
    TMessageQueue Queue;
    Queue.BeginMessages();
    Queue.AddMessage("um", "", dkWarning, 4, 0, 0);
    Queue.AddMessage("dois", "", dkError, 4, 0, 0);
    QStringList Listed;
    WhenListShows([&Listed](TfrmVexMessageEx& Box) {
        for (int Row = 0; Row < Box.grdMensagem->RowCount(); ++Row)
            Listed << Box.grdMensagem->CellText(Row, 1);
        Box.Close();
    });
    Queue.EndMessages(true);
    EXPECT_EQ(Listed, QStringList({"um", "dois"}));
}
