#include "globaledit/GlobalEditCommand.h"

void showGlobalEdit(QMdiArea*)
{
}
