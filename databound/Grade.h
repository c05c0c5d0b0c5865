#pragma once
// The full grid: every field of a grid's dataset in a window of its own, with
// a navigator and a status bar. The calling grid's columns show with their
// widths, every other field as a hidden column. While the window is shown the
// dataset's read-only fields can be changed; they are read-only again however
// the window closes, also when an error ends the show.
#include "databound/VexDBGrid.h"
#include "platform/ui/Forms.h"

class QStatusBar;

namespace platform::ui {
class TDBNavigator;
}

namespace databound {

inline constexpr const char* kGradeCaption = "Grade";

class TfrmGrade : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    // Shows Source's data source and division; the columns are laid out at once.
    explicit TfrmGrade(TVexDBGrid& Source, QWidget* AOwner = nullptr);

    // Shows the form modally with the read-only fields writable; answers the modal result.
    int Execute();

    platform::ui::TDBNavigator* nav;
    TVexDBGrid* grd;
    QStatusBar* stb;

private:
    void CreateColumns(const TVexDBGrid& Source);
};

// Opens the full grid on Grid's dataset and answers its modal result.
int ShowFullGrid(TVexDBGrid& Grid);

}  // namespace databound
