#pragma once
// One recipient of a personalised message: the number and its own text.
#include <QString>

struct NUM_CONTENT {
    QString number;
    QString text;
};
