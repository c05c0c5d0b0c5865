// The Select text of a table load: select list, conditions, limit and order.
#include <gtest/gtest.h>

#include "dataaccess/TabelaSelect.h"

using namespace dataaccess;
using platform::data::ftInteger;
using platform::data::ftString;

namespace {

const std::vector<TCampoTabela> kCampos = {
    {0, faNenhuma, "IdUsuario", true, false, ftInteger, 0, 0},
    {1, faNenhuma, "Nome", false, false, ftString, 25, 0},
    {2, faSum, "Valor", false, false, ftInteger, 0, 0},
};

TEST(SelectListTest, WantedColumnsFollowTheKeysOnceEachIgnoringCase) {
    const struct {
        QStringList Fields;
        QStringList Expected;
    } Cases[] = {
        {{}, {"IdUsuario", "Nome", "Sum(Valor) as Valor"}},
        {{"Nome"}, {"IdUsuario", "Nome"}},
        {{"idusuario", "Nome", "NOME"}, {"IdUsuario", "Nome"}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Fields.join(",").toStdString());
        EXPECT_EQ(SelectList(kCampos, Case.Fields), Case.Expected);
    }
}

TEST(SelectTextTest, ConditionsFollowTheWhereTextInTheirMarkerStyle) {
    const struct {
        TSelectRequest Request;
        QString Expected;
    } Cases[] = {
        {{"sys_Usuario", {}, {"Nome"}, {ofLike}, {}, {}, 0, true},
         "Select\r\n  IdUsuario, Nome, Sum(Valor) as Valor\r\nFrom\r\n  sys_Usuario\r\nWhere\r\n  Nome Like :Nome"},
        {{"T", {"Nome"}, {}, {}, {}, {"Nome", "IdUsuario Desc"}, 0, false},
         "Select\r\n  IdUsuario, Nome\r\nFrom\r\n  T\r\n\r\nOrder By\r\n  Nome, IdUsuario Desc"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Expected.toStdString());
        EXPECT_EQ(SelectText(kCampos, Case.Request), Case.Expected);
    }
    EXPECT_EQ(SelectText({}, {"T", {}, {}, {}, {}, {}, 0, false}), QString());  // no column: nothing to select
}

TEST(ConditionMarkersTest, ARepeatedColumnGetsANumberedMarkerIgnoringCase) {
    EXPECT_EQ(ConditionMarkers({"Data", "Nome", "data", "DATA"}), QStringList({"Data", "Nome", "data_1", "DATA_2"}));
}

}  // namespace
