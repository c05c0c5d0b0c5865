#include "databound/ConfigNumeracaoRes.h"

#include <QScopeGuard>
#include <exception>

#include "controls/VexMessage.h"
#include "dataaccess/PermissaoLib.h"
#include "dataaccess/VexHost.h"
#include "dataaccess/VexSession.h"
#include "databound/Numeracao.h"
#include "platform/os/Exceptions.h"

namespace databound {

using namespace platform::data;
using dataaccess::TClasseTabela;

int RunNumberingWrite(int Failure, const std::function<int()>& Body,
                      const std::function<void(const QString&)>& Report) {
    dataaccess::BeginSuppress();
    const auto Resume = qScopeGuard([] { dataaccess::EndSuppress(); });
    dataaccess::SessionMessages().BeginMessages();
    const auto Show = qScopeGuard([] { dataaccess::SessionMessages().EndMessages(true); });
    dataaccess::BeginTransaction();
    try {
        const int Result = Body();
        if (Result == Failure) dataaccess::RollbackTransaction();
        else dataaccess::CommitTransaction();
        return Result;
    } catch (const std::exception& E) {
        dataaccess::RollbackTransaction();
        if (!dynamic_cast<const platform::os::EAbort*>(&E)) Report(QString::fromUtf8(E.what()));
        return Failure;
    }
}

namespace {

// Inserts under the next key of KeyField (Key 0) or edits the row with Key, lets Write fill the columns and posts.
int SaveRow(TClasseTabela& Table, int Key, int KeyIndex, const QString& KeyField, const std::function<void()>& Write) {
    return RunNumberingWrite(
        -1,
        [&] {
            int Id = Key;
            if (Id == 0) {
                Id = NextIncrement(Table.TableName(), KeyField, false, Table.Connection());
                Table.Load({}, {}, {}, {}, QString(), {}, {}, {}, 0, Table.Connection(), true);
                Table.DataSet()->Append();
                Table.SetAsInteger(KeyIndex, Id);
            } else if (Table.Load({KeyField}, {Id}, Table.Connection())) {
                Table.DataSet()->Edit();
            } else {
                Table.ShowNotFound();
                return -1;
            }
            Write();
            Table.DataSet()->Post();
            return Id;
        },
        [&Table](const QString& Details) { Table.ShowUpdateError(Details); });
}

}  // namespace

TNumeracao::TNumeracao(QObject* AOwner) : TClasseTabela(AOwner) {}
void TNumeracao::GetTableName(QString& Name) { Name = QStringLiteral("sys_Numeracao"); }
void TNumeracao::GetCaption(QString& Caption) { Caption = QStringLiteral("Numeração"); }

void TNumeracao::DefineFields() {
    AddFields({{idxIdNumeracao, dataaccess::faNenhuma, "IdNumeracao", true, false, ftInteger, 0, 0},
               {idxIdEmpresa_Sistema, dataaccess::faNenhuma, "IdEmpresa_Sistema", false, true, ftSmallint, 0, 0},
               {idxChave, dataaccess::faNenhuma, "Chave", false, false, ftString, 50, 0},
               {idxCampo, dataaccess::faNenhuma, "Campo", false, false, ftString, 50, 0},
               {idxOpcao_Zeramento, dataaccess::faNenhuma, "Opcao_Zeramento", false, false, ftWord, 0, 0},
               {idxMascara, dataaccess::faNenhuma, "Mascara", false, false, ftString, 25, 0},
               {idxQuantidade_Digitos, dataaccess::faNenhuma, "Quantidade_Digitos", false, false, ftWord, 0, 0}});
}

int TNumeracao::SaveConfig(int IdNumeracao, int IdEmpresa_Sistema, const QString& Mascara, const QString& Campo,
                           const QString& Chave, int Quantidade_Digitos, int Opcao_Zeramento) {
    return SaveRow(*this, IdNumeracao, idxIdNumeracao, QStringLiteral("IdNumeracao"), [&] {
        SetValue(idxIdEmpresa_Sistema, IdEmpresa_Sistema);
        SetAsString(idxMascara, Mascara);
        SetAsString(idxCampo, Campo);
        SetAsString(idxChave, Chave);
        SetValue(idxQuantidade_Digitos, Quantidade_Digitos);
        SetValue(idxOpcao_Zeramento, Opcao_Zeramento);
    });
}

TNumeracaoItem::TNumeracaoItem(QObject* AOwner) : TClasseTabela(AOwner) {}
void TNumeracaoItem::GetTableName(QString& Name) { Name = QStringLiteral("sys_Numeracao_Item"); }
void TNumeracaoItem::GetCaption(QString& Caption) { Caption = QStringLiteral("Ítem da numeração"); }

bool TNumeracaoItem::GetNumberedFieldCaption(const QString& Name, QString& Caption) {
    if (Name.compare(QStringLiteral("Numero"), Qt::CaseInsensitive) == 0) return false;
    return TClasseTabela::GetNumberedFieldCaption(Name, Caption);
}

void TNumeracaoItem::DefineFields() {
    AddFields({{idxIdNumeracao_Item, dataaccess::faNenhuma, "IdNumeracao_Item", true, false, ftInteger, 0, 0},
               {idxIdNumeracao, dataaccess::faNenhuma, "IdNumeracao", false, true, ftInteger, 0, 0},
               {idxNumero, dataaccess::faNenhuma, "Numero", false, false, ftInteger, 0, 0},
               {idxDia, dataaccess::faNenhuma, "Dia", false, false, ftWord, 0, 0},
               {idxMes, dataaccess::faNenhuma, "Mes", false, false, ftWord, 0, 0},
               {idxAno, dataaccess::faNenhuma, "Ano", false, false, ftWord, 0, 0}});
}

int TNumeracaoItem::SaveItem(int IdNumeracao_Item, int IdNumeracao, int Ano, int Mes, int Dia, int Numero) {
    return SaveRow(*this, IdNumeracao_Item, idxIdNumeracao_Item, QStringLiteral("IdNumeracao_Item"), [&] {
        SetAsInteger(idxIdNumeracao, IdNumeracao);
        SetAsInteger(idxNumero, Numero);
        SetValue(idxDia, Dia);
        SetValue(idxMes, Mes);
        SetValue(idxAno, Ano);
    });
}

int TNumeracaoItem::DeleteItem(int IdNumeracao_Item) {
    return RunNumberingWrite(
        0,
        [&] {
            if (!Load({QStringLiteral("IdNumeracao_Item")}, {IdNumeracao_Item}, Connection())) return 1;
            DataSet()->Delete();
            return 2;
        },
        [](const QString& Details) {
            dataaccess::SessionMessages().AddMessage(kDeleteItemError, Details, controls::dkError,
                                                     controls::ButtonSet({controls::dbOK}), 0, 0);
        });
}

}  // namespace databound
