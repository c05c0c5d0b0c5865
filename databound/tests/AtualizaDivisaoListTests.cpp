#include <gtest/gtest.h>

#include <QObject>
#include <memory>

#include "databound/AtualizaDivisaoList.h"
#include "databound/VexDivisao.h"

namespace databound {
namespace {

TEST(AtualizaDivisaoListTest, DivisionsAreListedWhileTheyLive) {
    TAtualizaDivisaoList& List = AtualizaDivisaoList();
    const int Before = List.Count();
    QObject Form;
    auto* First = new TDivisao(&Form);
    auto Second = std::make_unique<TVexDBDivisao>();
    EXPECT_EQ(List.Count(), Before + 2);
    EXPECT_EQ(List.IndexOf(First), Before);
    EXPECT_EQ(List.IndexOf(Second.get()), Before + 1);
    List.Add(First);
    EXPECT_EQ(List.Count(), Before + 2);
    Second.reset();
    EXPECT_EQ(List.Count(), Before + 1);
    delete First;
    EXPECT_EQ(List.IndexOf(First), -1);
    EXPECT_EQ(List.Count(), Before);
}

TEST(AtualizaDivisaoListTest, ARequestReachesEveryLiveDivisionOnceEvenWhenOneFreesAnother) {
    auto First = std::make_unique<TDivisao>();
    auto Second = std::make_unique<TDivisao>();
    auto Third = std::make_unique<TDivisao>();
    QStringList Told;
    const auto Record = [&Told](TDivisao* Sender, const TRefreshSettings* Settings) {
        Told << Sender->Caption() + ":" + Settings->Tabela;
    };
    First->SetCaption("Primeira");
    Third->SetCaption("Terceira");
    First->OnAddRefreshSettings = [&](TDivisao* Sender, const TRefreshSettings* Settings) {
        Record(Sender, Settings);
        Second.reset();
    };
    Second->OnAddRefreshSettings = Third->OnAddRefreshSettings = Record;
    AtualizaDivisaoList().AddRefreshSettings({"Conhecimento", {}});
    EXPECT_EQ(Told, QStringList({"Primeira:Conhecimento", "Terceira:Conhecimento"}));
}

}  // namespace
}  // namespace databound
