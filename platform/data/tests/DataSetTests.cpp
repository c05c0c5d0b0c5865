// The dataset state machine: event order, error events, fields, navigation,
// searching, data sources and links.
#include <gtest/gtest.h>

#include <utility>

#include "TestDatabase.h"

using namespace platform::data;
using platform::data::testing::CreateClientes;

namespace {

// Records every dataset event by name.
struct TEventLog {
    QStringList Events;
    void Attach(TDataSet& DS) {
        auto Log = [this](const char* Name) { return [this, Name](TDataSet*) { Events << Name; }; };
        DS.BeforeOpen = Log("BeforeOpen");
        DS.AfterOpen = Log("AfterOpen");
        DS.BeforeClose = Log("BeforeClose");
        DS.AfterClose = Log("AfterClose");
        DS.BeforeInsert = Log("BeforeInsert");
        DS.AfterInsert = Log("AfterInsert");
        DS.BeforeEdit = Log("BeforeEdit");
        DS.AfterEdit = Log("AfterEdit");
        DS.BeforePost = Log("BeforePost");
        DS.AfterPost = Log("AfterPost");
        DS.BeforeCancel = Log("BeforeCancel");
        DS.AfterCancel = Log("AfterCancel");
        DS.BeforeDelete = Log("BeforeDelete");
        DS.AfterDelete = Log("AfterDelete");
        DS.BeforeScroll = Log("BeforeScroll");
        DS.AfterScroll = Log("AfterScroll");
        DS.OnNewRecord = Log("OnNewRecord");
    }
    QString Take() {
        const QString Out = Events.join(',');
        Events.clear();
        return Out;
    }
};

class DataSetTest : public ::testing::Test {
protected:
    void SetUp() override { CreateClientes(DS); }
    TClientDataSet DS;
    TEventLog Log;
};

// A dataset whose edits fail, for the edit error event.
class TLockedDataSet : public TClientDataSet {
protected:
    void InternalEdit() override {
        if (Locked) DatabaseError("Record locked by another user");
    }

public:
    bool Locked = true;
};

}  // namespace

TEST_F(DataSetTest, EventsFollowThePlatformOrder) {
    Log.Attach(DS);
    DS.Append();
    EXPECT_EQ(Log.Take(), "BeforeInsert,BeforeScroll,OnNewRecord,AfterInsert,AfterScroll");
    EXPECT_EQ(DS.State(), dsInsert);
    DS.FieldByName("IdCliente")->SetAsInteger(6);
    DS.Post();
    EXPECT_EQ(Log.Take(), "BeforePost,AfterPost");
    DS.Edit();
    EXPECT_EQ(Log.Take(), "BeforeEdit,AfterEdit");
    DS.Cancel();
    EXPECT_EQ(Log.Take(), "BeforeCancel,AfterCancel");
    DS.Delete();
    EXPECT_EQ(Log.Take(), "BeforeDelete,BeforeScroll,AfterDelete,AfterScroll");
    DS.Next();
    EXPECT_EQ(Log.Take(), "BeforeScroll,AfterScroll");
    TClientDataSet Other;
    TEventLog OtherLog;
    OtherLog.Attach(Other);
    Other.FieldDefs().Add("A", ftInteger);
    Other.CreateDataSet();
    EXPECT_EQ(OtherLog.Take(), "BeforeOpen,AfterOpen,AfterScroll");
    Other.Close();
    EXPECT_EQ(OtherLog.Take(), "BeforeClose,AfterClose");

    // Scrolling away from a modified row posts it; an unmodified insert is dropped.
    DS.Edit();
    DS.FieldByName("Nome")->SetAsString("Outro");
    Log.Take();
    DS.Next();
    EXPECT_EQ(Log.Take(), "BeforePost,AfterPost,BeforeScroll,AfterScroll");
    DS.Insert();
    Log.Take();
    DS.First();
    EXPECT_EQ(Log.Take(), "BeforeCancel,AfterCancel,BeforeScroll,AfterScroll");
}

TEST_F(DataSetTest, NewRecordValuesDoNotCountAsChanges) {
    DS.OnNewRecord = [](TDataSet* D) { D->FieldByName("Cidade")->SetAsString("Santos"); };
    DS.Append();
    EXPECT_EQ(DS.FieldByName("Cidade")->AsString(), "Santos");
    EXPECT_FALSE(DS.Modified());
    DS.FieldByName("IdCliente")->SetAsInteger(9);
    EXPECT_TRUE(DS.Modified());
    DS.Post();
    EXPECT_EQ(DS.RecordCount(), 6);
}

TEST_F(DataSetTest, PostErrorActions) {
    DS.Append();  // IdCliente is required and stays empty
    int Calls = 0;
    DS.OnPostError = [&](TDataSet*, EDatabaseError& E, TDataAction& Action) {
        ++Calls;
        EXPECT_EQ(E.Text(), "Field 'IdCliente' must have a value");
        Action = daFail;
    };
    EXPECT_THROW(DS.Post(), EDatabaseError);
    EXPECT_EQ(DS.State(), dsInsert);

    DS.OnPostError = [&](TDataSet*, EDatabaseError&, TDataAction& Action) { Action = daAbort; };
    EXPECT_THROW(DS.Post(), platform::os::EAbort);
    EXPECT_EQ(DS.State(), dsInsert);

    // Retry after the handler supplied the missing value.
    DS.OnPostError = [&](TDataSet* D, EDatabaseError&, TDataAction& Action) {
        D->FieldByName("IdCliente")->SetAsInteger(7);
        Action = daRetry;
    };
    DS.Post();
    EXPECT_EQ(DS.State(), dsBrowse);
    EXPECT_TRUE(DS.Locate("IdCliente", 7));
    EXPECT_EQ(Calls, 1);
}

TEST(DataSetErrorTest, EditErrorActions) {
    TLockedDataSet DS;
    CreateClientes(DS);
    QStringList Seen;
    DS.OnEditError = [&](TDataSet*, EDatabaseError& E, TDataAction& Action) {
        Seen << E.Text();
        Action = daAbort;
    };
    EXPECT_THROW(DS.Edit(), platform::os::EAbort);
    EXPECT_EQ(DS.State(), dsBrowse);
    EXPECT_EQ(Seen, QStringList{"Record locked by another user"});
    DS.OnEditError = [&](TDataSet* D, EDatabaseError&, TDataAction& Action) {
        static_cast<TLockedDataSet*>(D)->Locked = false;
        Action = daRetry;
    };
    DS.Edit();
    EXPECT_EQ(DS.State(), dsEdit);
}

TEST_F(DataSetTest, BeforeEventsCanRefuse) {
    DS.BeforeDelete = [](TDataSet*) { throw platform::os::EAbort(); };
    EXPECT_THROW(DS.Delete(), platform::os::EAbort);
    EXPECT_EQ(DS.RecordCount(), 5);
    DS.BeforeInsert = [](TDataSet*) { DatabaseError("no inserts"); };
    EXPECT_THROW(DS.Insert(), EDatabaseError);
    EXPECT_EQ(DS.State(), dsBrowse);
    DS.OnNewRecord = [](TDataSet*) { throw platform::os::EAbort(); };
    DS.BeforeInsert = nullptr;
    EXPECT_THROW(DS.Append(), platform::os::EAbort);
    EXPECT_EQ(DS.State(), dsBrowse);
    EXPECT_EQ(DS.RecordCount(), 5);
}

TEST_F(DataSetTest, FieldsAreFoundByNameIgnoringCaseAndNothingElse) {
    const struct {
        const char* A;
        const char* B;
        bool Same;
    } kCases[] = {{"Nome", "nome", true},   {"NOME", "nome", true},    {"Nome", "Nomes", false},
                  {"Nome", "Dome", false},  {"Ação", "AÇÃO", true},    {"Época", "época", true},
                  {"Época", "Epoca", false}, {"[a]", "{a}", false},   {"@x", "`x", false},
                  {"_x", "_X", true},       {"", "", true},            {"a", "", false}};
    for (const auto& Case : kCases) {
        EXPECT_EQ(SameName(QString::fromUtf8(Case.A), QString::fromUtf8(Case.B)), Case.Same) << Case.A << " " << Case.B;
        EXPECT_EQ(SameName(QString::fromUtf8(Case.B), QString::fromUtf8(Case.A)), Case.Same) << Case.B << " " << Case.A;
    }
    EXPECT_EQ(DS.FindField("saldo"), DS.FieldByName("Saldo"));
    EXPECT_EQ(DS.FindField("IDCLIENTE"), DS.FieldByName("IdCliente"));
    EXPECT_EQ(DS.FindField("Fixo"), nullptr);
    EXPECT_EQ(DS.FindField("Nom"), nullptr);
}

TEST_F(DataSetTest, FieldsValidateConvertAndNotify) {
    TField* Saldo = DS.FieldByName("Saldo");
    QStringList Seen;
    Saldo->OnValidate = [&](TField* F) {
        Seen << "validate " + F->AsString();
        if (F->AsFloat() < 0) DatabaseError("negative");
    };
    Saldo->OnChange = [&](TField* F) { Seen << "change " + F->AsString(); };
    DS.Edit();
    Saldo->SetAsString("1.234,5");
    EXPECT_DOUBLE_EQ(Saldo->AsFloat(), 1234.5);
    EXPECT_THROW(Saldo->SetAsFloat(-1), EDatabaseError);
    EXPECT_DOUBLE_EQ(Saldo->AsFloat(), 1234.5);  // refused value is not stored
    EXPECT_EQ(Seen, (QStringList{"validate 1234,5", "change 1234,5", "validate -1"}));

    EXPECT_THROW(DS.FieldByName("IdCliente")->SetAsString("abc"), EDatabaseError);
    try {
        DS.FieldByName("IdCliente")->SetAsString("abc");
    } catch (const EDatabaseError& E) {
        EXPECT_EQ(E.Text(), "'abc' is not a valid integer value for field 'IdCliente'");
    }
    DS.FieldByName("Nome")->SetAsString("");
    EXPECT_TRUE(DS.FieldByName("Nome")->IsNull());
    EXPECT_TRUE(VarIsNull(DS.FieldByName("Nome")->Value()));
    DS.FieldByName("Ativo")->SetDisplayValues("Sim;Não");
    DS.FieldByName("Ativo")->SetText("n");
    EXPECT_FALSE(DS.FieldByName("Ativo")->AsBoolean());
    EXPECT_EQ(DS.FieldByName("Ativo")->DisplayText(), "Não");
    DS.Cancel();
    EXPECT_THROW(Saldo->SetAsFloat(1), EDatabaseError);  // not editing

    DS.FieldByName("IdCliente")->SetReadOnly(true);
    DS.Edit();
    EXPECT_THROW(DS.FieldByName("IdCliente")->SetAsInteger(3), EDatabaseError);
}

TEST_F(DataSetTest, TextsUseFormatsAndHandlers) {
    TField* Saldo = DS.FieldByName("Saldo");
    Saldo->SetDisplayFormat("#,##0.00");
    DS.Edit();
    Saldo->SetAsFloat(1234.5);
    EXPECT_EQ(Saldo->DisplayText(), "1.234,50");
    Saldo->SetAsFloat(-0.5);
    EXPECT_EQ(Saldo->DisplayText(), "-0,50");
    DS.Cancel();
    EXPECT_EQ(DS.FieldByName("Criado")->AsString(), "10/01/2024");
    DS.FieldByName("Criado")->SetDisplayFormat("dd 'de' mmmm 'de' yyyy");
    EXPECT_EQ(DS.FieldByName("Criado")->DisplayText(), "10 de janeiro de 2024");
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", QDateTime(QDate(2024, 5, 6), QTime(7, 8))), "06/05/2024 07:08");
    EXPECT_EQ(FormatDateTime("hh:mm", QDateTime(QDate(2024, 5, 6), QTime(7, 8))), "07:08");
    DS.FieldByName("Nome")->OnGetText = [](TField* F, QString& Text, bool Display) {
        Text = Display ? F->AsString().toUpper() : F->AsString();
    };
    EXPECT_EQ(DS.FieldByName("Nome")->DisplayText(), "JOÃO SILVA");
    EXPECT_EQ(DS.FieldByName("Nome")->Text(), "João Silva");
    DS.FieldByName("Nome")->OnSetText = [](TField* F, const QString& Text) { F->SetAsString(Text.trimmed()); };
    DS.Edit();
    DS.FieldByName("Nome")->SetText("  Zé  ");
    EXPECT_EQ(DS.FieldByName("Nome")->AsString(), "Zé");
}

TEST_F(DataSetTest, NavigationAndBookmarks) {
    EXPECT_TRUE(DS.Bof());
    EXPECT_EQ(DS.RecNo(), 1);
    DS.Last();
    EXPECT_TRUE(DS.Eof());
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 5);
    DS.Next();
    EXPECT_TRUE(DS.Eof());
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 5);
    EXPECT_EQ(DS.MoveBy(-2), -2);
    const TBookmark Mark = DS.GetBookmark();
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 3);
    DS.SetIndexFieldNames("Nome");
    DS.First();
    EXPECT_TRUE(DS.BookmarkValid(Mark));
    DS.GotoBookmark(Mark);
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 3);
    EXPECT_EQ(DS.RecNo(), 1);  // "Ana Lima" sorts first
    DS.Delete();
    EXPECT_FALSE(DS.BookmarkValid(Mark));
    EXPECT_THROW(DS.GotoBookmark(Mark), EDatabaseError);
    int Count = 0;
    for (DS.First(); !DS.Eof(); DS.Next()) ++Count;
    EXPECT_EQ(Count, 4);
}

TEST_F(DataSetTest, LocateAndLookup) {
    int Before = 0, After = 0;
    DS.BeforeScroll = [&](TDataSet*) { ++Before; };
    DS.AfterScroll = [&](TDataSet*) { ++After; };
    EXPECT_FALSE(DS.Locate("Cidade;Ativo", QVariantList{"São Paulo", false}));
    EXPECT_EQ(Before + After, 0);  // nothing found: no scroll at all
    EXPECT_TRUE(DS.Locate("Cidade;Ativo", QVariantList{"São Paulo", true}));
    EXPECT_EQ(Before, 1);
    EXPECT_EQ(After, 1);
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 1);
    DS.Next();
    EXPECT_TRUE(DS.Locate("Cidade;Saldo", QVariantList{"São Paulo", Null()}));
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 3);

    EXPECT_FALSE(DS.Locate("Nome", "MARIA SOUZA"));
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 3);  // stays where it was
    EXPECT_TRUE(DS.Locate("Nome", "MARIA SOUZA", loCaseInsensitive));
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 2);
    EXPECT_TRUE(DS.Locate("Nome", "álvaro ç", loCaseInsensitive | loPartialKey));
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 5);
    EXPECT_TRUE(DS.Locate("IdCliente;Criado", QVariantList{"4", Null()}));
    EXPECT_TRUE(DS.Locate("Criado", "01/02/2024"));
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 2);

    DS.First();
    EXPECT_EQ(DS.Lookup("IdCliente", 5, "Nome").toString(), "ÁLVARO Ção");
    EXPECT_EQ(DS.Lookup("IdCliente", 2, "Nome;Cidade").toList(), (QVariantList{"maria souza", "Rio"}));
    EXPECT_TRUE(VarIsNull(DS.Lookup("IdCliente", 99, "Nome")));
    EXPECT_EQ(DS.FieldByName("IdCliente")->AsInteger(), 1);
    EXPECT_THROW(DS.Locate("Nada", 1), EDatabaseError);
    EXPECT_THROW(DS.Locate("Nome;Cidade", "x"), EDatabaseError);
}

TEST_F(DataSetTest, CalculatedFieldsAndLookupFields) {
    TClientDataSet Calc;
    Calc.FieldDefs().Add("Preco", ftFloat);
    Calc.FieldDefs().Add("Qtde", ftInteger);
    Calc.FieldDefs().Add("IdCliente", ftInteger);
    new TField(&Calc, "Preco", ftFloat);
    new TField(&Calc, "Qtde", ftInteger);
    new TField(&Calc, "IdCliente", ftInteger);
    auto* Total = new TField(&Calc, "Total", ftFloat, 0, fkCalculated);
    auto* Cliente = new TField(&Calc, "Cliente", ftString, 40, fkLookup);
    Cliente->SetLookupDataSet(&DS);
    Cliente->SetKeyFields("IdCliente");
    Cliente->SetLookupKeyFields("IdCliente");
    Cliente->SetLookupResultField("Nome");
    TDataSetState SeenState = dsInactive;
    Calc.OnCalcFields = [&](TDataSet* D) {
        SeenState = D->State();
        D->FieldByName("Total")->SetAsFloat(D->FieldByName("Preco")->AsFloat() * D->FieldByName("Qtde")->AsInteger());
    };
    Calc.CreateDataSet();
    Calc.AppendRecord({2.5, 4, 2});
    Calc.AppendRecord({10.0, 1, 5});
    Calc.First();
    EXPECT_DOUBLE_EQ(Total->AsFloat(), 10.0);
    EXPECT_EQ(SeenState, dsCalcFields);
    EXPECT_EQ(Cliente->AsString(), "maria souza");
    Calc.Edit();
    Calc.FieldByName("Qtde")->SetAsInteger(10);
    EXPECT_DOUBLE_EQ(Total->AsFloat(), 25.0);  // recalculated while editing
    Calc.Post();
    Calc.SetFilter("Total > 20");
    Calc.SetFiltered(true);
    EXPECT_EQ(Calc.RecordCount(), 1);
    EXPECT_THROW(Total->SetAsFloat(1), EDatabaseError);
}

namespace {

struct TRecordingLink : public TDataLink {
    QStringList Seen;
    void ActiveChanged() override { Seen << QString("active %1").arg(Active()); }
    void EditingChanged() override { Seen << QString("editing %1").arg(Editing()); }
    void DataSetChanged() override { Seen << "changed"; }
    void DataSetScrolled(int Distance) override { Seen << QString("scrolled %1").arg(Distance); }
    void RecordChanged(TField* Field) override { Seen << "record " + (Field ? Field->FieldName() : QString("-")); }
    void UpdateData() override { Seen << "update"; }
};

}  // namespace

TEST_F(DataSetTest, DataSourceAndLinks) {
    TDataSource Source;
    TRecordingLink Link;
    Link.SetDataSource(&Source);
    QStringList States;
    Source.OnStateChange = [&](QObject*) { States << QString::number(Source.State()); };
    Source.SetDataSet(&DS);
    EXPECT_EQ(Link.Seen, QStringList{"active 1"});
    Link.Seen.clear();

    DS.Next();
    EXPECT_EQ(Link.Seen, QStringList{"scrolled 1"});
    Link.Seen.clear();
    EXPECT_TRUE(Link.Edit());  // AutoEdit puts the dataset into edit
    DS.FieldByName("Nome")->SetAsString("X");
    DS.Post();
    EXPECT_EQ(Link.Seen, (QStringList{"editing 1", "record -", "record Nome", "update", "editing 0", "changed"}));
    EXPECT_EQ(States, (QStringList{"1", "2", "1"}));

    Link.Seen.clear();
    DS.DisableControls();
    DS.First();
    DS.Next();
    EXPECT_TRUE(Link.Seen.isEmpty());
    DS.EnableControls();
    EXPECT_EQ(Link.Seen, QStringList{"changed"});

    Link.Seen.clear();
    {
        auto* Temp = new TClientDataSet;
        CreateClientes(*Temp);
        Source.SetDataSet(Temp);
        delete Temp;  // the source forgets it
    }
    EXPECT_EQ(Source.DataSet(), nullptr);
    EXPECT_FALSE(Link.Active());
    EXPECT_EQ(Source.State(), dsInactive);
}

TEST_F(DataSetTest, ASourceFreedOrLinkedWhileAnEventIsDispatchedIsLeftOutOfThatEvent) {
    QStringList Heard;
    auto Listen = [&Heard, this](TDataSource& Source, const QString& Name) {
        Source.OnDataChange = [&Heard, Name](QObject*, TField*) { Heard << Name; };
        Source.SetDataSet(&DS);
    };
    TDataSource First, Third, Linked;
    auto* Second = new TDataSource;
    Listen(First, "first");
    Listen(*Second, "second");
    Listen(Third, "third");
    // The first frees the second and links another, once; then it unlinks itself while the next event runs.
    First.OnDataChange = [&](QObject*, TField*) {
        Heard << "first";
        if (Second) {
            delete std::exchange(Second, nullptr);
            Listen(Linked, "linked");
        } else {
            First.SetDataSet(nullptr);
        }
    };
    DS.Next();
    EXPECT_EQ(Heard, (QStringList{"first", "third"}));
    Heard.clear();
    DS.Next();
    EXPECT_EQ(Heard, (QStringList{"first", "third", "linked"}));
    Heard.clear();
    DS.Next();
    EXPECT_EQ(Heard, (QStringList{"third", "linked"}));
}

TEST_F(DataSetTest, InsertGoesBeforeTheCurrentRow) {
    DS.Locate("IdCliente", 3);
    DS.InsertRecord({10, "Inserido"});
    EXPECT_EQ(DS.RecNo(), 3);
    DS.AppendRecord({11, "Anexado"});
    EXPECT_EQ(DS.RecNo(), 7);
    QList<int> Order;
    for (DS.First(); !DS.Eof(); DS.Next()) Order << DS.FieldByName("IdCliente")->AsInteger();
    EXPECT_EQ(Order, (QList<int>{1, 2, 10, 3, 4, 5, 11}));
    DS.First();
    const TBookmark A = DS.GetBookmark();
    DS.Last();
    EXPECT_EQ(DS.CompareBookmarks(A, DS.GetBookmark()), -1);
    EXPECT_EQ(DS.CompareBookmarks(DS.GetBookmark(), A), 1);
    EXPECT_EQ(DS.CompareBookmarks(A, A), 0);
    DS.EmptyDataSet();
    EXPECT_TRUE(DS.IsEmpty());
    EXPECT_TRUE(DS.Bof() && DS.Eof());
    EXPECT_THROW(DS.Delete(), EDatabaseError);
    DS.Edit();  // editing an empty dataset inserts
    EXPECT_EQ(DS.State(), dsInsert);
}

TEST(DataSetDisplayTest, ShownRowsAreReadWithoutMovingTheCursorAndShowTheRowBeingInserted) {
    TClientDataSet DS;
    TEventLog Log;
    DS.FieldDefs().Add("Nome", ftString, 40);
    DS.FieldDefs().Add("Saldo", ftFloat);
    new TField(&DS, "Nome", ftString, 40);
    new TField(&DS, "Saldo", ftFloat);
    auto* Dobro = new TField(&DS, "Dobro", ftFloat, 0, fkCalculated);
    DS.OnCalcFields = [](TDataSet* D) { D->FieldByName("Dobro")->SetAsFloat(D->FieldByName("Saldo")->AsFloat() * 2); };
    DS.CreateDataSet();
    for (const auto& [Nome, Saldo] : {std::pair{"João Silva", QVariant(100.5)}, {"maria souza", QVariant(50)},
                                      {"Ana Lima", Null()}, {"Carlos Alberto Souza", QVariant(10)},
                                      {"ÁLVARO Ção", QVariant(75)}})
        DS.AppendRecord({QString::fromUtf8(Nome), Saldo});
    DS.SetRecNo(3);
    Log.Attach(DS);
    TDataSource Source;
    TRecordingLink Link;
    Link.SetDataSource(&Source);
    Source.SetDataSet(&DS);
    Link.Seen.clear();
    auto Shown = [&] {
        QStringList Rows;
        for (int Row = 0; Row < DS.DisplayRecordCount(); ++Row)
            DS.ReadDisplayRecord(Row, [&] { Rows << DS.FieldByName("Nome")->AsString() + "/" + Dobro->AsString(); });
        return Rows;
    };
    EXPECT_EQ(Shown(), (QStringList{"João Silva/201", "maria souza/100", "Ana Lima/0", "Carlos Alberto Souza/20",
                                    "ÁLVARO Ção/150"}));
    EXPECT_EQ(DS.ActiveDisplayIndex(), 2);
    EXPECT_EQ(DS.RecNo(), 3);
    EXPECT_EQ(Log.Take(), "") << "no scroll events";
    EXPECT_TRUE(Link.Seen.isEmpty());

    DS.Edit();
    DS.FieldByName("Nome")->SetAsString("Editada");
    EXPECT_EQ(Shown()[2], "Editada/0") << "the active row shows its pending edit";
    DS.Cancel();
    DS.Insert();
    DS.FieldByName("Nome")->SetAsString("Nova");
    EXPECT_EQ(DS.DisplayRecordCount(), 6);
    EXPECT_EQ(DS.ActiveDisplayIndex(), 2) << "an inserted row stands before the current one";
    EXPECT_EQ(Shown().mid(1, 3), (QStringList{"maria souza/100", "Nova/0", "Ana Lima/0"}));
    EXPECT_EQ(DS.DisplayBookmark(2), 0);
    DS.Cancel();
    DS.Append();
    EXPECT_EQ(DS.ActiveDisplayIndex(), 5) << "an appended row stands last";
    DS.Cancel();
    EXPECT_EQ(DS.DisplayRecordCount(), 5);
    EXPECT_THROW(DS.ReadDisplayRecord(5, [] {}), EDatabaseError);
    DS.Close();
    EXPECT_EQ(DS.DisplayRecordCount(), 0);
    EXPECT_EQ(DS.ActiveDisplayIndex(), -1);
}

TEST(FieldTextTest, FormatsOfNumbersAndDates) {
    EXPECT_EQ(FormatFloat("0.00;(0.00);'zero'", -2.5), "(2,50)");
    EXPECT_EQ(FormatFloat("0.00;(0.00);'zero'", 0), "zero");
    EXPECT_EQ(FormatFloat("#,##0", 1234567.89), "1.234.568");
    EXPECT_EQ(FormatFloat("0.###", 1.5), "1,5");
    EXPECT_EQ(FormatFloat("R$ #,##0.00", 10), "R$ 10,00");
    EXPECT_EQ(FormatFloat("", 0.25), "0,25");
    const QDateTime Moment(QDate(2024, 2, 29), QTime(13, 5, 9));
    EXPECT_EQ(FormatDateTime("c", Moment), "29/02/2024 13:05:09");
    EXPECT_EQ(FormatDateTime("c", QDateTime(QDate(2024, 2, 29), QTime(0, 0))), "29/02/2024");
    EXPECT_EQ(FormatDateTime("d/m/yy h:n:s", Moment), "29/2/24 13:5:9");
    EXPECT_EQ(FormatDateTime("ddd, dd mmm", Moment), "qui., 29 fev.");

    EXPECT_EQ(ConvertValue("29/02/2024 13:05", ftDateTime).toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(13, 5)));
    EXPECT_EQ(ConvertValue("2024-02-29T13:05:09.250", ftDateTime).toDateTime(),
              QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9, 250)));
    EXPECT_EQ(ConvertValue(45351.5, ftDateTime).toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(12, 0)));
    EXPECT_THROW(ConvertValue("31/02/2024", ftDate), EDatabaseError);
    EXPECT_THROW(ConvertValue("1,5", ftInteger), EDatabaseError);
    EXPECT_EQ(ConvertValue(2.5, ftInteger).toInt(), 3);
    EXPECT_EQ(ConvertValue("sim", ftBoolean).toBool(), true);
    EXPECT_FALSE(ConvertValue(QVariant(), ftInteger).isValid());  // Unassigned stays Unassigned
    EXPECT_TRUE(VarIsNull(ConvertValue(Null(), ftInteger)));
    EXPECT_EQ(CompareValues(Null(), 0), -1);
    EXPECT_EQ(CompareValues(2, 2.0), 0);
    EXPECT_EQ(CompareValues(QDate(2024, 1, 1), QDateTime(QDate(2024, 1, 1), QTime(0, 0))), 0);
    // Numbers of one type order without conversion, as mixed ones do.
    EXPECT_EQ(CompareValues(-3, 2), -1);
    EXPECT_EQ(CompareValues(qlonglong(1) << 40, qlonglong(1) << 41), -1);
    EXPECT_EQ(CompareValues(2.25, 2.5), -1);
    EXPECT_EQ(CompareValues(2.5, 2.5), 0);
    EXPECT_EQ(CompareValues(Null(), 2.5), -1);

    // Unassigned, Null and a driver's typed null are clear; empty text, zero and false are values.
    const std::pair<QVariant, bool> Clear[] = {{QVariant(), true}, {Null(), true},
                                               {QVariant(QMetaType::fromType<int>()), true}, {QString(""), false},
                                               {0, false}, {false, false}};
    for (const auto& [Value, Expected] : Clear) {
        SCOPED_TRACE(Value.typeName() ? Value.typeName() : "Unassigned");
        EXPECT_EQ(VarIsClear(Value), Expected);
    }
}
