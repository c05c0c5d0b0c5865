#include <gtest/gtest.h>

#include <QObject>

#include "databound/FerramentasDivisao.h"
#include "databound/VexDivisao.h"
#include "platform/ui/Classes.h"

namespace databound {
namespace {

// A tool frame class as an application registers it.
class TFraTeste : public QObject {
public:
    using QObject::QObject;
};

TEST(FerramentasDivisaoTest, ToolsShowTheirTrimmedCaptionAndCopyEverySetting) {
    TDivisao Divisao;
    TFerramentaDivisao& Tool = *Divisao.Ferramentas().Add();
    Tool.SetFrameClass("TFraTeste");
    Tool.SetCaption("  Anexos ");
    Tool.SetHint("Documentos anexos");
    Tool.SetImageIndex(7);
    EXPECT_EQ(Tool.DisplayName(), "Anexos");
    EXPECT_EQ(TFerramentasDivisao::Of(Tool).Owner(), &Divisao);
    TDivisao Other;
    Other.Ferramentas().Assign(Divisao.Ferramentas());
    ASSERT_EQ(Other.Ferramentas().Count(), 1);
    const TFerramentaDivisao& Copy = *Other.Ferramentas().Items(0);
    EXPECT_EQ(Copy.FrameClass(), "TFraTeste");
    EXPECT_EQ(Copy.Caption(), "  Anexos ");
    EXPECT_EQ(Copy.Hint(), "Documentos anexos");
    EXPECT_EQ(Copy.ImageIndex(), 7);
}

TEST(FerramentasDivisaoTest, AToolFrameIsBuiltFromItsRegisteredClassOnly) {
    platform::ui::RegisterClass("TFraTeste", [](QObject* Owner) -> QObject* { return new TFraTeste(Owner); });
    QObject Form;
    TDivisao Divisao(&Form);
    TFerramentaDivisao& Tool = *Divisao.Ferramentas().Add();
    Tool.SetFrameClass("tfrateste");
    QObject* Frame = Tool.CreateFrame(&Form);
    platform::ui::UnregisterClass("TFraTeste");
    ASSERT_NE(dynamic_cast<TFraTeste*>(Frame), nullptr);
    EXPECT_EQ(Frame->parent(), &Form);
    EXPECT_EQ(Tool.CreateFrame(&Form), nullptr);
}

}  // namespace
}  // namespace databound
