#pragma once
// A form that answers focus requests as a main form must, recording each
// request before handling it.
#include <QList>
#include <QStringList>
#include <memory>

#include "controls/VexFocus.h"
#include "platform/ui/Forms.h"

class TFocusReceiver {
public:
    // Answers the requests that reach Form (a form of its own when none);
    // Main makes it the main form.
    explicit TFocusReceiver(platform::ui::TCustomForm* AForm = nullptr, bool Main = true)
        : FOwnForm(AForm ? nullptr : std::make_unique<platform::ui::TCustomForm>()),
          Form(AForm ? *AForm : *FOwnForm) {
        Form.resize(320, 240);
        if (Main) platform::ui::SetMainForm(&Form);
        Form.SetMessageHandler(controls::WM_FOCUSCONTROL, [this](platform::ui::TMessage& Message) {
            Descriptions << controls::FocusRequestDescription(Message);
            Targets << reinterpret_cast<QWidget*>(Message.WParam);
            controls::HandleFocusRequest(Message);
        });
    }
    ~TFocusReceiver() { Form.SetMessageHandler(controls::WM_FOCUSCONTROL, {}); }
    TFocusReceiver(const TFocusReceiver&) = delete;
    TFocusReceiver& operator=(const TFocusReceiver&) = delete;

private:
    std::unique_ptr<platform::ui::TCustomForm> FOwnForm;

public:
    platform::ui::TCustomForm& Form;
    QStringList Descriptions;
    QList<QWidget*> Targets;
};
