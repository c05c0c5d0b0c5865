#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "controls/VexButton.h"
#include "controls/VexMessage.h"
#include "platform/ui/Messages.h"
#include "MessageBoxTesting.h"
#include "controls/tests/RecordedDialogs.h"

using namespace controls;

namespace {

const QString Separator = "---------------------------";

void WhenBoxShows(std::function<void(TfrmVexMessage& Box)> Action) { WhenShows<TfrmVexMessage>(std::move(Action)); }

QStringList Captions(const TfrmVexMessage& Box) {
    QStringList List;
    for (TVexButton* Button : Box.RowButtons()) List << Button->Caption();
    return List;
}

void PressKey(TfrmVexMessage& Box, int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
    QWidget* Target = QApplication::focusWidget() ? QApplication::focusWidget() : &Box;
    QTest::keyClick(Target, static_cast<Qt::Key>(Key), Modifiers);
}

int BoxesAlive() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int Count = 0;
    for (QWidget* W : QApplication::topLevelWidgets()) Count += qobject_cast<TfrmVexMessage*>(W) != nullptr;
    return Count;
}

int ShowWith(TDialogKind Kind, TDialogButtons Buttons, const QString& Details = {}, int DefaultIndex = 0) {
    return ShowMessageDialog("Mensagem", Details, Kind, Buttons, 0, DefaultIndex, AutoCancelResult);
}

}  // namespace

TEST(DialogTables, KindsAndButtonsAsDesigned) {
    EXPECT_EQ(DialogKindTitle(dkWarning), "Cuidado");
    EXPECT_EQ(DialogKindTitle(dkError), "Erro");
    EXPECT_EQ(DialogKindTitle(dkInformation), "Informação");
    EXPECT_EQ(DialogKindTitle(dkConfirmation), "Confirmação");
    EXPECT_EQ(DialogKindTitle(dkCustom), "Aplicativo");
    EXPECT_THROW(DialogKindTitle(static_cast<TDialogKind>(5)), platform::os::EListError);
    const QStringList Expected = {"&Sim", "&Não", "&OK", "&Cancelar", "&Abortar", "&Repetir", "&Ignorar", "&Todos",
                                  "Não para t&odos", "Sim para &todos", "A&juda", "Custom 1", "Custom 2",
                                  "Custom 3", "Custom 4", "Custom 5"};
    const int Results[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0, 11, 12, 13, 14, 15};
    for (int I = 0; I < DialogButtonCount; ++I) {
        EXPECT_EQ(DialogButtonCaption(static_cast<TDialogButton>(I)), Expected[I]);
        EXPECT_EQ(DialogButtonModalResult(static_cast<TDialogButton>(I)), Results[I]);
    }
    EXPECT_EQ(ButtonSet({dbYes, dbNo}), 3);
    EXPECT_EQ(ButtonSet({dbOK}), 4);
    EXPECT_EQ(ButtonSet({dbRetry}), 32);
    const EDesktopError Error("Falhou", "Tabela: Embarque");
    EXPECT_EQ(Error.Message(), "Falhou");
    EXPECT_EQ(Error.Details(), "Tabela: Embarque");
}

TEST(ButtonRow, CustomIndexesInsertAsTheRowIsBuilt) {
    TCustomButtons Customs;
    Customs[1] = {"", 0};
    TButtonRow Row = BuildButtonRow(ButtonSet({dbOK, dbCustom2}), Customs);
    ASSERT_EQ(Row.Buttons.size(), 2u);
    EXPECT_EQ(Row.Buttons[0].Caption, "Custom 2");
    EXPECT_EQ(Row.Buttons[1].Caption, "&OK");
    EXPECT_EQ(Row.VisitedCaptions, QStringList({"&OK", "Custom 2"}));

    Customs[0] = {"&Primeiro", 1};
    Customs[1] = {"Segundo", -1};
    Row = BuildButtonRow(ButtonSet({dbYes, dbNo, dbCustom1, dbCustom2}), Customs);
    QStringList InOrder;
    for (const TDlgBtn& B : Row.Buttons) InOrder << B.Caption;
    EXPECT_EQ(InOrder, QStringList({"&Sim", "&Primeiro", "&Não", "Segundo"}));

    Customs[0] = {"", 3};
    try {
        BuildButtonRow(ButtonSet({dbOK, dbCustom1}), Customs);
        FAIL() << "an index beyond the row must fail";
    } catch (const platform::os::EListError& E) {
        EXPECT_EQ(E.Message(), "List index out of bounds (3)");
    }
}

TEST(MessageBox, EscPressesTheCancelButtonTheCloseBoxGivesCancel) {
    struct TCase {
        TDialogButtons Buttons;
        int Esc;
    };
    for (const TCase& Case : {TCase{ButtonSet({dbYes, dbNo}), 7}, TCase{ButtonSet({dbOK, dbCancel}), 2},
                              TCase{ButtonSet({dbRetry}), 4}, TCase{ButtonSet({dbCancel, dbYes}), 2}}) {
        WhenBoxShows([](TfrmVexMessage& Box) { PressKey(Box, Qt::Key_Escape); });
        EXPECT_EQ(ShowWith(dkConfirmation, Case.Buttons), Case.Esc) << Case.Buttons;
    }
    WhenBoxShows([](TfrmVexMessage& Box) { Box.Close(); });
    EXPECT_EQ(ShowWith(dkConfirmation, ButtonSet({dbRetry})), 2);
    // An explicit cancel result picks its own button, also when it is not the last.
    WhenBoxShows([](TfrmVexMessage& Box) { PressKey(Box, Qt::Key_Escape); });
    EXPECT_EQ(ShowMessageDialog("X", "", dkWarning, ButtonSet({dbYes, dbNo, dbCancel}), 0, 0, 6), 6);
    EXPECT_EQ(BoxesAlive(), 0);
}

TEST(MessageBox, PressingAButtonAnswersItsResultHelpDoesNotClose) {
    WhenBoxShows([](TfrmVexMessage& Box) {
        ASSERT_EQ(Captions(Box), QStringList({"&Sim", "&Não", "A&juda"}));
        QTest::mouseClick(Box.RowButtons()[2], Qt::LeftButton);
        QTimer::singleShot(0, [&Box] {
            EXPECT_TRUE(Box.isVisible()) << "help keeps the box open";
            QTest::mouseClick(Box.RowButtons()[0], Qt::LeftButton);
        });
    });
    EXPECT_EQ(ShowWith(dkConfirmation, ButtonSet({dbYes, dbNo, dbHelp})), 6);
}

TEST(MessageBox, DefaultIndexFocusesItsButtonEnterPressesIt) {
    WhenBoxShows([](TfrmVexMessage& Box) {
        EXPECT_EQ(QApplication::focusWidget(), Box.RowButtons()[1]);
        PressKey(Box, Qt::Key_Return);
    });
    EXPECT_EQ(ShowWith(dkConfirmation, ButtonSet({dbYes, dbNo}), {}, 1), 7);
    // Without a valid index the first control in tab order takes the focus.
    WhenBoxShows([](TfrmVexMessage& Box) {
        EXPECT_EQ(QApplication::focusWidget(), Box.mmo);
        Box.Close();
    });
    ShowWith(dkConfirmation, ButtonSet({dbYes, dbNo}), "Por quê", -1);
}

TEST(MessageBox, LayoutFollowsTheTextAndTheRow) {
    WhenBoxShows([](TfrmVexMessage& Box) {
        EXPECT_EQ(Box.Caption(), "Cuidado");
        EXPECT_EQ(platform::ui::GetBounds(Box.lbl).x(), 32 + 16);
        EXPECT_GE(Box.lbl->width(), 150);
        EXPECT_GE(Box.lbl->height(), 35);
        const int Y = Box.lbl->height() + 8 + 15;
        EXPECT_EQ(platform::ui::GetBounds(Box.pnlButtons), QRect(8, Y, std::max(48 + Box.lbl->width(), 78), 31));
        ASSERT_EQ(Box.RowButtons().size(), 1u);
        TVexButton* OK = Box.RowButtons()[0];
        EXPECT_EQ(OK->Width(), 70);
        EXPECT_EQ(OK->Height(), 23);
        EXPECT_EQ(OK->Top(), 8);
        EXPECT_EQ(OK->Left(), (Box.pnlButtons->width() - 78) / 2);
        EXPECT_EQ(OK->SkinName(), "button");
        EXPECT_FALSE(Box.pnlDetalhe->isVisibleTo(&Box));
        EXPECT_EQ(Box.DetailsButton(), nullptr);
        Box.Close();
    });
    ShowWith(dkWarning, ButtonSet({dbOK}), " \r\n\t ");
    // A long text wraps at 450 pixels; caption-wide buttons grow with the text.
    TCustomButtons Customs;
    Customs[0] = {"Um botão de legenda bem comprida", -1};
    WhenBoxShows([](TfrmVexMessage& Box) {
        EXPECT_LE(Box.lbl->width(), 450);
        EXPECT_GT(Box.lbl->height(), 35);
        TVexButton* Wide = Box.RowButtons()[1];
        EXPECT_EQ(Wide->Width(), QFontMetrics(Box.font()).horizontalAdvance(Wide->Caption()) + 16);
        EXPECT_EQ(Wide->Left(), Box.RowButtons()[0]->Left() + 70 + 8);
        Box.Close();
    });
    ShowMessageDialog(QString("palavra ").repeated(200), "", dkInformation, ButtonSet({dbOK, dbCustom1}), 0, 0,
                      AutoCancelResult, Customs);
}

TEST(MessageBox, DetailsStartOpenAndTheirButtonFoldsThem) {
    WhenBoxShows([](TfrmVexMessage& Box) {
        TVexButton* Details = Box.DetailsButton();
        ASSERT_NE(Details, nullptr);
        EXPECT_EQ(Details->Caption(), "&Detalhes");
        EXPECT_TRUE(Details->Checked());
        EXPECT_TRUE(Box.pnlDetalhe->isVisible());
        EXPECT_EQ(Box.mmo->toPlainText(), "linha 1\nlinha 2");
        const QRect Pane = platform::ui::GetBounds(Box.pnlDetalhe);
        EXPECT_EQ(platform::ui::GetBounds(Box.pnlButtons).y(), Pane.y() + Pane.height());
        const int OpenHeight = Box.height();
        QTest::mouseClick(Details, Qt::LeftButton);
        QTimer::singleShot(0, [&Box, Details, Pane, OpenHeight] {
            EXPECT_TRUE(Box.isVisible()) << "folding does not close";
            EXPECT_FALSE(Details->Checked());
            EXPECT_FALSE(Box.pnlDetalhe->isVisible());
            EXPECT_EQ(platform::ui::GetBounds(Box.pnlButtons).y(), Pane.y());
            EXPECT_EQ(Box.height(), OpenHeight - Pane.height());
            QTest::mouseClick(Box.RowButtons()[0], Qt::LeftButton);
        });
    });
    EXPECT_EQ(ShowWith(dkError, ButtonSet({dbOK}), "  linha 1\nlinha 2\r\n"), 1);
}

TEST(MessageBox, CtrlCCopiesTheWholeBox) {
    QString Copied;
    WhenBoxShows([&Copied](TfrmVexMessage& Box) {
        PressKey(Box, Qt::Key_C, Qt::ControlModifier);
        Copied = QApplication::clipboard()->text();
        Box.Close();
    });
    ShowMessageDialog("X", "", dkError, ButtonSet({dbOK}), 0, 0, AutoCancelResult);
    EXPECT_EQ(Copied, Separator + "\r\nErro\r\n" + Separator + "\r\nX\r\n" + Separator + "\r\nOK\r\n" + Separator +
                          "\r\n");

    TCustomButtons Customs;
    Customs[1] = {"", 0};
    WhenBoxShows([&Copied](TfrmVexMessage& Box) {
        Copied = Box.ClipboardText();
        Box.Close();
    });
    ShowMessageDialog("Y", "D", dkWarning, ButtonSet({dbOK, dbCustom2}), 0, 0, AutoCancelResult, Customs);
    EXPECT_EQ(Copied, Separator + "\r\nCuidado\r\n" + Separator + "\r\nY\r\n" + Separator +
                          "\r\nDetalhes:\r\n\r\nD\r\n" + Separator + "\r\nOK   Custom 2\r\n" + Separator + "\r\n");
}

TEST(MessageBox, AFailedBuildShowsNothingAndReleasesTheForm) {
    TCustomButtons Customs;
    Customs[4] = {"", 2};
    bool Shown = false;
    QTimer Watch;
    QObject::connect(&Watch, &QTimer::timeout, [&] { Shown = Shown || QApplication::activeModalWidget(); });
    Watch.start(0);
    EXPECT_THROW(ShowMessageDialog("X", "", dkError, ButtonSet({dbOK, dbCustom5}), 0, 0, 16, Customs),
                 platform::os::EListError);
    EXPECT_FALSE(Shown);
    EXPECT_EQ(BoxesAlive(), 0);
}

// Tests answer boxes through a responder that sees each call.
class Responder : public ::testing::Test {
protected:
    TRecordedDialogs Dialogs;
    std::vector<TMessageDialogCall>& Calls = Dialogs.Calls;
    int& Answer = Dialogs.Answer;
};

TEST_F(Responder, RecordsTheCallAndAnswersWithoutShowing) {
    Answer = 7;
    TCustomButtons Customs;
    Customs[0] = {"Já", 0};
    EXPECT_EQ(ShowMessageDialog("Apagar?", "det", dkConfirmation, ButtonSet({dbYes, dbNo, dbCustom1}), 9, 1, 16,
                                Customs),
              7);
    ASSERT_EQ(Calls.size(), 1u);
    const TMessageDialogCall& Call = Calls[0];
    EXPECT_EQ(Call.Msg, "Apagar?");
    EXPECT_EQ(Call.Details, "det");
    EXPECT_EQ(Call.Kind, dkConfirmation);
    EXPECT_EQ(Call.Buttons, 0b100000000011);
    EXPECT_EQ(Call.Reserved, 9);
    EXPECT_EQ(Call.DefaultIndex, 1);
    EXPECT_EQ(Call.CancelResult, 16);
    ASSERT_EQ(Call.Row.Buttons.size(), 3u);
    EXPECT_EQ(Call.Row.Buttons[0].Caption, "Já");
    EXPECT_EQ(BoxesAlive(), 0);
}

TEST_F(Responder, ThePlatformControlsAskTheirQuestionsThroughTheBox) {
    Answer = platform::ui::mrYes;
    EXPECT_TRUE(platform::ui::AskConfirmation("Apagar o registro?"));
    Answer = platform::ui::mrNo;
    EXPECT_FALSE(platform::ui::AskConfirmation("Apagar o registro?"));
    ASSERT_EQ(Calls.size(), 2u);
    EXPECT_EQ(Calls[0].Msg, "Apagar o registro?");
    EXPECT_EQ(Calls[0].Kind, dkConfirmation);
    EXPECT_EQ(Calls[0].Buttons, ButtonSet({dbYes, dbNo}));
}

class Batch : public Responder {
protected:
    void SetUp() override {
        Responder::SetUp();
        FPreviousPresenter = SetMessageListPresenter([this](const std::vector<TMessageItem>& Items) {
            Lists.push_back(Items);
            return 1;
        });
    }
    void TearDown() override {
        SetMessageListPresenter(FPreviousPresenter);
        Responder::TearDown();
    }

    TMessageQueue Queue;
    std::vector<std::vector<TMessageItem>> Lists;

private:
    TMessageListPresenter FPreviousPresenter;
};

TEST_F(Batch, SeveralMessagesShowAsOneListInOrder) {
    EXPECT_EQ(Queue.BeginMessages(), 0);
    Queue.AddMessage("um", "d1", dkWarning, ButtonSet({dbOK}), 0, 0);
    Queue.AddMessage("dois", "", dkError, ButtonSet({dbOK}), 0, 0);
    EXPECT_TRUE(Calls.empty());
    Queue.EndMessages(true);
    EXPECT_TRUE(Calls.empty());
    ASSERT_EQ(Lists.size(), 1u);
    ASSERT_EQ(Lists[0].size(), 2u);
    EXPECT_EQ(Lists[0][0].Msg, "um");
    EXPECT_EQ(Lists[0][0].Details, "d1");
    EXPECT_EQ(Lists[0][1].Msg, "dois");
    EXPECT_EQ(Lists[0][1].Kind, dkError);
    EXPECT_TRUE(Queue.Items().empty());
    EXPECT_EQ(Queue.FlushMessages(), 0);
}

TEST_F(Batch, EndingWithoutShowKeepsTheMessagesForALaterFlush) {
    Queue.BeginMessages();
    Queue.AddMessage("um", "", dkWarning, ButtonSet({dbOK}), 0, 0);
    Queue.AddMessage("dois", "", dkWarning, ButtonSet({dbOK}), 0, 0);
    Queue.EndMessages(false);
    EXPECT_TRUE(Lists.empty());
    EXPECT_EQ(Queue.Items().size(), 2u);
    EXPECT_EQ(Queue.FlushMessages(), 1);
    EXPECT_EQ(Lists.size(), 1u);
}

TEST_F(Batch, OneMessageShowsAsThePlainBox) {
    Answer = 7;
    Queue.BeginMessages();
    Queue.AddMessage("só", "det", dkConfirmation, ButtonSet({dbYes, dbNo}), 5, 1);
    Queue.EndMessages(true);
    EXPECT_TRUE(Lists.empty());
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].Msg, "só");
    EXPECT_EQ(Calls[0].Details, "det");
    EXPECT_EQ(Calls[0].Kind, dkConfirmation);
    EXPECT_EQ(Calls[0].Buttons, ButtonSet({dbYes, dbNo}));
    EXPECT_EQ(Calls[0].Reserved, 5);
    EXPECT_EQ(Calls[0].DefaultIndex, 1);
    EXPECT_EQ(Calls[0].CancelResult, AutoCancelResult);
    EXPECT_TRUE(Queue.Items().empty());
}

TEST_F(Batch, OutsideABatchAMessageShowsAtOnce) {
    Queue.AddMessage("já", "", dkInformation, ButtonSet({dbOK}), 0, 0);
    EXPECT_EQ(Calls.size(), 1u);
    EXPECT_TRUE(Queue.Items().empty());
    // An end without a begin leaves the batch closed.
    Queue.EndMessages(true);
    EXPECT_EQ(Queue.Depth(), 0);
    Queue.AddMessage("de novo", "", dkInformation, ButtonSet({dbOK}), 0, 0);
    EXPECT_EQ(Calls.size(), 2u);
}

TEST_F(Batch, OnlyTheOutermostEndShows) {
    EXPECT_EQ(Queue.BeginMessages(), 0);
    Queue.AddMessage("fora", "", dkWarning, ButtonSet({dbOK}), 0, 0);
    EXPECT_EQ(Queue.BeginMessages(), 1);
    Queue.AddMessage("dentro", "", dkError, ButtonSet({dbOK}), 0, 0);
    Queue.EndMessages(true);
    EXPECT_TRUE(Lists.empty());
    EXPECT_EQ(Queue.Depth(), 1);
    Queue.EndMessages(true);
    ASSERT_EQ(Lists.size(), 1u);
    EXPECT_EQ(Lists[0].size(), 2u);
    EXPECT_EQ(&MessageQueue(), &MessageQueue());
}
