#include "databound/NumeracaoOperations.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <memory>
#include <optional>

#include "platform/data/ADODB.h"
#include "platform/data/NamedOperation.h"

namespace databound {

using namespace platform::data;

// SQL Server serialises each allocation inside its own transaction: an
// application lock per field, and update locks on the shared key counters.
const char* const kNextIncrementBatch =
    "Declare\r\n"
    "  @Max IdLongo,\r\n"
    "  @Result IdLongo\r\n"
    "\r\n"
    "Begin Transaction\r\n"
    "\r\n"
    "Set @Max = (Select Coalesce(Max(%0:s), 0) + 1 From %1:s%3:s)\r\n"
    "\r\n"
    "if %2:d = 1\r\n"
    "  Set @Result = @Max\r\n"
    "else\r\n"
    "begin\r\n"
    "  Set @Result = (Select Codigo From sys_Campo_Incremento With (UpdLock, HoldLock) Where IdCampo_Incremento"
    " Like '%0:s' and Divisao Like '%1:s')\r\n"
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
    "Commit Transaction\r\n"
    "\r\n"
    "Select @Result";

const char* const kGerarNumeracaoBatch =
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
    "  @Opcao_Zeramento_Auto Int,\r\n"
    "  @Recurso NVarChar(255)\r\n"
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
    "Begin Transaction\r\n"
    "Set @Recurso = 'sys_Numeracao.' + Upper(@Chave) + '.' + Upper(@Campo)\r\n"
    "Exec sp_getapplock @Resource = @Recurso, @LockMode = 'Exclusive'\r\n"
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
    "  Set @IdNumeracao = (Select Codigo From sys_Campo_Incremento With (UpdLock, HoldLock) Where"
    " IdCampo_Incremento Like 'IdNumeracao' and Divisao Like 'sys_Numeracao')\r\n"
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
    "    End\r\n"
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
    "Commit Transaction\r\n"
    "\r\n"
    "Select\r\n"
    "  @Numero as Numero,\r\n"
    "  @Mascara as Mascara,\r\n"
    "  @Quantidade_Digitos as Quantidade_Digitos,\r\n"
    "  @Data as Data";

namespace {

// Names are matched whole, ignoring case: the batches' Like would also take an
// underscore in a table or field name for any character.
constexpr const char* kBumpCounter =
    "Update sys_Campo_Incremento Set Codigo = Codigo + 1 "
    "Where Upper(IdCampo_Incremento) = Upper(:Campo) And Upper(Divisao) = Upper(:Tabela) Returning Codigo";
constexpr const char* kReadCounter =
    "Select Codigo From sys_Campo_Incremento "
    "Where Upper(IdCampo_Incremento) = Upper(:Campo) And Upper(Divisao) = Upper(:Tabela)";
// A new counter starts at the column's maximum, so that its first bump gives the maximum plus 1.
constexpr const char* kSeedCounter =
    "Insert Into sys_Campo_Incremento (IdCampo_Incremento, Divisao, Codigo) "
    "Select Cast(:Campo As VarChar(50)), Cast(:Tabela As VarChar(50)), (Select Coalesce(Max(%1), 0) From %2) "
    "Where Not Exists (Select 1 From sys_Campo_Incremento "
    "Where Upper(IdCampo_Incremento) = Upper(:Campo) And Upper(Divisao) = Upper(:Tabela)) On Conflict Do Nothing";

// The configuration that numbers a field: the company's row before the row for all companies.
constexpr const char* kWinningConfig =
    "From sys_Numeracao Where ((IdEmpresa_Sistema = :IdEmpresa_Sistema) Or (IdEmpresa_Sistema Is Null)) "
    "And (Upper(Chave) = Upper(:Chave)) And (Upper(Campo) = Upper(:Campo)) "
    "Order By Case When IdEmpresa_Sistema Is Null Then 1 Else 0 End";
// The usual allocation in one statement: the period's counter row of the
// winning configuration, incremented, with its mask, digits and date (%1 the
// configuration, %2 the date).
constexpr const char* kNextNumber =
    "Update sys_Numeracao_Item Set Numero = Numero + 1 Where IdNumeracao_Item = ("
    "Select Min(Nit.IdNumeracao_Item) From sys_Numeracao_Item Nit, (Select Top 1 IdNumeracao, Opcao_Zeramento %1) Nmr "
    "Where Nit.IdNumeracao = Nmr.IdNumeracao "
    "And Nit.Dia = Case When Nmr.Opcao_Zeramento = 1 Then DatePart(day, %2) Else 0 End "
    "And Nit.Mes = Case When Nmr.Opcao_Zeramento In (1, 2) Then DatePart(month, %2) Else 0 End "
    "And Nit.Ano = Case When Nmr.Opcao_Zeramento In (1, 2, 3) Then DatePart(year, %2) Else 0 End) "
    "Returning Numero, (Select Mascara From sys_Numeracao Where IdNumeracao = sys_Numeracao_Item.IdNumeracao), "
    "(Select Quantidade_Digitos From sys_Numeracao Where IdNumeracao = sys_Numeracao_Item.IdNumeracao), %2";
// The same allocation where Returning may read joined rows: the counter row is picked with the
// configuration's mask, digits and date, which then need no subselect while the row is locked.
constexpr const char* kNextNumberJoined =
    "Update sys_Numeracao_Item Set Numero = Numero + 1 From ("
    "Select Top 1 Nit.IdNumeracao_Item, Nmr.Mascara, Nmr.Quantidade_Digitos, Nmr.Data "
    "From sys_Numeracao_Item Nit, (Select Top 1 IdNumeracao, Opcao_Zeramento, Mascara, Quantidade_Digitos, "
    "%2 As Data %1) Nmr "
    "Where Nit.IdNumeracao = Nmr.IdNumeracao "
    "And Nit.Dia = Case When Nmr.Opcao_Zeramento = 1 Then DatePart(day, Nmr.Data) Else 0 End "
    "And Nit.Mes = Case When Nmr.Opcao_Zeramento In (1, 2) Then DatePart(month, Nmr.Data) Else 0 End "
    "And Nit.Ano = Case When Nmr.Opcao_Zeramento In (1, 2, 3) Then DatePart(year, Nmr.Data) Else 0 End "
    "Order By Nit.IdNumeracao_Item) Pick "
    "Where sys_Numeracao_Item.IdNumeracao_Item = Pick.IdNumeracao_Item "
    "Returning sys_Numeracao_Item.Numero, Pick.Mascara, Pick.Quantidade_Digitos, Pick.Data";
constexpr const char* kGivenOrServerDate = "Coalesce(:Data, GetDate())";
constexpr const char* kBumpNumber =
    "Update sys_Numeracao_Item Set Numero = Numero + 1 Where IdNumeracao_Item = (Select Min(IdNumeracao_Item) "
    "From sys_Numeracao_Item Where IdNumeracao = :IdNumeracao And Dia = :Dia And Mes = :Mes And Ano = :Ano) "
    "Returning Numero";
constexpr const char* kLockConfig = "Select IdNumeracao From sys_Numeracao Where IdNumeracao = :IdNumeracao";
constexpr const char* kInsertConfig =
    "Insert Into sys_Numeracao (IdNumeracao, Chave, Campo, Opcao_Zeramento, Mascara, Quantidade_Digitos) "
    "Values (:IdNumeracao, :Chave, :Campo, :Opcao_Zeramento, :Mascara, :Quantidade_Digitos)";
constexpr const char* kInsertItem =
    "Insert Into sys_Numeracao_Item (IdNumeracao_Item, IdNumeracao, Numero, Dia, Mes, Ano) "
    "Values (:IdNumeracao_Item, :IdNumeracao, 1, :Dia, :Mes, :Ano)";
constexpr const char* kServerDate = "Select GetDate()";

QString NextNumberSql(const TSqlDialect& Dialect) {
    static const QString Sql = QString(kNextNumber).arg(kWinningConfig, kGivenOrServerDate);
    static const QString Joined = QString(kNextNumberJoined).arg(kWinningConfig, kGivenOrServerDate);
    return Dialect.ReturnsJoinedColumns() ? Joined : Sql;
}

QString FindConfigSql() {
    static const QString Sql =
        QString("Select Top 1 IdNumeracao, Opcao_Zeramento, Mascara, Quantidade_Digitos, GetDate() As Agora %1")
            .arg(kWinningConfig);
    return Sql;
}

// A transaction of its own (a savepoint inside the caller's), rolled back unless committed.
class TAllocation {
public:
    explicit TAllocation(TADOConnection& Connection) : FConnection(Connection) { FConnection.BeginTrans(); }
    ~TAllocation() {
        if (FCommitted) return;
        try {
            FConnection.RollbackTrans();
        } catch (const EDatabaseError&) {
            // The error that brought us here is the one the caller must see.
        }
    }
    TAllocation(const TAllocation&) = delete;
    TAllocation& operator=(const TAllocation&) = delete;
    void Commit() {
        FCommitted = true;
        FConnection.CommitTrans();
    }

private:
    TADOConnection& FConnection;
    bool FCommitted = false;
};

// The first row of a statement kept prepared on the connection; empty when it gives none.
QVariantList FirstRow(TADOConnection& Connection, const QString& Sql, const TParameters& Params) {
    QSqlQuery& Query = Connection.RunCached(Sql, &Params);
    QVariantList Row;
    if (Query.next())
        for (int I = 0, Count = Query.record().count(); I < Count; ++I) Row << Query.value(I);
    Query.finish();
    return Row;
}

TParameters CounterParams(const QString& Table, const QString& Field) {
    TParameters Params;
    Params.CreateParameter("Campo", ftString, Field);
    Params.CreateParameter("Tabela", ftString, Table);
    return Params;
}

// Creates the counter row of Field in Table when it is missing; a concurrent creator's row is kept.
void SeedCounter(TADOConnection& Connection, const QString& Table, const QString& Field) {
    const TParameters Params = CounterParams(Table, Field);
    Connection.Execute(QString(kSeedCounter).arg(Field, Table), &Params, -1, true);
}

// One atomic statement on the usual path; the row is created first when missing.
qlonglong NextCounterValue(TADOConnection& Connection, const QString& Table, const QString& Field) {
    const TParameters Params = CounterParams(Table, Field);
    QVariantList Row = FirstRow(Connection, kBumpCounter, Params);
    if (Row.isEmpty()) {
        SeedCounter(Connection, Table, Field);
        Row = FirstRow(Connection, kBumpCounter, Params);
    }
    if (Row.isEmpty()) DatabaseError(QString("The counter of %1.%2 could not be created").arg(Table, Field));
    return Row[0].toLongLong();
}

void CheckIdentifier(const QString& Kind, const QVariant& Name) {
    if (!IsPlainIdentifier(Name.toString()))
        DatabaseError(QString("NextIncrement: '%1' is not a plain %2 name").arg(Name.toString(), Kind));
}

TOperationResult SingleValue(const QString& Column, const QVariant& Value) {
    TOperationResult Result;
    Result.Columns << Column;
    Result.Rows.push_back({Value});
    return Result;
}

class TNextIncrement : public TNamedOperation {
public:
    QString Name() const override { return kNextIncrementOperation; }
    QString Batch() const override { return kNextIncrementBatch; }
    std::vector<TOperationParam> Params() const override {
        return {{"Tabela", ftString}, {"Campo", ftString}, {"MaxOnly", ftBoolean}, {"Where", ftString}};
    }

protected:
    void CheckValues(const TParameters& Params) const override {
        CheckIdentifier("table", Params.ParamValues("Tabela"));
        CheckIdentifier("field", Params.ParamValues("Campo"));
    }
    TOperationResult RunBatch(TADOConnection& Connection, const TParameters& Params) const override {
        // The condition goes last, so that nothing it holds is taken for a placeholder.
        const QString Sql = QString(kNextIncrementBatch)
                                .replace("%0:s", Params.ParamValues("Campo").toString())
                                .replace("%1:s", Params.ParamValues("Tabela").toString())
                                .replace("%2:d", MaxOnly(Params) ? "1" : "0")
                                .replace("%3:s", WhereClause(Params));
        return ExecuteBatch(Connection, Sql, Params);
    }
    TOperationResult RunNative(TADOConnection& Connection, const TParameters& Params) const override {
        const QString Table = Params.ParamValues("Tabela").toString();
        const QString Field = Params.ParamValues("Campo").toString();
        if (!MaxOnly(Params)) return SingleValue(QString(), NextCounterValue(Connection, Table, Field));
        const QString Sql = QString("Select Coalesce(Max(%1), 0) + 1 From %2%3").arg(Field, Table, WhereClause(Params));
        return ExecuteStatement(Connection, Sql, &Params);
    }

private:
    static bool MaxOnly(const TParameters& Params) { return Params.ParamValues("MaxOnly").toBool(); }
    static QString WhereClause(const TParameters& Params) {
        const QString Where = Params.ParamValues("Where").toString();
        return MaxOnly(Params) && !Where.trimmed().isEmpty() ? " Where " + Where : QString();
    }
    // The condition's own parameters travel with the batch.
    static TOperationResult ExecuteBatch(TADOConnection& Connection, const QString& Sql, const TParameters& Params) {
        QSqlQuery Query = Connection.RunBatch(Sql, &Params);
        QVariant Value;
        do {
            if (Query.isSelect() && Query.next()) Value = Query.value(0);
        } while (Query.nextResult());
        Query.finish();
        return SingleValue(QString(), Value);
    }
};

// The configuration row that numbers one field.
struct TConfig {
    qlonglong IdNumeracao = 0;
    int Opcao_Zeramento = 0;
    QVariant Mascara;
    QVariant Quantidade_Digitos;
};

// The counter row's period: only what the reset option tells apart, the rest 0.
struct TPeriod {
    int Dia = 0, Mes = 0, Ano = 0;
    TPeriod(const QDate& Date, int Opcao_Zeramento) {
        if (Opcao_Zeramento == kZeramentoDiario) Dia = Date.day();
        if (Opcao_Zeramento == kZeramentoDiario || Opcao_Zeramento == kZeramentoMensal) Mes = Date.month();
        if (Opcao_Zeramento >= kZeramentoDiario && Opcao_Zeramento <= kZeramentoAnual) Ano = Date.year();
    }
    void AddTo(TParameters& Params) const {
        Params.CreateParameter("Dia", ftInteger, Dia);
        Params.CreateParameter("Mes", ftInteger, Mes);
        Params.CreateParameter("Ano", ftInteger, Ano);
    }
};

class TGerarNumeracao : public TNamedOperation {
public:
    QString Name() const override { return kGerarNumeracaoOperation; }
    QString Batch() const override { return kGerarNumeracaoBatch; }
    std::vector<TOperationParam> Params() const override {
        return {{"IdEmpresa_Sistema", ftInteger}, {"Chave", ftString},         {"Campo", ftString},
                {"Data", ftDateTime},             {"Numeracao_Automatica", ftBoolean}, {"Mascara", ftString},
                {"Quantidade_Digitos", ftInteger}, {"Opcao_Zeramento", ftInteger}};
    }

protected:
    TOperationResult RunNative(TADOConnection& Connection, const TParameters& Given) const override {
        const QString NextNumber = NextNumberSql(Connection.Dialect());
        if (const QVariantList Row = FirstRow(Connection, NextNumber, NextNumberParams(Given)); !Row.isEmpty())
            return Answer(Row[0], TConfig{0, 0, Row[1], Row[2]}, ConvertValue(Row[3], ftDateTime).toDateTime());
        QVariant Now;
        std::optional<TConfig> Config = FindConfig(Connection, Given, Now);
        const QVariant Data = Given.ParamValues("Data");
        const QDateTime When = ConvertValue(VarIsClear(Data) ? (Config ? Now : ServerDate(Connection)) : Data,
                                            ftDateTime).toDateTime();
        if (!Config && !Given.ParamValues("Numeracao_Automatica").toBool()) {
            TConfig None;
            None.Quantidade_Digitos = Given.ParamValues("Quantidade_Digitos");
            return Answer(Null(), None, When);
        }
        // A new configuration or a new period: one creator at a time, then the usual bump.
        TAllocation Allocation(Connection);
        if (!Config) {
            SeedCounter(Connection, "sys_Numeracao", "IdNumeracao");
            FirstRow(Connection, Connection.Dialect().ForUpdate(kReadCounter),
                     CounterParams("sys_Numeracao", "IdNumeracao"));
            Config = FindConfig(Connection, Given, Now);
            if (!Config) Config = CreateConfig(Connection, Given);
        }
        TParameters Key;
        Key.CreateParameter("IdNumeracao", ftLargeint, Config->IdNumeracao);
        FirstRow(Connection, Connection.Dialect().ForUpdate(kLockConfig), Key);
        std::optional<qlonglong> Numero = BumpNumber(Connection, *Config, When.date());
        if (!Numero) Numero = StartNumber(Connection, *Config, When.date());
        Allocation.Commit();
        return Answer(*Numero, *Config, When);
    }

private:
    // What picks the configuration: the company, the key and the field.
    static TParameters ConfigParams(const TParameters& Given) {
        TParameters Params;
        Params.CreateParameter("IdEmpresa_Sistema", ftInteger, Given.ParamValues("IdEmpresa_Sistema"));
        Params.CreateParameter("Chave", ftString, Given.ParamValues("Chave"));
        Params.CreateParameter("Campo", ftString, Given.ParamValues("Campo"));
        return Params;
    }

    // A Null date stands for the server's.
    static TParameters NextNumberParams(const TParameters& Given) {
        TParameters Params = ConfigParams(Given);
        const QVariant Data = Given.ParamValues("Data");
        Params.CreateParameter("Data", ftDateTime, VarIsClear(Data) ? Null() : Data);
        return Params;
    }

    static QVariant ServerDate(TADOConnection& Connection) { return Connection.SelectRow(kServerDate).value(0); }

    static std::optional<TConfig> FindConfig(TADOConnection& Connection, const TParameters& Given, QVariant& Now) {
        const QVariantList Row = FirstRow(Connection, FindConfigSql(), ConfigParams(Given));
        if (Row.isEmpty()) return std::nullopt;
        Now = Row[4];
        return TConfig{Row[0].toLongLong(), Row[1].toInt(), Row[2], Row[3]};
    }

    static TConfig CreateConfig(TADOConnection& Connection, const TParameters& Given) {
        TConfig Config{NextCounterValue(Connection, "sys_Numeracao", "IdNumeracao"),
                       Given.ParamValues("Opcao_Zeramento").toInt(), Given.ParamValues("Mascara"),
                       Given.ParamValues("Quantidade_Digitos")};
        TParameters Params;
        Params.CreateParameter("IdNumeracao", ftLargeint, Config.IdNumeracao);
        Params.CreateParameter("Chave", ftString, Given.ParamValues("Chave"));
        Params.CreateParameter("Campo", ftString, Given.ParamValues("Campo"));
        Params.CreateParameter("Opcao_Zeramento", ftInteger, Config.Opcao_Zeramento);
        Params.CreateParameter("Mascara", ftString, Config.Mascara);
        Params.CreateParameter("Quantidade_Digitos", ftInteger, Config.Quantidade_Digitos);
        Connection.Execute(kInsertConfig, &Params, -1, true);
        return Config;
    }

    static TParameters PeriodParams(const TConfig& Config, const QDate& Date) {
        TParameters Params;
        Params.CreateParameter("IdNumeracao", ftLargeint, Config.IdNumeracao);
        TPeriod(Date, Config.Opcao_Zeramento).AddTo(Params);
        return Params;
    }

    // The period's next number in one statement; none when the period has no counter row yet.
    static std::optional<qlonglong> BumpNumber(TADOConnection& Connection, const TConfig& Config, const QDate& Date) {
        const QVariantList Row = FirstRow(Connection, kBumpNumber, PeriodParams(Config, Date));
        if (Row.isEmpty()) return std::nullopt;
        return Row[0].toLongLong();
    }

    // The period's counter row, keyed by the same counter the configuration dialog uses.
    static qlonglong StartNumber(TADOConnection& Connection, const TConfig& Config, const QDate& Date) {
        TParameters Params = PeriodParams(Config, Date);
        Params.CreateParameter("IdNumeracao_Item", ftLargeint,
                               NextCounterValue(Connection, "sys_Numeracao_Item", "IdNumeracao_Item"));
        Connection.Execute(kInsertItem, &Params, -1, true);
        return 1;
    }

    static TOperationResult Answer(const QVariant& Numero, const TConfig& Config, const QDateTime& When) {
        TOperationResult Result;
        Result.Columns = QStringList{"Numero", "Mascara", "Quantidade_Digitos", "Data"};
        Result.Rows.push_back({Numero, VarIsClear(Numero) ? Null() : Config.Mascara, Config.Quantidade_Digitos,
                               QVariant(When)});
        return Result;
    }
};

}  // namespace

bool IsPlainIdentifier(const QString& Name) {
    static const QRegularExpression kPlain("^[A-Za-z_][A-Za-z0-9_]*$");
    return kPlain.match(Name).hasMatch();
}

void RegisterNumeracaoOperations() {
    RegisterOperation(std::make_unique<TNextIncrement>());
    RegisterOperation(std::make_unique<TGerarNumeracao>());
}

}  // namespace databound
