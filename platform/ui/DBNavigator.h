#pragma once
// A row of buttons that move through and edit a data source's dataset:
// first, prior, next, last, insert, delete, edit, post, cancel, refresh.
// Each button is enabled only when its action makes sense in the dataset's
// state; a deletion is confirmed first when ConfirmDelete is on. Errors of
// the dataset are reported.
#include <QToolButton>
#include <array>
#include <functional>
#include <memory>

#include "platform/data/DB.h"
#include "platform/ui/Controls.h"

namespace platform::ui {

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
inline constexpr int kNavigateBtnCount = nbRefresh + 1;
using TButtonSet = unsigned;  // bits 1 << TNavigateBtn
inline constexpr TButtonSet kAllNavigateButtons = (1u << kNavigateBtnCount) - 1;

class TDBNavigator : public QWidget, public TControlMembers<TDBNavigator> {
    Q_OBJECT
public:
    explicit TDBNavigator(QWidget* AParent = nullptr);
    ~TDBNavigator() override;

    platform::data::TDataSource* DataSource() const;
    void SetDataSource(platform::data::TDataSource* Value);
    TButtonSet VisibleButtons() const { return FVisibleButtons; }
    void SetVisibleButtons(TButtonSet Value);
    bool ConfirmDelete() const { return FConfirmDelete; }
    void SetConfirmDelete(bool Value) { FConfirmDelete = Value; }
    QToolButton* Button(TNavigateBtn Which) const { return FButtons.at(Which); }

    // Does what the button does, as a click on it.
    void BtnClick(TNavigateBtn Which);

    // Before the action; raising EAbort stops it.
    std::function<void(QObject* Sender, TNavigateBtn Button)> BeforeAction;
    std::function<void(QObject* Sender, TNavigateBtn Button)> OnClick;

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    class TNavLink;
    void UpdateButtons();
    void Arrange();

    std::unique_ptr<TNavLink> FLink;
    std::array<QToolButton*, kNavigateBtnCount> FButtons{};
    TButtonSet FVisibleButtons = kAllNavigateButtons;
    bool FConfirmDelete = true;
};

}  // namespace platform::ui
