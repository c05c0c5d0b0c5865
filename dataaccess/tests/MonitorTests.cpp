// Monitors: matched by exact class, asked in registration order, and their
// failures reported once with the table's display name and the event.
#include <gtest/gtest.h>

#include "TableTest.h"
#include "platform/os/Exceptions.h"

using namespace dataaccess;
using namespace dataaccess::testing;
using namespace platform::data;

namespace {

class TMonitorada : public TClienteTeste {
    Q_OBJECT
public:
    using TClienteTeste::TClienteTeste;
};

class TMonitoradaFilha : public TMonitorada {
    Q_OBJECT
public:
    using TMonitorada::TMonitorada;
};

// What the monitors did, and what the first one is told to do.
QStringList gCalls;
bool gFirstDemandsPassword = false;
bool gSecondDemandsPassword = false;
bool gFirstFailsBeforePost = false;

class TFirstMonitor : public TComponentMonitor {
    Q_OBJECT
public:
    using TComponentMonitor::TComponentMonitor;
    bool Validate(TClasseTabela*, int, TPermissionAction, QString&) override {
        gCalls << "first validate";
        return gFirstDemandsPassword;
    }
    void Notify(TClasseTabela*, TMonitorNotifyEvent Event, TMonitorPhase Phase) override {
        gCalls << QString("first %1 %2").arg(MonitorEventName(Event)).arg(Phase);
        if (gFirstFailsBeforePost && Event == neBeforePost && Phase == 1)
            throw platform::os::Exception("o monitor falhou");
    }
};

class TSecondMonitor : public TComponentMonitor {
    Q_OBJECT
public:
    using TComponentMonitor::TComponentMonitor;
    bool Validate(TClasseTabela*, int, TPermissionAction, QString& Operation) override {
        gCalls << "second validate";
        if (gSecondDemandsPassword) Operation = "%s com cuidado";
        return gSecondDemandsPassword;
    }
    void Notify(TClasseTabela*, TMonitorNotifyEvent Event, TMonitorPhase Phase) override {
        gCalls << QString("second %1 %2").arg(MonitorEventName(Event)).arg(Phase);
    }
};

class MonitorTest : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        static const bool kRegistered = [] {
            RegisterComponentMonitor<TFirstMonitor, TMonitorada>();
            RegisterComponentMonitor<TSecondMonitor, TMonitorada>();
            return true;
        }();
        (void)kRegistered;
        gCalls.clear();
        gFirstDemandsPassword = false;
        gSecondDemandsPassword = false;
        gFirstFailsBeforePost = false;
    }
};
VEX_INSTANTIATE_ENGINE_SUITE(MonitorTest);

TEST_P(MonitorTest, ValidateStopsAtTheFirstDemandWhileNotifyReachesEveryMonitorOfTheExactClass) {
    std::unique_ptr<TMonitorada> Monitorada(CreateClasseTabela<TMonitorada>());
    gSecondDemandsPassword = true;
    for (bool FirstDemands : {true, false}) {
        SCOPED_TRACE(FirstDemands ? "the first demands" : "the second demands");
        gCalls.clear();
        gFirstDemandsPassword = FirstDemands;
        QString Operation;
        EXPECT_TRUE(Monitorada->MonitorValidate(1, paExcluir, Operation));
        EXPECT_EQ(gCalls, FirstDemands ? QStringList({"first validate"})
                                       : QStringList({"first validate", "second validate"}));
        EXPECT_EQ(Operation, FirstDemands ? "" : "%s com cuidado");
    }
    gCalls.clear();
    Monitorada->MonitorNotify(neAfterScroll, 2);
    EXPECT_EQ(gCalls, QStringList({"first neAfterScroll 2", "second neAfterScroll 2"}));

    gCalls.clear();
    std::unique_ptr<TMonitoradaFilha> Child(CreateClasseTabela<TMonitoradaFilha>());
    QString Operation;
    EXPECT_FALSE(Child->MonitorValidate(1, paExcluir, Operation));
    Child->MonitorNotify(neAfterScroll, 2);
    EXPECT_TRUE(gCalls.isEmpty());
}

TEST_P(MonitorTest, AMonitorFailingBeforePostIsReportedOnceAndCancelsThePost) {
    std::unique_ptr<TMonitorada> Monitorada(CreateClasseTabela<TMonitorada>());
    ASSERT_TRUE(Monitorada->Load({}, {}));
    const QStringList Before = Table();
    gFirstFailsBeforePost = true;
    Monitorada->DataSet()->Append();
    Monitorada->SetFieldValues({"IdCliente", "Nome"}, {20, "Novo"});
    gCalls.clear();
    EXPECT_THROW(Monitorada->DataSet()->Post(), platform::os::EAbort);
    EXPECT_EQ(gCalls, QStringList({"first neBeforePost 0", "second neBeforePost 0", "first neBeforePost 1"}));
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].Msg, "Ocorreu algum erro no monitoramento do(a) 'Cliente Especial' (neBeforePost).");
    EXPECT_EQ(Dialogs.Calls[0].Details, "o monitor falhou");
    EXPECT_EQ(Monitorada->DataSet()->State(), dsInsert);
    Monitorada->DataSet()->Cancel();
    EXPECT_EQ(Table(), Before);
}

}  // namespace

#include "MonitorTests.moc"
