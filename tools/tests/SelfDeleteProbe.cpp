// A program that deletes itself as the uninstaller does: it exits 0 through
// the self-deletion, or 3 when self-deletion declined to act.
#include "installlib/InstaladorLib.h"

int main() {
    installlib::SelfDelete();
    return 3;
}
