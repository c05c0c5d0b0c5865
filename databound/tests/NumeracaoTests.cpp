// The numbering service on every engine: the batch texts SQL Server receives,
// the mask, configuration rows per company, reset periods, key counters and
// the hook the table classes call.
#include <gtest/gtest.h>

#include "NumberingDialogTest.h"
#include "controls/VexMessage.h"
#include "dataaccess/NumberingHook.h"
#include "databound/Numeracao.h"
#include "databound/NumeracaoOperations.h"
#include "platform/data/NamedOperation.h"

using namespace databound;
using namespace platform::data;
using namespace platform::data::testing;

namespace {

// The batches as first written, and the only edits that make them safe for
// concurrent callers on SQL Server (a transaction, locks, one key rule for counter rows).
const char* const kQuotedNextIncrement =
    "Declare\r\n"
    "  @Max IdLongo,\r\n"
    "  @Result IdLongo\r\n"
    "\r\n"
    "Set @Max = (Select Coalesce(Max(%0:s), 0) + 1 From %1:s%3:s)\r\n"
    "\r\n"
    "if %2:d = 1\r\n"
    "  Set @Result = @Max\r\n"
    "else\r\n"
    "begin\r\n"
    "  Set @Result = (Select Codigo From sys_Campo_Incremento Where IdCampo_Incremento Like '%0:s' and Divisao"
    " Like '%1:s')\r\n"
    "  if @Result Is Null\r\n"
    "  begin\r\n"
    "    Set @Result = @Max\r\n"
    "    Insert Into sys_Campo_Incremento (IdCampo_Incremento, Divisao, Codigo) Values ('%0:s', '%1:s',"
    " @Result)\r\n"
    "  end\r\n"
    "  else\r\n"
    "  begin\r\n"
    "    Set @Result = @Result + 1\r\n"
    "    Update sys_Campo_Incremento Set Codigo = @Result Where IdCampo_Incremento Like '%0:s' and Divisao Like"
    " '%1:s'\r\n"
    "  end;\r\n"
    "end\r\n"
    "\r\n"
    "Select @Result";

const char* const kQuotedGerarNumeracao =
    "Declare\r\n"
    "  @IdEmpresa_Sistema IdCurto,\r\n"
    "  @Chave Nome,\r\n"
    "  @Campo Nome,\r\n"
    "  @Numeracao_Automatica Boleano,\r\n"
    "  @Data Data,\r\n"
    "  @Dia Int,\r\n"
    "  @Mes Int,\r\n"
    "  @Ano Int,\r\n"
    "  @IdNumeracao IdLongo,\r\n"
    "  @IdNumeracao_Item IdLongo,\r\n"
    "  @Numero InteiroLongo,\r\n"
    "  @Mascara AlfaNumericoLongo,\r\n"
    "  @Quantidade_Digitos InteiroCurto,\r\n"
    "  @Opcao_Zeramento Int,\r\n"
    "  @Mascara_Auto AlfaNumericoLongo,\r\n"
    "  @Quantidade_Digitos_Auto InteiroCurto,\r\n"
    "  @Opcao_Zeramento_Auto Int\r\n"
    "\r\n"
    "Set @IdEmpresa_Sistema = :IdEmpresa_Sistema\r\n"
    "Set @Chave = :Chave\r\n"
    "Set @Campo = :Campo\r\n"
    "Set @Data  = :Data\r\n"
    "Set @Numeracao_Automatica = :Numeracao_Automatica\r\n"
    "Set @Mascara = :Mascara\r\n"
    "Set @Quantidade_Digitos = :Quantidade_Digitos\r\n"
    "Set @Opcao_Zeramento = :Opcao_Zeramento\r\n"
    "\r\n"
    "Set @Mascara_Auto = @Mascara\r\n"
    "Set @Quantidade_Digitos_Auto = @Quantidade_Digitos\r\n"
    "Set @Opcao_Zeramento_Auto = @Opcao_Zeramento\r\n"
    "\r\n"
    "if @Data Is Null\r\n"
    "  Set @Data  = GetDate()\r\n"
    "\r\n"
    "Set @Dia = DatePart(day, @Data)\r\n"
    "Set @Mes = DatePart(month, @Data)\r\n"
    "Set @Ano = DatePart(year, @Data)\r\n"
    "\r\n"
    "Declare Numeracao Scroll Cursor For\r\n"
    "Select Top 1\r\n"
    "  IdNumeracao,\r\n"
    "  Opcao_Zeramento,\r\n"
    "  Mascara,\r\n"
    "  Quantidade_Digitos\r\n"
    "From\r\n"
    "  sys_Numeracao\r\n"
    "Where\r\n"
    "  ((IdEmpresa_Sistema = @IdEmpresa_Sistema) or (IdEmpresa_Sistema Is Null))\r\n"
    "and\r\n"
    "  (Chave Like @Chave)\r\n"
    "and\r\n"
    "  (Campo Like @Campo)\r\n"
    "Order By\r\n"
    "  IdEmpresa_Sistema Desc\r\n"
    "\r\n"
    "Open Numeracao\r\n"
    "\r\n"
    "Fetch First From Numeracao Into @IdNumeracao, @Opcao_Zeramento, @Mascara, @Quantidade_Digitos\r\n"
    "\r\n"
    "If (@IdNumeracao Is Null) and (@Numeracao_Automatica = 1)\r\n"
    "Begin\r\n"
    "  Set @IdNumeracao = (Select Codigo From sys_Campo_Incremento Where IdCampo_Incremento Like 'IdNumeracao' and"
    " Divisao Like 'sys_Numeracao')\r\n"
    "\r\n"
    "  If @IdNumeracao Is Null\r\n"
    "  Begin\r\n"
    "    Set @IdNumeracao = (Select Coalesce(Max(IdNumeracao), 0) + 1 From sys_Numeracao)\r\n"
    "    Insert Into sys_Campo_Incremento (IdCampo_Incremento, Divisao, Codigo) Values ('IdNumeracao',"
    " 'sys_Numeracao', @IdNumeracao)\r\n"
    "  End\r\n"
    "  Else\r\n"
    "  Begin\r\n"
    "    Set @IdNumeracao = @IdNumeracao + 1\r\n"
    "    Update sys_Campo_Incremento Set Codigo = @IdNumeracao Where IdCampo_Incremento Like 'IdNumeracao' and"
    " Divisao Like 'sys_Numeracao'\r\n"
    "  End\r\n"
    "\r\n"
    "  Insert Into sys_Numeracao (\r\n"
    "    IdNumeracao,\r\n"
    "    Chave,\r\n"
    "    Campo,\r\n"
    "    Opcao_Zeramento,\r\n"
    "    Mascara,\r\n"
    "    Quantidade_Digitos\r\n"
    "  )\r\n"
    "  Values (\r\n"
    "    @IdNumeracao,\r\n"
    "    @Chave,\r\n"
    "    @Campo,\r\n"
    "    @Opcao_Zeramento_Auto,\r\n"
    "    @Mascara_Auto,\r\n"
    "    @Quantidade_Digitos_Auto\r\n"
    "  )\r\n"
    "\r\n"
    "  Set @Mascara = @Mascara_Auto\r\n"
    "  Set @Quantidade_Digitos = @Quantidade_Digitos_Auto\r\n"
    "  Set @Opcao_Zeramento = @Opcao_Zeramento_Auto\r\n"
    "End\r\n"
    "\r\n"
    "If @IdNumeracao Is Not Null\r\n"
    "Begin\r\n"
    "  If @Opcao_Zeramento = 2 /* mensal */\r\n"
    "    Set @Dia = 0\r\n"
    "  Else If @Opcao_Zeramento = 3 /* anual */\r\n"
    "  Begin\r\n"
    "    Set @Dia = 0\r\n"
    "    Set @Mes = 0\r\n"
    "  End\r\n"
    "  Else If @Opcao_Zeramento <> 1 /* diario */\r\n"
    "  Begin\r\n"
    "    Set @Dia = 0\r\n"
    "    Set @Mes = 0\r\n"
    "    Set @Ano = 0\r\n"
    "  End\r\n"
    "\r\n"
    "  Declare Numeracao_Item Scroll Cursor For\r\n"
    "  Select\r\n"
    "    IdNumeracao_Item,\r\n"
    "    Numero\r\n"
    "  From\r\n"
    "    sys_Numeracao_Item Nit\r\n"
    "  Where\r\n"
    "    (Nit.IdNumeracao = @IdNumeracao)\r\n"
    "  and\r\n"
    "    (Nit.Dia = @Dia)\r\n"
    "  and\r\n"
    "    (Nit.Mes = @Mes)\r\n"
    "  and\r\n"
    "    (Nit.Ano = @Ano)\r\n"
    "\r\n"
    "  Open Numeracao_Item\r\n"
    "\r\n"
    "  Fetch First From Numeracao_Item Into @IdNumeracao_Item, @Numero\r\n"
    "\r\n"
    "  if @IdNumeracao_Item Is Null\r\n"
    "  Begin\r\n"
    "    Set @IdNumeracao_Item = Coalesce((Select Max(IdNumeracao_Item) From sys_Numeracao_Item), 0) + 1\r\n"
    "    Set @Numero = 1\r\n"
    "\r\n"
    "    Insert Into sys_Numeracao_Item (\r\n"
    "      IdNumeracao_Item,\r\n"
    "      IdNumeracao,\r\n"
    "      Numero,\r\n"
    "      Dia,\r\n"
    "      Mes,\r\n"
    "      Ano\r\n"
    "    )\r\n"
    "    Values (\r\n"
    "      @IdNumeracao_Item,\r\n"
    "      @IdNumeracao,\r\n"
    "      @Numero,\r\n"
    "      @Dia,\r\n"
    "      @Mes,\r\n"
    "      @Ano\r\n"
    "    )\r\n"
    "  End\r\n"
    "  Else\r\n"
    "  Begin  \r\n"
    "    Set @Numero = @Numero + 1\r\n"
    "    Update sys_Numeracao_Item Set\r\n"
    "      Numero = @Numero,\r\n"
    "      Dia = @Dia,\r\n"
    "      Mes = @Mes,\r\n"
    "      Ano = @Ano\r\n"
    "    Where\r\n"
    "      IdNumeracao_Item = @IdNumeracao_Item\r\n"
    "  End\r\n"
    "\r\n"
    "  Close Numeracao_Item\r\n"
    "  Deallocate Numeracao_Item\r\n"
    "End\r\n"
    "\r\n"
    "Close Numeracao\r\n"
    "Deallocate Numeracao\r\n"
    "\r\n"
    "Select\r\n"
    "  @Numero as Numero,\r\n"
    "  @Mascara as Mascara,\r\n"
    "  @Quantidade_Digitos as Quantidade_Digitos,\r\n"
    "  @Data as Data";

using TEdits = std::vector<std::pair<const char*, const char*>>;
const TEdits kNextIncrementEdits = {
    {"  @Result IdLongo\r\n"
     "\r\n",
     "  @Result IdLongo\r\n"
     "\r\n"
     "Begin Transaction\r\n"
     "\r\n"},
    {"(Select Codigo From sys_Campo_Incremento Where",
     "(Select Codigo From sys_Campo_Incremento With (UpdLock, HoldLock) Where"},
    {"\r\n"
     "\r\n"
     "Select @Result",
     "\r\n"
     "\r\n"
     "Commit Transaction\r\n"
     "\r\n"
     "Select @Result"},
};
const TEdits kGerarNumeracaoEdits = {
    {"  @Opcao_Zeramento_Auto Int\r\n"
     "\r\n",
     "  @Opcao_Zeramento_Auto Int,\r\n"
     "  @Recurso NVarChar(255)\r\n"
     "\r\n"},
    {"\r\n"
     "Declare Numeracao Scroll Cursor For",
     "\r\n"
     "Begin Transaction\r\n"
     "Set @Recurso = 'sys_Numeracao.' + Upper(@Chave) + '.' + Upper(@Campo)\r\n"
     "Exec sp_getapplock @Resource = @Recurso, @LockMode = 'Exclusive'\r\n"
     "\r\n"
     "Declare Numeracao Scroll Cursor For"},
    {"(Select Codigo From sys_Campo_Incremento Where IdCampo_Incremento Like 'IdNumeracao'",
     "(Select Codigo From sys_Campo_Incremento With (UpdLock, HoldLock) Where IdCampo_Incremento Like 'IdNumeracao'"},
    {"    Set @IdNumeracao_Item = Coalesce((Select Max(IdNumeracao_Item) From sys_Numeracao_Item), 0) + 1\r\n",
     "    Set @IdNumeracao_Item = (Select Codigo From sys_Campo_Incremento With (UpdLock, HoldLock) Where"
     " IdCampo_Incremento Like 'IdNumeracao_Item' and Divisao Like 'sys_Numeracao_Item')\r\n"
     "    If @IdNumeracao_Item Is Null\r\n"
     "    Begin\r\n"
     "      Set @IdNumeracao_Item = (Select Coalesce(Max(IdNumeracao_Item), 0) + 1 From sys_Numeracao_Item)\r\n"
     "      Insert Into sys_Campo_Incremento (IdCampo_Incremento, Divisao, Codigo) Values ('IdNumeracao_Item',"
     " 'sys_Numeracao_Item', @IdNumeracao_Item)\r\n"
     "    End\r\n"
     "    Else\r\n"
     "    Begin\r\n"
     "      Set @IdNumeracao_Item = @IdNumeracao_Item + 1\r\n"
     "      Update sys_Campo_Incremento Set Codigo = @IdNumeracao_Item Where IdCampo_Incremento Like"
     " 'IdNumeracao_Item' and Divisao Like 'sys_Numeracao_Item'\r\n"
     "    End\r\n"},
    {"Deallocate Numeracao\r\n"
     "\r\n"
     "Select",
     "Deallocate Numeracao\r\n"
     "\r\n"
     "Commit Transaction\r\n"
     "\r\n"
     "Select"},
};

QString Edited(QString Text, const TEdits& Edits) {
    for (const auto& [From, To] : Edits) {
        EXPECT_EQ(Text.count(From), 1) << From;
        Text.replace(From, To);
    }
    return Text;
}

TEST(NumeracaoBatchTest, TheBatchesAreTheQuotedTextsWithOnlyTheLockingEdits) {
    EXPECT_EQ(QString(kNextIncrementBatch), Edited(kQuotedNextIncrement, kNextIncrementEdits));
    EXPECT_EQ(QString(kGerarNumeracaoBatch), Edited(kQuotedGerarNumeracao, kGerarNumeracaoEdits));
    EXPECT_EQ(FindOperation(kNextIncrementOperation).Batch(), kNextIncrementBatch);
    EXPECT_EQ(FindOperation(kGerarNumeracaoOperation).Batch(), kGerarNumeracaoBatch);
}

TEST(NumeracaoFormatTest, MaskTokensAreReplacedIgnoringCaseAndTheNumberIsNeverCut) {
    const QDateTime March5(QDate(2024, 3, 5), QTime(14, 30));
    const struct {
        QVariant Numero;
        const char* Mascara;
        int Digitos;
        const char* Expected;
    } Cases[] = {
        {42, "[Numero]/[YY]", 6, "000042/24"},
        {1234567, "[Numero]/[YY]", 6, "1234567/24"},
        {7, "[numero]-[yyyy]", 3, "007-2024"},
        {7, "[DD].[D].[MM].[M].[YYYY].[YY]", 0, "05.5.03.3.2024.24"},
        {7, "[Numero] e [Numero]", 2, "07 e 07"},
        {7, "", 6, ""},
        {Null(), "[Numero]", 6, ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Mascara);
        EXPECT_EQ(FormatarNumeracao(C.Numero, C.Mascara, C.Digitos, March5), C.Expected);
    }
}

TEST(NumeracaoHookTest, WithoutAServiceTheHooksRaise) {
    const dataaccess::TNumberingService Registered = dataaccess::SetNumberingService(nullptr);
    const dataaccess::TNumberingDialog Dialog = dataaccess::SetNumberingDialog(nullptr);
    ASSERT_TRUE(Registered) << "the library registers its service at start";
    EXPECT_THROW(dataaccess::GerarNumeracao("Pedido", "Numero", 1, 0, 6, "[Numero]", true), controls::EDesktopError);
    EXPECT_THROW(dataaccess::ConfigurarNumeracao("Pedido", {}), controls::EDesktopError);
    dataaccess::SetNumberingService(Registered);
    dataaccess::SetNumberingDialog(Dialog);
}

class NumeracaoTest : public databound::testing::NumberingDialogTest {
protected:
    QString Next(const QString& Campo, const QDate& Date, int Empresa = 1, bool Automatica = false) {
        return GerarNumeracao("Pedido", Campo, Empresa, kZeramentoNunca, 6, "[Numero]/[YY]", Automatica, Conn.get(),
                              QDateTime(Date, QTime(10, 0)));
    }
    // "Numero|Dia|Mes|Ano" per counter row, by key.
    QStringList Items() {
        QStringList Out;
        QSqlQuery Q = Conn->Run("Select Numero, Dia, Mes, Ano From sys_Numeracao_Item Order By IdNumeracao_Item",
                                nullptr);
        while (Q.next())
            Out << QString("%1|%2|%3|%4").arg(Q.value(0).toInt()).arg(Q.value(1).toInt()).arg(Q.value(2).toInt())
                       .arg(Q.value(3).toInt());
        return Out;
    }
};
VEX_INSTANTIATE_ENGINE_SUITE(NumeracaoTest);

TEST_P(NumeracaoTest, AnAutomaticFieldCreatesOneConfigurationForAllCompaniesAndNumbersFromOne) {
    const QDate March5(2024, 3, 5);
    EXPECT_EQ(Next("Numero", March5, 1, true), "000001/24");
    EXPECT_EQ(Next("Numero", March5, 3, true), "000002/24");
    EXPECT_EQ(Next("numero", March5, 1, true), "000003/24");
    EXPECT_EQ(Count("sys_Numeracao"), 1);
    const QVariantList Row = Conn->SelectRow(
        "Select IdEmpresa_Sistema, Chave, Campo, Opcao_Zeramento, Mascara, Quantidade_Digitos From sys_Numeracao");
    EXPECT_TRUE(VarIsClear(Row[0]));
    EXPECT_EQ(QStringList({Row[1].toString(), Row[2].toString(), Row[3].toString(), Row[4].toString(),
                           Row[5].toString()}),
              QStringList({"Pedido", "Numero", "0", "[Numero]/[YY]", "6"}));
    // Without a configuration and without the automatic flag nothing is numbered or created.
    EXPECT_EQ(Next("Outro", March5), "");
    EXPECT_EQ(Count("sys_Numeracao"), 1);
    // An underscore in a name is that character, not a wildcard (the SQL Server batch keeps its Like).
    if (GetParam() != egTSQL) {
        const QDateTime When(March5, QTime(10, 0));
        EXPECT_EQ(GerarNumeracao("Pedid_", "Numer_", 1, kZeramentoNunca, 6, "[Numero]", false, Conn.get(), When), "");
    }
}

TEST_P(NumeracaoTest, ThroughTheHookCompanyZeroIsTheSessionsCompany) {
    Configure(1, 3, "Numero", kZeramentoNunca, "F3-[Numero]", 2);
    EXPECT_EQ(dataaccess::GerarNumeracao("Pedido", "Numero", 0, 0, 6, "[Numero]", true), "F3-01");
}

TEST_P(NumeracaoTest, TheCompanyRowWinsOverTheRowForAllCompanies) {
    Configure(1, 0, "Numero", kZeramentoNunca, "T-[Numero]", 2);
    Configure(2, 3, "Numero", kZeramentoNunca, "F3-[Numero]", 3);
    const QDate Day(2024, 3, 5);
    EXPECT_EQ(Next("Numero", Day, 3), "F3-001");
    EXPECT_EQ(Next("Numero", Day, 5), "T-01");
    EXPECT_EQ(Next("Numero", Day, 3), "F3-002");
    EXPECT_EQ(Next("Numero", Day, 5, true), "T-02");
}

TEST_P(NumeracaoTest, EachResetOptionKeepsOneCounterRowPerPeriodItTellsApart) {
    const struct {
        int Opcao;
        std::vector<QDate> Dates;
        QStringList Numbers;
        QStringList Items;
    } Cases[] = {
        {kZeramentoMensal,
         {QDate(2024, 3, 5), QDate(2024, 3, 20), QDate(2024, 4, 1), QDate(2024, 3, 31)},
         {"1", "2", "1", "3"},
         {"3|0|3|2024", "1|0|4|2024"}},
        {kZeramentoAnual,
         {QDate(2024, 3, 5), QDate(2024, 12, 31), QDate(2025, 1, 1)},
         {"1", "2", "1"},
         {"2|0|0|2024", "1|0|0|2025"}},
        {kZeramentoDiario, {QDate(2024, 3, 5), QDate(2024, 3, 5), QDate(2024, 3, 6)}, {"1", "2", "1"},
         {"2|5|3|2024", "1|6|3|2024"}},
        {kZeramentoNunca, {QDate(2024, 3, 5), QDate(2025, 7, 9)}, {"1", "2"}, {"2|0|0|0"}},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Opcao);
        Conn->Execute("Delete From sys_Numeracao_Item");
        Conn->Execute("Delete From sys_Numeracao");
        Configure(1, 0, "Numero", C.Opcao, "[Numero]", 0);
        QStringList Numbers;
        for (const QDate& Date : C.Dates) Numbers << Next("Numero", Date);
        EXPECT_EQ(Numbers, C.Numbers);
        EXPECT_EQ(Items(), C.Items);
    }
}

TEST_P(NumeracaoTest, NewCounterRowsTakeTheirKeyFromTheSameCounterAsTheDialog) {
    Configure(1, 0, "Numero", kZeramentoNunca, "[Numero]", 0);
    Configure(2, 0, "Serie", kZeramentoNunca, "[Numero]", 0);
    // The dialog's rows have moved the key counter past the table's maximum.
    Conn->Execute("Insert Into sys_Campo_Incremento (IdCampo_Incremento, Divisao, Codigo) "
                  "Values ('IdNumeracao_Item', 'sys_Numeracao_Item', 100)");
    Next("Numero", QDate(2024, 3, 5));
    Next("Serie", QDate(2024, 3, 5));
    EXPECT_EQ(Scalar("Select Min(IdNumeracao_Item) From sys_Numeracao_Item").toInt(), 101);
    EXPECT_EQ(Scalar("Select Max(IdNumeracao_Item) From sys_Numeracao_Item").toInt(), 102);
    EXPECT_EQ(NextIncrement("sys_Numeracao_Item", "IdNumeracao_Item", false, Conn.get()), 103);
}

TEST_P(NumeracaoTest, AFailedAllocationLeavesEveryCounterAsItWas) {
    Configure(1, 0, "Numero", kZeramentoNunca, "[Numero]", 0);
    EXPECT_EQ(Next("Numero", QDate(2024, 3, 5)), "1");
    // A counter behind the rows: the next new period's key is taken, and its insert fails.
    Conn->Execute("Update sys_Campo_Incremento Set Codigo = 0 Where IdCampo_Incremento = 'IdNumeracao_Item'");
    Configure(2, 0, "Serie", kZeramentoNunca, "[Numero]", 0);
    EXPECT_THROW(Next("Serie", QDate(2024, 3, 5)), EDatabaseError);
    EXPECT_EQ(Scalar("Select Codigo From sys_Campo_Incremento Where IdCampo_Incremento = 'IdNumeracao_Item'").toInt(),
              0);
    EXPECT_EQ(Items(), QStringList({"1|0|0|0"}));
    EXPECT_EQ(Next("Numero", QDate(2024, 3, 5)), "2");
}

TEST_P(NumeracaoTest, NextIncrementStartsAtTheMaximumAndThenFollowsItsOwnCounter) {
    EXPECT_EQ(NextIncrement("Cliente", "IdCliente", false, Conn.get()), 4);
    EXPECT_EQ(NextIncrement("CLIENTE", "idcliente", false, Conn.get()), 5);
    // Only the maximum: no counter is touched.
    EXPECT_EQ(NextIncrement("Cliente", "IdCliente", true, Conn.get()), 4);
    EXPECT_EQ(NextIncrement("Cliente", "IdCliente", true, Conn.get(), "Cidade = 'Rio'"), 3);
    // The condition's values travel as parameters, so a quote in one neither breaks nor widens it.
    Conn->Execute("Update Cliente Set Cidade = 'D''Ávila' Where IdCliente = 1");
    TParameters Where;
    Where.CreateParameter("Cidade", ftString, "D'Ávila");
    EXPECT_EQ(NextIncrement("Cliente", "IdCliente", true, Conn.get(), "Cidade = :Cidade", &Where), 2);
    Where.ParamByName("Cidade").SetValue("x' or '1'='1");
    EXPECT_EQ(NextIncrement("Cliente", "IdCliente", true, Conn.get(), "Cidade = :Cidade", &Where), 1);
    EXPECT_EQ(NextIncrement("Cliente", "IdCliente", false, Conn.get()), 6);
    EXPECT_EQ(Count("sys_Campo_Incremento"), 1);
}

TEST_P(NumeracaoTest, NamesThatAreNotPlainIdentifiersNeverReachTheDatabase) {
    const std::pair<const char*, const char*> Names[] = {
        {"Cliente; Drop Table Cliente", "IdCliente"}, {"Cliente", "IdCliente) From Cliente --"},
        {"1Cliente", "IdCliente"}, {"", "IdCliente"}, {"Cliente", "Id Cliente"}, {"Cli'ente", "IdCliente"},
    };
    for (const auto& [Table, Field] : Names) {
        SCOPED_TRACE(std::string(Table) + "." + Field);
        EXPECT_THROW(NextIncrement(Table, Field, false, Conn.get()), EDatabaseError);
        EXPECT_THROW(NextIncrement(Table, Field, true, Conn.get()), EDatabaseError);
    }
    EXPECT_EQ(Count("Cliente"), 3);
    EXPECT_EQ(Count("sys_Campo_Incremento"), 0);
    EXPECT_TRUE(IsPlainIdentifier("_Tabela_2"));
}

}  // namespace
