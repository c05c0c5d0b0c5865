// Numbered columns: which columns are numbered, their defaults, and new rows
// numbered through the service that the data-bound layer registers.
#include <gtest/gtest.h>

#include "TableTest.h"
#include "dataaccess/NumberingHook.h"

using namespace dataaccess;
using namespace dataaccess::testing;
using namespace platform::data;

namespace {

class TDocumentoTeste : public TClasseTabela {
    Q_OBJECT
public:
    using TClasseTabela::TClasseTabela;
    void GetTableName(QString& Name) override { Name = "Documento"; }
    void GetCaption(QString& Caption) override { Caption = "Documento"; }

protected:
    void DefineFields() override {
        AddFields({{0, faNenhuma, "IdDocumento", true, false, ftInteger, 0, 0},
                   {1, faNenhuma, "Codigo", false, false, ftString, 20, 0},
                   {2, faNenhuma, "NUMERO", false, false, ftString, 20, 0}});
    }
};

class TableNumberingTest : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        if (IsSkipped()) return;
        Conn->Execute("Create Table Documento (IdDocumento Integer Not Null Primary Key, Codigo VarChar(20), "
                      "NUMERO VarChar(20))");
        PreviousService = SetNumberingService([this](const QString& Chave, const QString& Campo, int IdEmpresa,
                                                     int Reset, int Digits, const QString& Mask, bool Automatic,
                                                     TADOConnection*, const QDateTime& Data) {
            Requests << QString("%1|%2|%3|%4|%5|%6|%7|%8")
                            .arg(Chave, Campo).arg(IdEmpresa).arg(Reset).arg(Digits).arg(Mask)
                            .arg(Automatic).arg(Data.isValid());
            return Campo == "Codigo" ? QString("C-7") : Campo == "Numero" ? QString("N-7") : QString();
        });
        PreviousDialog = SetNumberingDialog([this](const QString& Chave, const std::vector<TNumberedField>& Fields) {
            for (const TNumberedField& F : Fields)
                Configured << QString("%1|%2|%3|%4|%5|%6|%7")
                                  .arg(Chave, F.Campo, F.Caption).arg(F.Opcao_Zeramento).arg(F.Quantidade_Digitos)
                                  .arg(F.Mascara).arg(F.Automatica);
        });
    }
    void TearDown() override {
        SetNumberingService(PreviousService);
        SetNumberingDialog(PreviousDialog);
        TableTest::TearDown();
    }

    TNumberingService PreviousService;
    TNumberingDialog PreviousDialog;
    QStringList Requests;
    QStringList Configured;
};
VEX_INSTANTIATE_ENGINE_SUITE(TableNumberingTest);

TEST_P(TableNumberingTest, ANewRowTakesItsNumbersAndRenameCodeAsksForNumeroButWritesCodigo) {
    const struct {
        bool RenameCode;
        bool SkipAutoNumbering;
        QStringList Requests;
        QString Row;  // "IdDocumento|Codigo|NUMERO" on the server
    } Cases[] = {
        {false, false, {"Documento|Codigo|0|0|6|[Numero]|1|0", "Documento|NUMERO|0|3|6|[Numero]/[YY]|1|0"}, "1|C-7|"},
        {true, false, {"Documento|Numero|0|3|6|[Numero]/[YY]|1|0", "Documento|NUMERO|0|3|6|[Numero]/[YY]|1|0"},
         "1|N-7|"},
        {false, true, {}, "1||"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(QString("rename %1, skip %2").arg(Case.RenameCode).arg(Case.SkipAutoNumbering).toStdString());
        Conn->Execute("Delete From Documento");
        Requests.clear();
        std::unique_ptr<TDocumentoTeste> Documento(CreateClasseTabela<TDocumentoTeste>());
        Documento->SetRenameCode(Case.RenameCode);
        Documento->SetSkipAutoNumbering(Case.SkipAutoNumbering);
        ASSERT_FALSE(Documento->Load({}, {}));
        Documento->DataSet()->Append();
        Documento->SetFieldValue("IdDocumento", 1);
        Documento->DataSet()->Post();
        EXPECT_EQ(Requests, Case.Requests);
        EXPECT_EQ(SelectRows("Select IdDocumento, Codigo, NUMERO From Documento"), QStringList({Case.Row}));
    }
}

TEST_P(TableNumberingTest, NumberedColumnsAreCodigoAndNumeroAndTheDelegateAnswersForTheTable) {
    std::unique_ptr<TDocumentoTeste> Documento(CreateClasseTabela<TDocumentoTeste>());
    QStringList Fields;
    Documento->GetNumberedFields(Fields);
    EXPECT_EQ(Fields, QStringList({"Codigo=Código", "NUMERO=Número"}));
    EXPECT_TRUE(Documento->HasNumbering());

    Documento->SetRenameCode(true);
    Documento->ConfigureNumbering();
    EXPECT_EQ(Configured, QStringList({"Documento|Numero|Número|3|6|[Numero]/[YY]|1",
                                       "Documento|NUMERO|Número|3|6|[Numero]/[YY]|1"}));

    std::unique_ptr<TClienteTeste> Cliente(CreateClasseTabela<TClienteTeste>());
    EXPECT_FALSE(Cliente->HasNumbering());
    Cliente->SetNumberingDelegate(Documento.get());
    EXPECT_TRUE(Cliente->HasNumbering());
    Configured.clear();
    Cliente->ConfigureNumbering();
    EXPECT_EQ(Configured.size(), 2);
}

}  // namespace

#include "TableNumberingTests.moc"
