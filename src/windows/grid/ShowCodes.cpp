#include "windows/grid/ShowCodes.h"

#include "ui/Settings.h"

bool ShowCodes::isOn()
{
    return readBoolSetting(settings::ShowCodes);
}

void ShowCodes::setOn(bool on)
{
    writeSetting(settings::ShowCodes, boolText(on));
    emit notifier()->changed(on);
}

ShowCodes* ShowCodes::notifier()
{
    // A sender without state: what is shown is each window's own, read from
    // the settings store.
    static ShowCodes sender;
    return &sender;
}
