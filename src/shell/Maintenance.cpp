// File > Clear Database and File > Convert.
#include "shell/MDIMain.h"

void MDIMain::DeleteX()
{
}

void MDIMain::mnuConvert_Click()
{
    RunConverter();
}

void MDIMain::RunConverter()
{
}
