#pragma once
// The three lists of one personalised submission (gxmt): numbers, texts and
// send times, item by item. A text is sent in code page 936 and URL-encoded,
// so a "," inside it can never split the list.
#include <QString>

#include <vector>

struct GxmtItem {
    QString number;
    QString content; // the text as the recipient reads it
    QString time;    // "%Y-%m-%d %H:%M:%S", or empty to send now
};

struct GxmtLists {
    QString numbers;
    QString contents;
    QString times; // empty when no item carries a time
};

// One text as gxmt takes it: code page 936, then URL-encoded.
QString GxmtContent(const QString& text);

// The lists joined by ",", the same number of items in each.
GxmtLists JoinGxmtItems(const std::vector<GxmtItem>& items);
