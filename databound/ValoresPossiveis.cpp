#include "databound/ValoresPossiveis.h"

#include <algorithm>
#include <functional>

#include "dataaccess/VexHost.h"
#include "platform/data/DataTypes.h"

namespace databound {

namespace {

QString gEmpresaAtual;

// Offers one entry for join fields that search the given table and key, and answers for its identification.
class TValorDeSessao : public TValoresPossiveis {
public:
    TValorDeSessao(const char* Tabela, const char* Key, const char* Caption, const char* Identificacao,
                   std::function<QString()> Read)
        : FTabela(Tabela), FKey(Key), FCaption(Caption), FIdentificacao(Identificacao), FRead(std::move(Read)) {}

    void GetValoresPossiveis(TConditionOwner* Divisao, const platform::data::TField& Field,
                             TValoresPossiveisFiltro& Lista) override {
        if (!Divisao) return;
        const TSearchTarget Target = Divisao->SearchTarget(Field);
        if (Target.Tabela.compare(FTabela, Qt::CaseInsensitive) == 0 &&
            Target.FieldName.compare(FKey, Qt::CaseInsensitive) == 0)
            Lista.Add({FCaption, QString(), FIdentificacao, -1});
    }

    bool GetValor(TConditionOwner*, const platform::data::TField&, const QString& Identificacao, QVariant& Value,
                  QVariant& Value2) override {
        if (Identificacao != FIdentificacao) return false;
        Value = FRead();
        Value2 = platform::data::Null();
        return true;
    }

private:
    QString FTabela, FKey, FCaption, FIdentificacao;
    std::function<QString()> FRead;
};

std::vector<std::unique_ptr<TValoresPossiveis>> StartingProviders() {
    std::vector<std::unique_ptr<TValoresPossiveis>> Result;
    Result.push_back(std::make_unique<TValorDeSessao>("sys_Usuario", "IdUsuario", kUsuarioLogadoCaption,
                                                      kUsuarioLogadoId, [] {
                                                          const dataaccess::TVexHost* H = dataaccess::Host();
                                                          return H ? H->CurrentUserName() : QString();
                                                      }));
    Result.push_back(std::make_unique<TValorDeSessao>("sys_Empresa_Sistema", "IdEmpresa_Sistema",
                                                      kEmpresaAtualCaption, kEmpresaAtualId,
                                                      [] { return gEmpresaAtual; }));
    return Result;
}

std::vector<std::unique_ptr<TValoresPossiveis>>& Providers() {
    static std::vector<std::unique_ptr<TValoresPossiveis>> gProviders = StartingProviders();
    return gProviders;
}

}  // namespace

void RegisterValoresPossiveis(std::unique_ptr<TValoresPossiveis> Provider) {
    if (Provider) Providers().push_back(std::move(Provider));
}

void UnregisterValoresPossiveis(TValoresPossiveis* Provider) {
    auto& List = Providers();
    List.erase(std::remove_if(List.begin(), List.end(), [&](const auto& P) { return P.get() == Provider; }),
               List.end());
}

void GetValoresPossiveis(TConditionOwner* Divisao, const platform::data::TField& Field, TValoresPossiveisFiltro& Lista) {
    for (const auto& P : Providers()) P->GetValoresPossiveis(Divisao, Field, Lista);
}

bool GetValorPossivel(TConditionOwner* Divisao, const platform::data::TField& Field, const QString& Identificacao,
                      QVariant& Value, QVariant& Value2) {
    for (const auto& P : Providers())
        if (P->GetValor(Divisao, Field, Identificacao, Value, Value2)) return true;
    return false;
}

QString EmpresaAtual() { return gEmpresaAtual; }
void SetEmpresaAtual(const QString& Value) { gEmpresaAtual = Value; }

}  // namespace databound
