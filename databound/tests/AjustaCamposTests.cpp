// The field adjustment: labels from the word dictionary, the errors of a
// missing folder or dictionary, the division's preconditions, and what one
// run changes and reports.
#include <gtest/gtest.h>

#include "DivisionFixture.h"
#include "controls/tests/RecordedDialogs.h"
#include "dataaccess/VexUtils.h"
#include "databound/AjustaCampos.h"
#include "platform/data/Field.h"
#include "platform/data/Provider.h"
#include "platform/os/Environment.h"
#include "platform/os/Files.h"
#include "platform/os/Text.h"
#include "platform/os/tests/TempPrefix.h"

namespace databound {
namespace {

using platform::data::TField;

TEST(DictionaryLabelTest, LabelsComeFromTheNameAndTheFirstMatchOfEachWord) {
    const struct {
        const char* Name;
        QStringList Dictionary;
        const char* Label;
    } Cases[] = {
        {"Nome_Fantasia", {}, "Nome fantasia"},
        {"IdCliente", {}, "Id. cliente"},
        {"Idade", {}, "Idade"},
        {"Numero_Pedido", {"numero=número"}, "Número pedido"},
        {"Data_Emissao_Data", {"DATA=dt", "emissao=emissão"}, "Dt emissão data"},
        {"ÁREA_ÚTIL", {"sem igual"}, "Área útil"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        EXPECT_EQ(DictionaryLabel(C.Name, C.Dictionary), C.Label);
    }
}

class AjustaCamposTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::os::ForceDirectories("C:\\Recursos");
        platform::os::SetEnvironmentVariable(dataaccess::kDevResourcesVariable, "C:\\Recursos");
        Pedido = testing::MakeDivision(Form, "Pedido", "Select * From Pedido",
                                       {{"IdPedido", platform::data::ftInteger},
                                        {"IdCliente", platform::data::ftInteger},
                                        {"Cliente", platform::data::ftString},
                                        {"Valor", platform::data::ftBCD},
                                        {"Foto", platform::data::ftBlob},
                                        {"Nome_Fantasia", platform::data::ftString},
                                        {"Ativo", platform::data::ftBoolean}});
    }
    void TearDown() override { platform::os::RemoveEnvironmentVariable(dataaccess::kDevResourcesVariable); }

    static void WriteDictionary(const std::string& Utf8) {
        const std::string Ansi = platform::os::Utf8ToAnsi(Utf8);
        auto File = platform::os::OpenFileStream("C:\\Recursos\\Dicionário.txt", platform::os::fmCreate);
        File->WriteBuffer(Ansi.data(), static_cast<int64_t>(Ansi.size()));
    }
    TField* Field(const QString& Name) const { return Pedido.Client->FieldByName(Name); }

    TTempPrefix Prefix;
    QObject Form;
    testing::TDivisionParts Pedido{};
};

TEST_F(AjustaCamposTest, AMissingFolderOrDictionaryIsAnError) {
    const struct {
        const char* Folder;
        std::string Message;
    } Cases[] = {
        {nullptr, "A variável 'RECURSOS_DESENV' não foi definida no 'Environment Variables' ou o caminho não existe."},
        {"C:\\Recursos",
         "O arquivo de dicionário 'C:\\Recursos\\Dicionário.txt' não foi encontrado para renomeação das palavras."},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Message);
        if (C.Folder) platform::os::SetEnvironmentVariable(dataaccess::kDevResourcesVariable, C.Folder);
        else platform::os::RemoveEnvironmentVariable(dataaccess::kDevResourcesVariable);
        TRecordedDialogs Dialogs;
        try {
            Pedido.Divisao->Campos().SetAjustados(true);
            ADD_FAILURE() << "no exception";
        } catch (const platform::os::Exception& E) {
            EXPECT_EQ(E.what(), C.Message);
        }
        EXPECT_FALSE(Pedido.Divisao->Campos().Ajustados());
        EXPECT_TRUE(Dialogs.Calls.empty());
    }
}

TEST_F(AjustaCamposTest, ADivisionNotReadyIsToldWhatIsMissing) {
    WriteDictionary("");
    TAjustaCampos& Campos = Pedido.Divisao->Campos();
    const struct {
        std::function<void()> Prepare;
        const char* Message;
    } Cases[] = {
        {[&] { Campos.SetPrefixo(""); }, "É preciso ajustar a propriedade 'Prefixo'."},
        {[&] { Campos.SetTabela(""); }, "É preciso ajustar a propriedade 'Tabela'."},
        {[&] { Pedido.Source->SetDataSet(new platform::data::TClientDataSet(&Form)); },
         "Não existe nenhum campo no dataset para ajustar."},
        {[&] { Pedido.Divisao->SetDataSource(nullptr); },
         "É preciso ajustar a propriedade 'DataSource' ou 'DataSource.DataSet'."},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Message);
        C.Prepare();
        TRecordedDialogs Dialogs;
        Campos.SetAjustados(true);
        EXPECT_FALSE(Campos.Ajustados());
        ASSERT_EQ(Dialogs.Calls.size(), 1u);
        EXPECT_EQ(Dialogs.Calls[0].Msg, C.Message);
        EXPECT_EQ(Dialogs.Calls[0].Kind, controls::dkInformation);
    }
    EXPECT_EQ(Field("IdPedido")->objectName(), "");
}

TEST_F(AjustaCamposTest, OneRunNamesLabelsAndConfiguresTheFieldsAndReportsEachChange) {
    WriteDictionary("valor=valor total\r\núnico=só\r\n");
    TAjustaCampos& Campos = Pedido.Divisao->Campos();
    Campos.SetPrefixo("Ped");
    Field("Valor")->SetSize(2);
    Field("Nome_Fantasia")->SetDisplayLabel("Fantasia");
    Field("Nome_Fantasia")->SetOrigin("");
    Pedido.Query->FieldByName("Cliente")->SetProviderFlags(platform::data::pfInUpdate);
    TRecordedDialogs Dialogs;
    Campos.SetAjustados(true);
    EXPECT_TRUE(Campos.Ajustados());
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].Msg, "Campos ajustados no DataSet:\r\n\r\n"
                                    "IdPedido.Name := fldPedIdPedido\r\n"
                                    "IdPedido.Alignment := Left\r\n"
                                    "IdPedido.DisplayLabel := Id. pedido\r\n"
                                    "IdCliente.Name := fldPedIdCliente\r\n"
                                    "IdCliente.Alignment := Left\r\n"
                                    "IdCliente.DisplayLabel := Id. cliente\r\n"
                                    "Cliente.Name := fldPedCliente\r\n"
                                    "Valor.Name := fldPedValor\r\n"
                                    "Valor.Alignment := Left\r\n"
                                    "Valor.DisplayLabel := Valor total\r\n"
                                    "Foto.Name := fldPedFoto\r\n"
                                    "Foto.Visible := False\r\n"
                                    "Nome_Fantasia.Name := fldPedNomeFantasia\r\n"
                                    "Nome_Fantasia.Origin := Ped.Nome_Fantasia\r\n"
                                    "Ativo.Name := fldPedAtivo");
    EXPECT_EQ(Field("Valor")->DisplayFormat(), "#,0.00");
    EXPECT_EQ(Field("Valor")->EditFormat(), "0.00");
    const TConfigCampos& Config = Campos.Config();
    ASSERT_EQ(Config.Count(), 4);
    EXPECT_EQ(Config.Items(0)->DisplayName(), "IdPedido [OPV]");
    EXPECT_EQ(Config.Items(1)->DisplayName(), "IdCliente [S]");
    EXPECT_EQ(Config.Items(2)->DisplayName(), "Cliente [J] -> IdCliente");
    EXPECT_EQ(Config.Items(3)->DisplayName(), "Ativo [V]");
    EXPECT_EQ(Pedido.Query->FieldByName("IdPedido")->ProviderFlags(), platform::data::pfInUpdate | platform::data::pfInKey);
    EXPECT_EQ(Pedido.Query->FieldByName("Cliente")->ProviderFlags(), 0u);
    EXPECT_EQ(Pedido.Provider->UpdateMode(), platform::data::upWhereKeyOnly);

    Dialogs.Calls.clear();
    Campos.SetAjustados(true);  // the same value: nothing runs
    EXPECT_TRUE(Dialogs.Calls.empty());
    Campos.SetAjustados(false);  // the other value runs it again, and there is nothing left to do
    EXPECT_TRUE(Campos.Ajustados());
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].Msg, "Nenhum campo foi ajustado.");
    EXPECT_EQ(Config.Count(), 4);
    Campos.SetPrefixo("P");
    EXPECT_FALSE(Campos.Ajustados());
}

TEST_F(AjustaCamposTest, WhileLoadingTheStoredValueStays) {
    TRecordedDialogs Dialogs;
    Pedido.Divisao->SetLoading(true);
    Pedido.Divisao->Campos().SetAjustados(true);
    EXPECT_TRUE(Pedido.Divisao->Campos().Ajustados());
    EXPECT_TRUE(Dialogs.Calls.empty());
    EXPECT_EQ(Field("IdPedido")->objectName(), "");
}

}  // namespace
}  // namespace databound
