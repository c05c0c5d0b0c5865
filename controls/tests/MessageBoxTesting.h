#pragma once
// Reaching a modal box from inside its own loop.
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Runs Action on the showing box of type TBox once it is active; a box that a
// failed check left open is closed after a while.
template <class TBox>
void WhenShows(std::function<void(TBox& Box)> Action) {
    QTimer::singleShot(0, [Action] {
        for (QWidget* W : QApplication::topLevelWidgets())
            if (auto* Box = qobject_cast<TBox*>(W); Box && Box->isVisible()) {
                QTimer::singleShot(5000, Box, [Box] { Box->SetModalResult(-1); });
                EXPECT_TRUE(QTest::qWaitForWindowActive(Box));
                return Action(*Box);
            }
        ADD_FAILURE() << "no box is showing";
    });
}
