#include "windows/grid/ShowCodes.h"

#include "ui/Settings.h"

namespace {
const QString Section = QStringLiteral("Settings");
const QString Key = QStringLiteral("ShowCodes");
} // namespace

bool ShowCodes::isOn()
{
    return readBoolSetting(Section, Key, false);
}

void ShowCodes::setOn(bool on)
{
    writeSetting(Section, Key, boolText(on));
    emit notifier()->changed(on);
}

ShowCodes* ShowCodes::notifier()
{
    // A sender without state: what is shown is each window's own, read from
    // the settings store.
    static ShowCodes sender;
    return &sender;
}
