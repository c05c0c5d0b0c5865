// Monitors: matched by exact class, asked in registration order, and their
// failures reported once with the table's display name and the event.
#include <gtest/gtest.h>

#include "TableTest.h"
#include "dataaccess/VexSession.h"
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

// Its monitor is registered while a table of it already exists.
class TMonitoradaTarde : public TMonitorada {
    Q_OBJECT
public:
    using TMonitorada::TMonitorada;
};

// What the monitors did, and what the first one is told to do.
QStringList gCalls;
bool gFirstDemandsPassword = false;
bool gSecondDemandsPassword = false;
// The first monitor raises when told this event and phase.
TMonitorNotifyEvent gFailEvent = neBeforePost;
int gFailPhase = -1;

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
        if (Event == gFailEvent && Phase == gFailPhase) throw platform::os::Exception("o monitor falhou");
    }
    void Error(TClasseTabela*, TMonitorErrorEvent Event, TMonitorPhase Phase, EDatabaseError&, TDataAction&) override {
        gCalls << QString("first %1 %2 depth %3").arg(MonitorEventName(Event)).arg(Phase).arg(TransactionDepth());
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
        gFailPhase = -1;
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

    // A table that found no monitor hears from one registered later, from the next event on.
    std::unique_ptr<TMonitoradaTarde> Late(CreateClasseTabela<TMonitoradaTarde>());
    static bool LateRegistered = false;
    if (!LateRegistered) {
        Late->MonitorNotify(neAfterScroll, 2);
        EXPECT_TRUE(gCalls.isEmpty());
        RegisterComponentMonitor<TSecondMonitor, TMonitoradaTarde>();
        LateRegistered = true;
    }
    Late->MonitorNotify(neAfterScroll, 2);
    EXPECT_EQ(gCalls, QStringList({"second neAfterScroll 2"}));
}

TEST_P(MonitorTest, AMonitorFailingBeforePostIsReportedOnceAndCancelsThePost) {
    std::unique_ptr<TMonitorada> Monitorada(CreateClasseTabela<TMonitorada>());
    ASSERT_TRUE(Monitorada->Load({}, {}));
    const QStringList Before = Table();
    gFailPhase = 1;
    Monitorada->DataSet()->Append();
    Monitorada->SetFieldValues({"IdCliente", "Nome"}, {20, "Novo"});
    gCalls.clear();
    EXPECT_THROW(Monitorada->DataSet()->Post(), platform::os::EAbort);
    EXPECT_EQ(gCalls, QStringList({"first neBeforePost 0", "second neBeforePost 0", "first neBeforePost 1"}));
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].Msg, "Ocorreu algum erro no monitoramento do(a) 'Cliente Especial' (neBeforePost).");
    EXPECT_EQ(Dialogs.Calls[0].Details, "o monitor falhou");
    EXPECT_EQ(Monitorada->DataSet()->State(), dsInsert);
    EXPECT_EQ(TransactionDepth(), 0);
    Monitorada->DataSet()->Cancel();
    EXPECT_EQ(Table(), Before);
}

TEST_P(MonitorTest, APostRefusedByTheDataSetRollsBackBeforeTheLastErrorPhaseAndRaisesTheDatabaseError) {
    std::unique_ptr<TMonitorada> Monitorada(CreateClasseTabela<TMonitorada>());
    ASSERT_TRUE(Monitorada->Load({"IdCliente"}, {1}));
    Monitorada->DataSet()->FieldByName("Cidade")->SetRequired(true);
    Monitorada->DataSet()->Edit();
    Monitorada->DataSet()->FieldByName("Cidade")->Clear();
    gCalls.clear();
    try {
        Monitorada->DataSet()->Post();
        ADD_FAILURE() << "the post passed";
    } catch (const EDatabaseError& E) {
        EXPECT_STREQ(E.what(), "Field 'Cidade' must have a value");
    }
    EXPECT_EQ(gCalls, QStringList({"first neBeforePost 0", "second neBeforePost 0", "first neBeforePost 1",
                                   "second neBeforePost 1", "first neBeforePost 2", "second neBeforePost 2",
                                   "first eeOnPostError 1 depth 1", "first eeOnPostError 2 depth 1",
                                   "first eeOnPostError 3 depth 0"}));
    EXPECT_EQ(TransactionDepth(), 0);
}

TEST_P(MonitorTest, AFailureAnywhereInsideThePostOrDeleteTransactionUndoesTheChangeAndEndsTheTransaction) {
    struct {
        bool Delete;
        TMonitorNotifyEvent Event;
        int Phase;
        bool Kept;  // the change reached the server
    } const Cases[] = {  // the kept ones last, the deletion at the very end
        {false, neBeforePost, 2, false},   {false, neAfterPost, 1, false},    {false, neAfterPost, 2, false},
        {false, neAfterPost, 3, true},     {true, neBeforeDelete, 1, false},  {true, neAfterDelete, 2, false},
        {true, neAfterDelete, 3, true},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(QString("%1 %2").arg(MonitorEventName(Case.Event)).arg(Case.Phase).toStdString());
        std::unique_ptr<TMonitorada> Monitorada(CreateClasseTabela<TMonitorada>());
        ASSERT_TRUE(Monitorada->Load({"IdCliente"}, {1}));
        const QStringList Before = Table();
        gFailEvent = Case.Event;
        gFailPhase = Case.Phase;
        if (Case.Delete) {
            EXPECT_THROW(Monitorada->DataSet()->Delete(), platform::os::EAbort);
        } else {
            Monitorada->SetAsString(TClienteTeste::idxCidade, "Recife");
            EXPECT_THROW(Monitorada->DataSet()->Post(), platform::os::EAbort);
        }
        EXPECT_EQ(TransactionDepth(), 0);
        EXPECT_EQ(Table() != Before, Case.Kept);
    }
}

}  // namespace

#include "MonitorTests.moc"
