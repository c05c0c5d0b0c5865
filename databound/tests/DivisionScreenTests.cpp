#include <gtest/gtest.h>

#include <QObject>
#include <QStringList>

#include "dataaccess/VexDbIni.h"
#include "dataaccess/testhost/TestHost.h"
#include "databound/DivisionScreen.h"
#include "databound/VexDivisao.h"
#include "platform/ui/Messages.h"

namespace databound {
namespace {

// A screen with a division on the form and one inside a frame, each telling what it was asked, in order.
class DivisionScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        Pedido = new TVexDBDivisao(&Screen);
        Pedido->SetCaption("Pedido");
        auto* Frame = new QObject(&Screen);
        Item = new TDivisao(Frame);
        Item->SetCaption("Item");
        for (TDivisao* D : {static_cast<TDivisao*>(Pedido), Item}) {
            D->BeforeCreate = [this](QObject* Sender) { Log << "before " + static_cast<TDivisao*>(Sender)->Caption(); };
            D->OnCreate = [this](TDivisao* Sender, dataaccess::TVexDBIni* Given) {
                Log << QString("create %1%2").arg(Sender->Caption(), Given == &Ini ? " ini" : "");
            };
            D->OnDestroy = [this](TDivisao* Sender, dataaccess::TVexDBIni* Given) {
                Log << QString("destroy %1%2").arg(Sender->Caption(), Given == &Ini ? " ini" : "");
            };
        }
    }

    dataaccess::testing::TTestHost Host;
    dataaccess::TVexDBIni Ini{"Pedidos", Host.DefaultConnection(), 1};
    QObject Screen;
    TVexDBDivisao* Pedido = nullptr;
    TDivisao* Item = nullptr;
    QStringList Log;
};

TEST_F(DivisionScreenTest, CreationEventsSurroundTheBuildAndDestructionComesBeforeTheScreenGoes) {
    EXPECT_EQ(ScreenDivisions(Screen), QList<TDivisao*>({Pedido, Item}));
    CreateDivisionScreen(Screen, &Ini, [this] { Log << "build"; });
    DestroyDivisionScreen(Screen, &Ini);
    EXPECT_EQ(Log, QStringList({"before Pedido", "before Item", "build", "create Pedido ini", "create Item ini",
                                "destroy Pedido ini", "destroy Item ini"}));
}

TEST_F(DivisionScreenTest, ADivisionFreedByAnEarlierHandlerIsSkipped) {
    Pedido->OnCreate = [this](TDivisao*, dataaccess::TVexDBIni*) { delete Item; };
    CreateDivisionScreen(Screen, &Ini, nullptr);
    EXPECT_EQ(Log, QStringList({"before Pedido", "before Item"}));
    EXPECT_EQ(ScreenDivisions(Screen), QList<TDivisao*>({Pedido}));
}

TEST_F(DivisionScreenTest, ARelationMessageGoesToEachDivisionUntilOneAnswersIt) {
    const platform::ui::UINT kRelacao = platform::ui::WM_APP + 50;
    Pedido->OnRelacaoMessage = [this](TDivisao* Sender, platform::ui::TMessage& Message) {
        Log << "Pedido";
        if (Message.WParam == 1) Message.Result = 1;
        EXPECT_EQ(Sender, Pedido);
    };
    Item->OnRelacaoMessage = [this](TDivisao*, platform::ui::TMessage& Message) {
        Log << "Item";
        Message.Result = Message.LParam;
    };
    const struct {
        platform::ui::WPARAM WParam;
        platform::ui::LPARAM LParam;
        bool Answered;
        QStringList Reached;
    } Cases[] = {{1, 0, true, {"Pedido"}}, {0, 5, true, {"Pedido", "Item"}}, {0, 0, false, {"Pedido", "Item"}}};
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Reached.join(",").toStdString());
        Log.clear();
        platform::ui::TMessage Message{kRelacao, C.WParam, C.LParam, 0};
        EXPECT_EQ(DispatchRelacaoMessage(Screen, Message), C.Answered);
        EXPECT_EQ(Log, C.Reached);
    }
}

}  // namespace
}  // namespace databound
