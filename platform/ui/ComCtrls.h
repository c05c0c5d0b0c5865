#pragma once
// Page control with pages. The page control owns its pages, also while it
// lends them to its own parent: then it is hidden, the pages lie directly on
// the parent in its place, and activating a page still shows it and hides
// the others.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/ui/Controls.h"

namespace platform::ui {

class TPageControl;

class TTabSheet : public QWidget, public TControlMembers<TTabSheet> {
    Q_OBJECT
public:
    explicit TTabSheet(TPageControl* APageControl = nullptr);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* Value);
    // Position among the page control's pages; -1 without a page control.
    int PageIndex() const;
    void SetPageIndex(int Value);
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool Value);
    // Position among the visible tabs; -1 when the tab is hidden.
    int TabIndex() const;
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
    QString FCaption;
};

class TPageControl : public QWidget, public TMessageDispatcher, public TControlMembers<TPageControl> {
    Q_OBJECT
public:
    explicit TPageControl(QWidget* AParent = nullptr);
    // Frees every page, lent or not.
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(FPages.size()); }
    TTabSheet* Pages(int Index) const;
    TTabSheet* AddPage(const QString& Caption);
    TTabSheet* ActivePage() const { return FActivePage; }
    void SetActivePage(TTabSheet* Page);
    int ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }
    void SetActivePageIndex(int Index);

    // Visible tabs, counted from 0.
    int TabCount() const;
    TTabSheet* TabPage(int TabIndex) const;
    int TabHeight() const;
    QRect TabRect(int TabIndex) const;
    // The area inside the frame under the tabs.
    QRect DisplayRect() const;

    void LendPages();
    void TakeBackPages();
    bool PagesLent() const { return FLent; }

    std::function<void(QObject* Sender, bool& AllowChange)> OnChanging;
    std::function<void(QObject* Sender)> OnChange;

protected:
    // Where the pages lie inside the control.
    virtual QRect PageRect() const { return DisplayRect(); }
    virtual void PaintControl(TCanvas& Canvas);
    // Places the pages and shows only the active one.
    void LayoutPages();

    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* Page, int Index);
    void RemovePage(TTabSheet* Page);
    // Asks OnChanging, activates Page and tells OnChange.
    void SelectByUser(TTabSheet* Page);

    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    bool FLent = false;
};

}  // namespace platform::ui
