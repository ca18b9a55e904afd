#pragma once
// The record of a message the program sent by itself (date messages,
// automatic replies).
#include "sms/num_content.h"

#include <QString>

#include <vector>

// Writes one automatic send into the records: `items` are its recipients
// (with their own texts when `personalised`), `content` the message,
// `failed` whether the service refused it, `rrid` the service's id.
// Automatic sends come in a later version: nothing is written and the
// result is false.
bool WriteInteractiveRecord(const std::vector<NUM_CONTENT>& items, const QString& content, bool failed,
                            bool personalised, const QString& rrid);
