#include "format_settings.h"

FormatSettings &formatSettings()
{
    static FormatSettings settings;
    return settings;
}
