#pragma once
// The table classes the numbering dialog writes through: TNumeracao over the
// configurations (sys_Numeracao) and TNumeracaoItem over their counters
// (sys_Numeracao_Item). Each write runs with control-password prompts
// suppressed, in a message batch and a nested transaction: a failure rolls
// the whole nest back, reports the error through the table (a silent abort
// is not reported) and answers the failure value; nothing raises.
#include <QString>
#include <functional>

#include "dataaccess/VexClasse.h"

namespace databound {

inline constexpr const char* kDeleteItemError = "Ocorreu algum erro ao tentar excluir o item da numeração.";

// Runs Body with prompts suppressed, in a message batch and a nested transaction, and answers what Body answers.
// Body answers Failure to give up (the nest is rolled back); an error rolls it back too, answers Failure and reaches
// Report unless it was a silent abort.
int RunNumberingWrite(int Failure, const std::function<int()>& Body,
                      const std::function<void(const QString&)>& Report);

class TNumeracao : public dataaccess::TClasseTabela {
    Q_OBJECT
public:
    enum {
        idxIdNumeracao, idxIdEmpresa_Sistema, idxChave, idxCampo, idxOpcao_Zeramento, idxMascara,
        idxQuantidade_Digitos
    };
    explicit TNumeracao(QObject* AOwner = nullptr);
    void GetTableName(QString& Name) override;
    void GetCaption(QString& Caption) override;

    // IdNumeracao 0 inserts a row under the next key; another key updates that row. IdEmpresa_Sistema 0: all
    // companies (stored as null). The stored key, or -1 when the row is missing or the write failed.
    int SaveConfig(int IdNumeracao, int IdEmpresa_Sistema, const QString& Mascara, const QString& Campo,
                   const QString& Chave, int Quantidade_Digitos, int Opcao_Zeramento);

protected:
    void DefineFields() override;
};

class TNumeracaoItem : public dataaccess::TClasseTabela {
    Q_OBJECT
public:
    enum { idxIdNumeracao_Item, idxIdNumeracao, idxNumero, idxDia, idxMes, idxAno };
    explicit TNumeracaoItem(QObject* AOwner = nullptr);
    void GetTableName(QString& Name) override;
    void GetCaption(QString& Caption) override;
    // Numero is the counter itself, never a document number.
    bool GetNumberedFieldCaption(const QString& Name, QString& Caption) override;

    // As SaveConfig: IdNumeracao_Item 0 inserts; the stored key or -1.
    int SaveItem(int IdNumeracao_Item, int IdNumeracao, int Ano, int Mes, int Dia, int Numero);
    // 2 deleted, 1 no such row, 0 failed (kDeleteItemError added with the error text).
    int DeleteItem(int IdNumeracao_Item);

protected:
    void DefineFields() override;
};

}  // namespace databound
