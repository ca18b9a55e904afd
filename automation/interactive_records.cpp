#include "automation/interactive_records.h"

bool WriteInteractiveRecord(const std::vector<NUM_CONTENT>& items, const QString& content, bool failed,
                            bool personalised, const QString& rrid) {
    (void)items;
    (void)content;
    (void)failed;
    (void)personalised;
    (void)rrid;
    return false;
}
