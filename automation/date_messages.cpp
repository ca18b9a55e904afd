#include "automation/date_messages.h"

bool LoadDateMsgSettings(std::vector<DATEMSGVALUE>& settings) {
    settings.clear();
    return false;
}
