#include "databound/BevelKind.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QWidget>

#include "platform/ui/Graphics.h"

namespace databound {

namespace {

const char* const kBevelProperty = "BevelKind";
const char* const kFrameName = "FlatBevel";

// Draws the flat frame over its control's edge and follows the control's size.
class TFlatFrame : public QWidget {
public:
    explicit TFlatFrame(QWidget* Control) : QWidget(Control) {
        setObjectName(kFrameName);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        Control->installEventFilter(this);
        setGeometry(Control->rect());
        show();
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Watched == parent() && Event->type() == QEvent::Resize) {
            setGeometry(parentWidget()->rect());
            raise();
        }
        return false;
    }
    void paintEvent(QPaintEvent*) override {
        QPainter Painter(this);
        Painter.setPen(platform::ui::SysColor(platform::ui::TSysColor::clBtnShadow));
        Painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

}  // namespace

TBevelKind GetBevelKind(const QWidget* Control) {
    return static_cast<TBevelKind>(Control->property(kBevelProperty).toInt());
}

void SetBevelKind(QWidget* Control, TBevelKind Value) {
    if (GetBevelKind(Control) == Value) return;
    Control->setProperty(kBevelProperty, static_cast<int>(Value));
    auto* Frame = Control->findChild<QWidget*>(kFrameName, Qt::FindDirectChildrenOnly);
    if (Value == bkFlat && !Frame) new TFlatFrame(Control);
    if (Value == bkNone) delete Frame;
}

void RemoveBorder(QWidget* Control) {
    if (auto* Edit = qobject_cast<QLineEdit*>(Control)) Edit->setFrame(false);
    if (auto* Area = qobject_cast<QAbstractScrollArea*>(Control)) Area->setFrameShape(QFrame::NoFrame);
}

}  // namespace databound
