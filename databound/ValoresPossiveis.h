#pragma once
// Providers of special filter values, such as "the logged-in user": a provider
// offers entries for the fields it understands and, asked with an entry's
// identification, supplies its values when a filter is bound. The providers for
// the logged-in user and the current company are registered at start; the
// application may add its own.
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

#include "databound/ConditionOwner.h"

namespace platform::data {
class TField;
}

namespace databound {

struct TValorPossivelFiltro {
    QString Caption;
    QString Valor;
    QString Identificacao;
    int Tag = 0;
};

class TValoresPossiveisFiltro {
public:
    void Add(const TValorPossivelFiltro& Value) { FItems.push_back(Value); }
    void Clear() { FItems.clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    const TValorPossivelFiltro& Items(int Index) const { return FItems.at(Index); }

private:
    std::vector<TValorPossivelFiltro> FItems;
};

class TValoresPossiveis {
public:
    virtual ~TValoresPossiveis() = default;
    // Adds the special values that make sense for the field.
    virtual void GetValoresPossiveis(TConditionOwner* Divisao, const platform::data::TField& Field,
                                     TValoresPossiveisFiltro& Lista) = 0;
    // True when the identification is this provider's; then Value and Value2 are its values.
    virtual bool GetValor(TConditionOwner* Divisao, const platform::data::TField& Field, const QString& Identificacao,
                          QVariant& Value, QVariant& Value2) = 0;
};

// The registered providers take the provider over; unregistering frees it.
void RegisterValoresPossiveis(std::unique_ptr<TValoresPossiveis> Provider);
void UnregisterValoresPossiveis(TValoresPossiveis* Provider);
// Asks every provider in registration order.
void GetValoresPossiveis(TConditionOwner* Divisao, const platform::data::TField& Field, TValoresPossiveisFiltro& Lista);
// The first provider that knows the identification answers; false when none does.
bool GetValorPossivel(TConditionOwner* Divisao, const platform::data::TField& Field, const QString& Identificacao,
                      QVariant& Value, QVariant& Value2);

// The current company text, set by the hosting application; empty until then.
QString EmpresaAtual();
void SetEmpresaAtual(const QString& Value);

inline constexpr const char* kUsuarioLogadoCaption = "(Usuário logado)";
inline constexpr const char* kUsuarioLogadoId = "Usuario_Logado";
inline constexpr const char* kEmpresaAtualCaption = "(Empresa sistema atual)";
inline constexpr const char* kEmpresaAtualId = "Empresa_Atual";

}  // namespace databound
